// SPDX-License-Identifier: MIT
// Text in the picture: escaped, measured, shortened; numbers as written.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "shell/translate.h"
#include "svg/parts.h"

namespace svg {

// Length of the well-formed UTF-8 sequence of two to four bytes at s[i],
// or 0 (overlong forms and surrogates are not checked).
std::size_t utf8Length(const std::string& s, std::size_t i) {
    unsigned char c = s[i];
    std::size_t n = c >= 0xf0 && c < 0xf5 ? 4 : c >= 0xe0 ? 3 : c >= 0xc2 && c < 0xe0 ? 2 : 0;
    if (c >= 0xf5 || i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xc0) != 0x80) return 0;
    return n;
}

// Text as XML character data: markup escaped, control bytes and bytes that
// are not UTF-8 (a file name in another encoding) shown as '?'.
std::string escaped(const std::string& s) {
    std::string r;
    for (std::size_t i = 0; i < s.size(); ++i) {
        unsigned char c = s[i];
        if (c == '&')
            r += "&amp;";
        else if (c == '<')
            r += "&lt;";
        else if (c == '>')
            r += "&gt;";
        else if (c == '"')
            r += "&quot;";
        else if (c >= 0x20 && c < 0x7f)
            r += static_cast<char>(c);
        else if (std::size_t n = c >= 0x80 ? utf8Length(s, i) : 0) {
            r.append(s, i, n);
            i += n - 1;
        } else
            r += '?';
    }
    return r;
}

// The text split into characters: each well-formed UTF-8 sequence, and
// each other byte, is one.
std::vector<std::string> characters(const std::string& s) {
    std::vector<std::string> cs;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t n = static_cast<unsigned char>(s[i]) >= 0x80 ? utf8Length(s, i) : 0;
        n = std::max<std::size_t>(n, 1);
        cs.push_back(s.substr(i, n));
        i += n;
    }
    return cs;
}

// A character's width in ems, estimated from above for the usual
// sans-serif fonts (DejaVu Sans, Liberation Sans).
double ems(const std::string& c) {
    if (c.size() > 1) return 1;  // beyond ASCII: up to a full em (CJK)
    const char k = c[0];
    auto among = [k](const char* set) { return k != '\0' && std::strchr(set, k) != nullptr; };
    if (among(" .,:;'|!ijlft()[]")) return 0.4;
    if (among("mwMW@%")) return 1;
    if ((k >= 'A' && k <= 'Z') || among("<>=+~#&")) return 0.85;
    return 0.65;
}

double textWidth(const std::string& s, double size) {
    double w = 0;
    for (const std::string& c : characters(s)) w += ems(c) * size;
    return w;
}

// The last component of a path ("a/b/c.dat" gives "c.dat").
std::string baseName(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos || path.size() == 1 ? path : path.substr(slash + 1);
}

// The pattern with %1 the name, the name's middle replaced by "…" so that
// the text is at most `room` wide: as many characters as fit are kept
// from its ends, alternately from the front and the back.
std::string fitted(const std::string& pattern, const std::string& name, double size, double room) {
    std::string whole = fill(pattern, {name});
    if (textWidth(whole, size) <= room) return whole;
    const std::string ellipsis = "…";
    const std::vector<std::string> cs = characters(name);
    double used = textWidth(fill(pattern, {ellipsis}), size);
    std::size_t head = 0, tail = 0;
    while (head + tail < cs.size()) {
        const bool front = head <= tail;
        const double w = ems(front ? cs[head] : cs[cs.size() - 1 - tail]) * size;
        if (used + w > room) break;
        used += w;
        ++(front ? head : tail);
    }
    std::string shortened;
    for (std::size_t k = 0; k < head; ++k) shortened += cs[k];
    shortened += ellipsis;
    for (std::size_t k = cs.size() - tail; k < cs.size(); ++k) shortened += cs[k];
    return fill(pattern, {shortened});
}

// A picture coordinate far outside the picture, held at ±1e6.
double held(double v) { return std::fmax(-1e6, std::fmin(1e6, v)); }

// A picture coordinate as written.
std::string num(double v) {
    char b[32];
    std::snprintf(b, sizeof b, "%.2f", held(v));
    return b;
}

// A tick's value as written; never "-0".
std::string label(double v) {
    std::ostringstream s;
    s << v;
    return s.str() == "-0" ? "0" : s.str();
}

}  // namespace svg
