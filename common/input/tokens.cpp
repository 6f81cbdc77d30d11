// SPDX-License-Identifier: MIT
#include "input/tokens.h"

#include "shell/translate.h"

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isAscii(const std::string& t) {
    for (char c : t)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
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

}  // namespace

bool isSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

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

std::string withHint(const std::string& problem, const std::string& token, bool decimal) {
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
std::string quoted(const std::string& token) {
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
