// SPDX-License-Identifier: MIT
// What a token of a data file is: white space, a whole number, a decimal
// number; how a token is shown in a message, and the hint it suggests when
// it is not the number expected.
#ifndef ZELKOR_TOKENS_H
#define ZELKOR_TOKENS_H

#include <string>

bool isSpace(int c);

// [+-]digits
bool isWhole(const std::string& t);

// [+-](digits[.digits]|.digits)([eE][+-]digits): the decimal numbers that
// formatted extraction reads whole.  No hexadecimal, infinity or NaN.
bool isDecimal(const std::string& t);

// The token as it is shown in a message: quoted, cut short, and with bytes
// outside printable ASCII written as \xNN so the message stays one line.
std::string quoted(const std::string& token);

// The problem of a token that is not what was expected, with what the
// token itself suggests: a byte outside ASCII (a no-break space, a
// typographic minus), a decimal comma ("1,5"; only when `decimal`: not
// where a whole number is expected), or commas between numbers.
std::string withHint(const std::string& problem, const std::string& token, bool decimal);

#endif
