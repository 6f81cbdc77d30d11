// SPDX-License-Identifier: MIT
#include "datafile.h"

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

#include "voice.h"

namespace {

// Tokens longer than this are no numbers any program expects; the limit
// keeps a file without white space from being held in memory whole.
constexpr std::size_t maxToken = 4096;

bool isSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// What a token with a byte outside ASCII (a no-break space, a typographic
// minus, a decimal comma from a word processor) adds to its message.
std::string nonAscii(const std::string& t) {
    for (char c : t)
        if (static_cast<unsigned char>(c) >= 0x80)
            return ": it holds a character that is not plain ASCII text";
    return "";
}

// The UTF-8 byte-order mark some editors put at the start of a text file.
const std::string byteOrderMark = "\xEF\xBB\xBF";

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

}  // namespace

DataFile::DataFile(std::istream& in, std::string program, std::string file)
    : in_(in), program_(std::move(program)), file_(std::move(file)) {}

void DataFile::fail(const std::string& problem) const { throw InputError(prefix(program_, file_) + problem); }

void DataFile::failAtToken(const std::string& problem) const {
    throw InputError(prefix(program_, file_ + " line " + std::to_string(tokenLine_)) + problem);
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
    if (in_.bad()) fail("cannot be read");
    if (c == EOF) return false;
    tokenLine_ = line_;
    while (c != EOF && !isSpace(c)) {
        if (token.size() == maxToken) {
            failAtToken(quoted(token) + " is not a number");
        }
        token += static_cast<char>(c);
        c = in_.get();
    }
    if (in_.bad()) fail("cannot be read");
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

int DataFile::readInt(const std::string& what, int minimum, int maximum) {
    if (!next(token_)) fail("ends before " + what);
    if (!isWhole(token_))
        failAtToken(what + " must be a whole number, found " + quoted(token_) + nonAscii(token_));
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(token_.c_str(), &end, 10);
    bool overflow = errno == ERANGE;
    if ((!overflow && v < minimum) || (overflow && token_[0] == '-'))
        failAtToken(what + " must be at least " + std::to_string(minimum) + ", found " + token_);
    if (overflow || v > maximum)
        failAtToken(what + " " + quoted(token_) + " is too large (at most " + std::to_string(maximum) + ")");
    return static_cast<int>(v);
}

template <class T>
T DataFile::number(T (*convert)(const char*, char**)) const {
    if (!isDecimal(token_)) failAtToken(quoted(token_) + " is not a number" + nonAscii(token_));
    T v = convert(token_.c_str(), nullptr);
    // Formatted extraction refuses overflow and keeps underflow; so do we.
    if (std::isinf(v)) failAtToken(quoted(token_) + " is out of range");
    return v;
}

template <class T>
T DataFile::readFloat(const std::string& what, T (*convert)(const char*, char**)) {
    if (!next(token_)) fail("ends before " + what);
    return number(convert);
}

template <class T>
std::vector<T> DataFile::readMany(std::size_t count, const std::string& what,
                                  T (*convert)(const char*, char**)) {
    std::vector<T> values;
    values.reserve(count < 4096 ? count : 4096);
    while (values.size() < count) {
        if (!next(token_)) {
            fail("holds " + std::to_string(values.size()) + " of the " + std::to_string(count) +
                 " numbers of " + what);
        }
        values.push_back(number(convert));
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
    return prefix(program_, file_) + std::to_string(numbers) +
           (numbers == 1 ? " number after the data was" : " numbers after the data were") +
           " not read; is the order right?";
}

namespace {
double toDouble(const char* s, char** end) { return std::strtod(s, end); }
long double toLongDouble(const char* s, char** end) { return std::strtold(s, end); }
}  // namespace

double DataFile::readDouble(const std::string& what) { return readFloat<double>(what, toDouble); }

long double DataFile::readLongDouble(const std::string& what) {
    return readFloat<long double>(what, toLongDouble);
}

std::vector<double> DataFile::readDoubles(std::size_t count, const std::string& what) {
    return readMany<double>(count, what, toDouble);
}

std::vector<long double> DataFile::readLongDoubles(std::size_t count, const std::string& what) {
    return readMany<long double>(count, what, toLongDouble);
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

}  // namespace

bool reportWritten(const Voice& voice) {
    std::cout.flush();
    if (std::cout && std::fflush(stdout) == 0) return true;
    // The stream keeps no reason; errno still holds the failed write's.
    voice.cannotWrite("the report to standard output", systemReason(errno, "write error"));
    return false;
}

int runOnDataFile(const Voice& voice, const char* expected, const std::function<int(std::istream&)>& run) {
    const char* file = voice.file().c_str();
    errno = 0;
    std::ifstream in(file);
    const std::string reason = unreadable(file, in, errno);
    if (!reason.empty()) {
        voice.say("cannot read " + voice.file() + ": " + reason);
        return 1;
    }
    if (!in) {
        voice.say("cannot open " + voice.file() + (std::strchr(file, '/') ? "" : " in the current folder") +
                  " (expected: " + expected + ")");
        return 1;
    }
    try {
        int status = run(in);
        return reportWritten(voice) ? status : 1;
    } catch (const std::bad_alloc&) {
        voice.aboutFile("not enough memory for this order");
        return 1;
    }
}
