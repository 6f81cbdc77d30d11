#include "datafile.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <new>
#include <sstream>

namespace {

// Tokens longer than this are no numbers any program expects; the limit
// keeps a file without white space from being held in memory whole.
constexpr std::size_t maxToken = 4096;

bool isSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

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

void DataFile::fail(const std::string& problem) const {
    throw InputError(program_ + ": " + file_ + ": " + problem);
}

void DataFile::failAtToken(const std::string& problem) const {
    throw InputError(program_ + ": " + file_ + " line " + std::to_string(tokenLine_) + ": " + problem);
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

bool DataFile::next(std::string& token) {
    token.clear();
    int c = in_.get();
    while (c != EOF && isSpace(c)) {
        if (c == '\n') ++line_;
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
    if (c == '\n') ++line_;
    return true;
}

int DataFile::readInt(const std::string& what, int minimum, int maximum) {
    if (!next(token_)) fail("ends before " + what);
    if (!isWhole(token_)) failAtToken(what + " must be a whole number, found " + quoted(token_));
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(token_.c_str(), &end, 10);
    bool overflow = errno == ERANGE;
    if (!overflow && v < minimum)
        failAtToken(what + " must be at least " + std::to_string(minimum) + ", found " + token_);
    if (overflow || v > maximum)
        failAtToken(what + " " + quoted(token_) + " is too large (at most " + std::to_string(maximum) + ")");
    return static_cast<int>(v);
}

template <class T>
T DataFile::number(T (*convert)(const char*, char**)) const {
    if (!isDecimal(token_)) failAtToken(quoted(token_) + " is not a number");
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

int runOnDataFile(const char* program, const char* file, const char* expected,
                  const std::function<int(std::istream&)>& run) {
    std::ifstream in(file);
    if (!in) {
        std::cerr << program << ": cannot open " << file
                  << (std::strchr(file, '/') ? "" : " in the current folder") << " (expected: " << expected
                  << ")" << std::endl;
        return 1;
    }
    try {
        return run(in);
    } catch (const std::bad_alloc&) {
        std::cerr << program << ": " << file << ": not enough memory for this order" << std::endl;
        return 1;
    }
}
