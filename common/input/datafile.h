// SPDX-License-Identifier: MIT
// Checked reading of the programs' data files.
//
// A data file is text: numbers separated by white space.  DataFile reads it
// token by token (skipping a UTF-8 byte-order mark at the start; a line
// ends with "\n", "\r\n" or a lone "\r") and turns every problem (a token
// that is not a number, a number out of range, an order outside its
// limits, a file that ends early or cannot be read, a UTF-16 file) into an
// InputError whose message is the one line the program prints on standard
// error:
//     "<program>: <file> line <k>: <problem>"
// A token's problem says what the token suggests: a character outside
// ASCII, a decimal comma ("the decimal separator is a point, as in
// "1.5""), commas between numbers (input/tokens.h).  Messages go through
// shell/translate.h.
// Nothing is allocated in proportion to a number read from the file: a
// count only limits how far the reading goes.
#ifndef ZELKOR_DATAFILE_H
#define ZELKOR_DATAFILE_H

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

class Voice;

class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class DataFile {
public:
    // Messages name the voice's program and data file.
    DataFile(std::istream& in, const Voice& voice);

    // A whole number in minimum ... maximum; `what` names it in messages
    // ("the order N", translated by the caller: _("the order N")).
    int readInt(const std::string& what, int minimum, int maximum);

    // One decimal number, converted exactly as formatted stream extraction
    // converts it; a value beyond the type's range is refused, and so is
    // one that underflows to a subnormal or to zero (an exact zero, "0",
    // "-0.0e5", is read).
    double readDouble(const std::string& what);
    long double readLongDouble(const std::string& what);

    // `count` numbers; the message for a short file says how many it held.
    // `onLine`, when given, is told the line of each number as it is read.
    std::vector<double> readDoubles(std::size_t count, const std::string& what,
                                    const std::function<void(long)>& onLine = nullptr);
    std::vector<long double> readLongDoubles(std::size_t count, const std::string& what);

    // After the last number a program reads: "" when no number follows,
    // else the warning "<program>: <file>: <k> numbers after the data were
    // not read; is the order right?".  Reads the rest of the file.
    std::string leftoverWarning();

    // Throws InputError "<program>: <file>: <problem>".
    [[noreturn]] void fail(const std::string& problem) const;

private:
    bool next(std::string& token);  // false at the end of the file
    void count(int c);              // line ends among the characters read
    [[noreturn]] void failAtToken(const std::string& problem) const;
    template <class T>
    T number(T (*convert)(const char*, char**)) const;
    template <class T>
    T readFloat(const std::string& what, T (*convert)(const char*, char**));
    template <class T>
    std::vector<T> readMany(std::size_t count, const std::string& what, T (*convert)(const char*, char**),
                            const std::function<void(long)>& onLine);

    std::istream& in_;
    const Voice& voice_;
    std::string token_;     // the last token read
    long line_ = 1;         // line of the next character
    long tokenLine_ = 1;    // line of the last token
    bool afterCR_ = false;  // the last character read was '\r'
    bool atStart_ = true;   // no token read yet (a byte-order mark may come)
};

// The largest order a program reads: the n·n elements of a Matrix, which
// counts them in int, and of the programs' row arrays stay indexable.
constexpr int maxOrder = 46340;

#endif
