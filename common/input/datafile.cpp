// SPDX-License-Identifier: MIT
#include "input/datafile.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <istream>
#include <vector>

#include "input/tokens.h"
#include "shell/translate.h"
#include "shell/voice.h"

namespace {

// Tokens longer than this are no numbers any program expects; the limit
// keeps a file without white space from being held in memory whole.
constexpr std::size_t maxToken = 4096;

// The UTF-8 byte-order mark some editors put at the start of a text file,
// and the two of UTF-16 (little- and big-endian), which no reader takes.
const std::string byteOrderMark = "\xEF\xBB\xBF";
const std::string utf16Little = "\xFF\xFE";
const std::string utf16Big = "\xFE\xFF";

}  // namespace

DataFile::DataFile(std::istream& in, const Voice& voice) : in_(in), voice_(voice) {}

void DataFile::fail(const std::string& problem) const {
    throw InputError(prefix(voice_.program(), voice_.file()) + problem);
}

void DataFile::failAtToken(const std::string& problem) const {
    // TRANSLATORS: where a message points to: the data file %1, its line %2.
    throw InputError(
        prefix(voice_.program(), fill(_("%1 line %2"), {voice_.file(), std::to_string(tokenLine_)})) +
        problem);
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
    return prefix(voice_.program(), voice_.file()) +
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
