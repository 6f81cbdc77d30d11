// SPDX-License-Identifier: MIT
#include "datafile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <new>
#include <sstream>
#include <system_error>
#include <vector>

#include "translate.h"
#include "voice.h"

namespace {

// Tokens longer than this are no numbers any program expects; the limit
// keeps a file without white space from being held in memory whole.
constexpr std::size_t maxToken = 4096;

bool isSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isAscii(const std::string& t) {
    for (char c : t)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// The UTF-8 byte-order mark some editors put at the start of a text file,
// and the two of UTF-16 (little- and big-endian), which no reader takes.
const std::string byteOrderMark = "\xEF\xBB\xBF";
const std::string utf16Little = "\xFF\xFE";
const std::string utf16Big = "\xFE\xFF";

// [+-]digits
bool isWhole(const std::string& t) {
    std::size_t i = (t[0] == '+' || t[0] == '-') ? 1 : 0;
    if (i == t.size()) return false;
    for (; i < t.size(); ++i)
        if (!isDigit(t[i])) return false;
    return true;
}

// [+-](digits[.digits]|.digits)([eE][+-]digits): the decimal numbers that
// formatted extraction reads whole.  No hexadecimal, infinity or NaN.
bool isDecimal(const std::string& t) {
    std::size_t i = 0, n = t.size();
    if (i < n && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < n && isDigit(t[i])) {
        ++i;
        ++digits;
    }
    if (i < n && t[i] == '.') {
        ++i;
        while (i < n && isDigit(t[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) return false;
    if (i < n && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < n && (t[i] == '+' || t[i] == '-')) ++i;
        std::size_t expDigits = 0;
        while (i < n && isDigit(t[i])) {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0) return false;
    }
    return i == n;
}

// "1,5" (and "-0,25", "1,5e-3"): one comma between digits that a point
// would make a decimal number.  The token with the point, or "".
std::string withDecimalPoint(const std::string& t) {
    const std::size_t k = t.find(',');
    if (k == std::string::npos || k == 0 || k + 1 == t.size() || t.find(',', k + 1) != std::string::npos)
        return "";
    if (!isDigit(t[k - 1]) || !isDigit(t[k + 1])) return "";
    std::string fixed = t;
    fixed[k] = '.';
    return isDecimal(fixed) ? fixed : "";
}

// "1,2,3", "4,", ",5": numbers (or nothing) between commas, at least one
// number: commas written as separators.
bool commaSeparated(const std::string& t) {
    if (t.find(',') == std::string::npos) return false;
    bool number = false;
    for (std::size_t from = 0;;) {
        const std::size_t to = t.find(',', from);
        const std::string piece = t.substr(from, to == std::string::npos ? std::string::npos : to - from);
        if (!piece.empty()) {
            if (!isDecimal(piece)) return false;
            number = true;
        }
        if (to == std::string::npos) return number;
        from = to + 1;
    }
}

// Lower-case ASCII, for comparing file names without regard to case.
std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// A name that the file `name` (no folder) may have been saved under by
// mistake: the same name in other case ("GAUSSLU.DAT"), the name with an
// extension added ("gausslu.dat.txt", "gausslu.dat.dat"), or its stem with
// another extension or none ("gausslu.txt", "gausslu"), compared without
// regard to case.
bool similarName(const std::string& candidate, const std::string& name) {
    if (candidate == name) return false;
    const std::string c = lower(candidate), n = lower(name);
    if (c == n) return true;
    if (c.size() > n.size() + 1 && c.compare(0, n.size(), n) == 0 && c[n.size()] == '.') return true;
    const std::size_t dot = n.rfind('.');
    if (dot == std::string::npos || dot == 0) return false;  // no extension to change
    const std::string stem = n.substr(0, dot + 1);           // "gausslu."
    return c == n.substr(0, dot) || (c.size() > stem.size() && c.compare(0, stem.size(), stem) == 0 &&
                                     c.find('.', stem.size()) == std::string::npos);
}

// Directory entries looked at, at most, for a similar name: the search
// runs only after a failed open and stays cheap in a crowded folder.
constexpr int maxEntriesSearched = 10000;

// The regular file next to the missing `file` (in its folder, the current
// one when it names none) whose name is similar to its name, the first in
// byte order when there are several; named as `file` names its folder.
// "" when there is none or the folder cannot be read.
std::string similarFile(const std::string& file) {
    namespace fs = std::filesystem;
    const fs::path given(file);
    const std::string name = given.filename().string();
    if (name.empty() || name == "." || name == "..") return "";
    const fs::path folder = given.parent_path();
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec), end;
    std::string best;
    for (int seen = 0; !ec && it != end && seen < maxEntriesSearched; it.increment(ec), ++seen) {
        const std::string candidate = it->path().filename().string();
        std::error_code typeError;
        if (similarName(candidate, name) && it->is_regular_file(typeError) &&
            (best.empty() || candidate < best))
            best = candidate;
    }
    if (best.empty()) return "";
    return folder.empty() ? best : (folder / best).string();
}

}  // namespace

DataFile::DataFile(std::istream& in, std::string program, std::string file)
    : in_(in), program_(std::move(program)), file_(std::move(file)) {}

void DataFile::fail(const std::string& problem) const { throw InputError(prefix(program_, file_) + problem); }

void DataFile::failAtToken(const std::string& problem) const {
    // TRANSLATORS: where a message points to: the data file %1, its line %2.
    throw InputError(prefix(program_, fill(_("%1 line %2"), {file_, std::to_string(tokenLine_)})) + problem);
}

// The problem of a token that is not what was expected, with what the
// token itself suggests: a byte outside ASCII (a no-break space, a
// typographic minus), a decimal comma ("1,5"; not where a whole number is
// expected), or commas between numbers.
std::string DataFile::withHint(const std::string& problem, const std::string& token, bool decimal) const {
    std::string hint;
    std::string fixed;
    if (!isAscii(token))
        hint = _("it holds a character that is not plain ASCII text");
    else if (decimal && !(fixed = withDecimalPoint(token)).empty())
        hint = fill(_("the decimal separator is a point, as in %1"), {quoted(fixed)});
    else if (commaSeparated(token))
        hint = _("numbers are separated by white space, not by commas");
    // TRANSLATORS: a problem (%1) and what may have caused it (%2).
    return hint.empty() ? problem : fill(_("%1: %2"), {problem, hint});
}

// The token as it is shown in a message: quoted, cut short, and with bytes
// outside printable ASCII written as \xNN so the message stays one line.
std::string DataFile::quoted(const std::string& token) const {
    static const char hex[] = "0123456789abcdef";
    std::string s = "\"";
    const std::size_t shown = 40;
    for (std::size_t i = 0; i < token.size() && i < shown; ++i) {
        unsigned char c = static_cast<unsigned char>(token[i]);
        if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
            s += static_cast<char>(c);
        } else {
            s += "\\x";
            s += hex[c >> 4];
            s += hex[c & 15];
        }
    }
    if (token.size() > shown) s += "...";
    return s + "\"";
}

// Counts line ends: "\n", "\r\n" and a lone "\r" (old Mac files) each end
// one line.
void DataFile::count(int c) {
    if (c == '\n' && !afterCR_) ++line_;
    if (c == '\r') ++line_;
    afterCR_ = c == '\r';
}

bool DataFile::next(std::string& token) {
    token.clear();
    int c = in_.get();
    while (c != EOF && isSpace(c)) {
        count(c);
        c = in_.get();
    }
    if (in_.bad()) fail(_("cannot be read"));
    if (c == EOF) return false;
    tokenLine_ = line_;
    while (c != EOF && !isSpace(c)) {
        if (token.size() == maxToken) {
            failAtToken(fill(_("%1 is not a number"), {quoted(token)}));
        }
        token += static_cast<char>(c);
        // A file that opens with the byte-order mark of UTF-16 (Windows
        // Notepad's "Unicode") is refused as such, not by its bytes.
        if (atStart_ && token.size() == 2 && (token == utf16Little || token == utf16Big))
            fail(_("the file is UTF-16 text; save it as UTF-8 or as plain text"));
        c = in_.get();
    }
    if (in_.bad()) fail(_("cannot be read"));
    afterCR_ = false;
    count(c);
    if (atStart_) {
        atStart_ = false;
        if (token.compare(0, byteOrderMark.size(), byteOrderMark) == 0) {
            token.erase(0, byteOrderMark.size());
            if (token.empty()) return next(token);
        }
    }
    return true;
}

// In the messages, `what` is a phrase the program has translated ("the
// order N"); each message around it is one pattern.
int DataFile::readInt(const std::string& what, int minimum, int maximum) {
    // TRANSLATORS: %1 is what was expected, e.g. "the order N".
    if (!next(token_)) fail(fill(_("ends before %1"), {what}));
    if (!isWhole(token_))
        failAtToken(
            withHint(fill(_("%1 must be a whole number, found %2"), {what, quoted(token_)}), token_, false));
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(token_.c_str(), &end, 10);
    bool overflow = errno == ERANGE;
    if ((!overflow && v < minimum) || (overflow && token_[0] == '-'))
        failAtToken(fill(_("%1 must be at least %2, found %3"), {what, std::to_string(minimum), token_}));
    if (overflow || v > maximum)
        failAtToken(
            fill(_("%1 %2 is too large (at most %3)"), {what, quoted(token_), std::to_string(maximum)}));
    return static_cast<int>(v);
}

template <class T>
T DataFile::number(T (*convert)(const char*, char**)) const {
    if (!isDecimal(token_))
        failAtToken(withHint(fill(_("%1 is not a number"), {quoted(token_)}), token_, true));
    T v = convert(token_.c_str(), nullptr);
    // Out of range: overflow, and underflow to a subnormal or to a zero
    // whose significand has a nonzero digit.
    if (std::isinf(v) || std::fpclassify(v) == FP_SUBNORMAL ||
        (v == 0 && token_.find_first_of("123456789") < token_.find_first_of("eE")))
        failAtToken(fill(_("%1 is out of range"), {quoted(token_)}));
    return v;
}

template <class T>
T DataFile::readFloat(const std::string& what, T (*convert)(const char*, char**)) {
    if (!next(token_)) fail(fill(_("ends before %1"), {what}));
    return number(convert);
}

template <class T>
std::vector<T> DataFile::readMany(std::size_t count, const std::string& what,
                                  T (*convert)(const char*, char**),
                                  const std::function<void(long)>& onLine) {
    std::vector<T> values;
    values.reserve(count < 4096 ? count : 4096);
    while (values.size() < count) {
        if (!next(token_)) {
            // TRANSLATORS: %1 numbers were found of the %2 needed for %3
            // ("the N·N matrix"); the form follows %2.  English keeps
            // "numbers" for every count.
            fail(fill(trn("holds %1 of the %2 numbers of %3", "holds %1 of the %2 numbers of %3", count),
                      {std::to_string(values.size()), std::to_string(count), what}));
        }
        values.push_back(number(convert));
        if (onLine) onLine(tokenLine_);
    }
    return values;
}

std::string DataFile::leftoverWarning() {
    std::size_t numbers = 0;
    std::string token;
    try {
        while (next(token))
            if (isDecimal(token)) ++numbers;
    } catch (const InputError&) {
        // a token too long to be a number, or a read error: count no further
    }
    if (numbers == 0) return "";
    return prefix(program_, file_) +
           fill(trn("%1 number after the data was not read; is the order right?",
                    "%1 numbers after the data were not read; is the order right?", numbers),
                {std::to_string(numbers)});
}

namespace {
double toDouble(const char* s, char** end) { return std::strtod(s, end); }
long double toLongDouble(const char* s, char** end) { return std::strtold(s, end); }
}  // namespace

double DataFile::readDouble(const std::string& what) { return readFloat<double>(what, toDouble); }

long double DataFile::readLongDouble(const std::string& what) {
    return readFloat<long double>(what, toLongDouble);
}

std::vector<double> DataFile::readDoubles(std::size_t count, const std::string& what,
                                          const std::function<void(long)>& onLine) {
    return readMany<double>(count, what, toDouble, onLine);
}

std::vector<long double> DataFile::readLongDoubles(std::size_t count, const std::string& what) {
    return readMany<long double>(count, what, toLongDouble, nullptr);
}

bool readDataFile(std::istream& data, const Voice& voice, const std::function<void(DataFile&)>& read,
                  std::string& leftover) {
    try {
        DataFile in(data, voice.program(), voice.file());
        read(in);
        leftover = in.leftoverWarning();
        return true;
    } catch (const InputError& e) {
        voice.line(e.what());
        return false;
    }
}

namespace {

// Why `file` opened as `in` cannot be read, or "" when it can be tried:
// the reason of a failed open other than a missing file, or a folder.
std::string unreadable(const char* file, const std::ifstream& in, int openError) {
    if (!in) return openError != 0 && openError != ENOENT ? std::strerror(openError) : "";
    std::error_code ec;
    return std::filesystem::is_directory(file, ec) ? std::strerror(EISDIR) : "";
}

// Where writing to the missing `file` would create a file: a dangling
// symbolic link followed (40 links at most, as the system does), then the
// folder made canonical as far as it exists.
std::filesystem::path createdAt(const std::string& file) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path path = fs::absolute(file, ec);
    for (int links = 0; links < 40 && fs::is_symlink(path, ec); ++links) {
        const fs::path target = fs::read_symlink(path, ec);
        if (ec) break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    const fs::path resolved = fs::weakly_canonical(path, ec);
    return ec ? path.lexically_normal() : resolved;
}

}  // namespace

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    const bool hasA = stat(a.c_str(), &sa) == 0, hasB = stat(b.c_str(), &sb) == 0;
    if (hasA && hasB) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return !hasA && !hasB && createdAt(a) == createdAt(b);
}

bool reportWritten(const Voice& voice) {
    std::cout.flush();
    if (std::cout && std::fflush(stdout) == 0) return true;
    // The stream keeps no reason; errno still holds the failed write's.
    voice.cannotWrite(_("the report to standard output"), systemReason(errno, _("write error")));
    return false;
}

int runOnDataFile(const Voice& voice, const char* expected, const std::function<int(std::istream&)>& run) {
    const char* file = voice.file().c_str();
    errno = 0;
    std::ifstream in(file);
    const int openError = errno;
    const std::string reason = unreadable(file, in, openError);
    if (!reason.empty()) {
        // TRANSLATORS: %1 is the data file, %2 the system's reason.
        voice.say(fill(_("cannot read %1: %2"), {voice.file(), reason}));
        return 1;
    }
    if (!in) {
        // TRANSLATORS: %2 is the layout of the data file ("the order N, then
        // N·N numbers row by row").
        std::string text = std::strchr(file, '/')
                               ? fill(_("cannot open %1 (expected: %2)"), {voice.file(), tr(expected)})
                               : fill(_("cannot open %1 in the current folder (expected: %2)"),
                                      {voice.file(), tr(expected)});
        // A file saved under a similar name (an editor's added ".txt"):
        // searched for in the folder where the file was looked for, the
        // fixed name's or the one given, and only when none is there.
        const std::string similar = openError == ENOENT ? similarFile(voice.file()) : "";
        // TRANSLATORS: %1 is the message above, %2 a file whose name is close
        // to the one expected.
        if (!similar.empty()) text = fill(_("%1; found %2: rename it?"), {text, similar});
        voice.say(text);
        return 1;
    }
    try {
        int status = run(in);
        return reportWritten(voice) ? status : 1;
    } catch (const std::bad_alloc&) {
        voice.aboutFile(_("not enough memory for this order"));
        return 1;
    }
}
