// SPDX-License-Identifier: MIT
#include "shell/translate.h"

#include <libintl.h>
#include <unistd.h>

#include <clocale>
#include <filesystem>
#include <system_error>

namespace {
constexpr const char* domain = "zelkor";
}

const char* tr(const char* english) { return dgettext(domain, english); }

const char* trn(const char* singular, const char* plural, unsigned long n) {
    return dngettext(domain, singular, plural, n);
}

std::string fill(const std::string& pattern, std::initializer_list<std::string> values) {
    std::string s;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        const char n = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        if (c == '%' && n == '%') {
            s += '%';
            ++i;
        } else if (c == '%' && n >= '1' && n <= '9' && std::size_t(n - '1') < values.size()) {
            s += values.begin()[n - '1'];
            ++i;
        } else {
            s += c;
        }
    }
    return s;
}

void startTranslation() {
    std::setlocale(LC_MESSAGES, "");
    std::setlocale(LC_CTYPE, "");
    // Installed, the executable is <prefix>/bin/<program> and its catalogues
    // are in <prefix>/share/locale; in the build tree it is
    // <build>/<program>/<program> and they are in <build>/share/locale.
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::filesystem::path locale = exe.parent_path().parent_path() / "share" / "locale";
        if (std::filesystem::is_directory(locale, error)) bindtextdomain(domain, locale.c_str());
    }
    bind_textdomain_codeset(domain, "UTF-8");
}
