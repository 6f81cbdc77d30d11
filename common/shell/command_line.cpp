// SPDX-License-Identifier: MIT
#include "shell/command_line.h"

#include <getopt.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "shell/output_file.h"
#include "shell/translate.h"

namespace {

// The values a number option takes: --digits ('d') and the program's own
// ('r').
struct Range {
    std::string option;
    int minimum, maximum;
};

Range rangeOf(int c, const ProgramInfo& p) {
    return c == 'd' ? Range{"--digits", 1, p.maxDigits}
                    : Range{std::string("--") + p.option->name, p.option->minimum, p.option->maximum};
}

void printHelp(const ProgramInfo& p, std::ostream& out) {
    out << fill(_("Usage: %1 [OPTION]... [DATA_FILE]"), {p.name}) << "\n"
        << tr(p.summary) << "\n\n"
        << fill(_("DATA_FILE (default: %1 in the current folder) holds numbers separated by\n"
                  "white space:\n  %2.\nFor example:"),
                {p.dataFile, tr(p.layout)})
        << "\n"
        << tr(p.example) << "\n\n"
        << _("Files: reads DATA_FILE; writes the report to standard output, messages to standard\n"
             "error, and the picture to the file of --svg.")
        << "\n";
    if (*p.writes) out << tr(p.writes) << "\n";
    const Range digits = rangeOf('d', p);
    out << "\n"
        << _("Options:") << "\n"
        << fill(_("  --svg FILE   after the report, write to FILE an SVG picture of\n"
                  "               %1"),
                {tr(p.picture)})
        << "\n"
        << fill(*p.writes
                    ? _("  --digits N   write the numbers of the report and of the files written besides\n"
                        "               the picture with N significant digits, %1 to %2 (default %3)")
                    : _("  --digits N   write the numbers of the report with N significant digits,\n"
                        "               %1 to %2 (default %3)"),
                {std::to_string(digits.minimum), std::to_string(digits.maximum),
                 std::to_string(Options().digits)})
        << "\n";
    if (p.option) {
        out << fill(tr(p.option->help), {std::to_string(p.option->minimum), std::to_string(p.option->maximum),
                                         std::to_string(p.option->initial)})
            << "\n";
    }
    out << _("  -h, --help   show this help and exit") << "\n"
        << _("  --version    show the version and exit") << "\n"
        << _("  --           end of the options (for a DATA_FILE that starts with '-')") << "\n\n"
        << (p.exitStatus
                ? tr(p.exitStatus)
                : _("Exit status: 0 report written, 1 bad data or no convergence, 2 wrong command line."))
        << "\n";
}

// The value of `text` when it is a whole number from minimum to maximum
// (decimal digits only: no sign, blank or suffix), else -1.
long long wholeNumber(const char* text, long long minimum, long long maximum) {
    if (*text == '\0' || std::strspn(text, "0123456789") != std::strlen(text)) return -1;
    const long long value = std::strtoll(text, nullptr, 10);  // LLONG_MAX when it is larger
    return value >= minimum && value <= maximum ? value : -1;
}

}  // namespace

CommandLine parseCommandLine(int argc, char** argv, const ProgramInfo& info, std::ostream& out,
                             std::ostream& err) {
    std::vector<option> longOptions = {{"help", no_argument, nullptr, 'h'},
                                       {"version", no_argument, nullptr, 'V'},
                                       {"svg", required_argument, nullptr, 's'},
                                       {"digits", required_argument, nullptr, 'd'}};
    if (info.option) longOptions.push_back({info.option->name, required_argument, nullptr, 'r'});
    longOptions.push_back({nullptr, 0, nullptr, 0});
    CommandLine result;
    if (info.option) result.options.own = info.option->initial;
    auto usageError = [&](const std::string& problem) {
        err << prefix(info.name) << fill(_("%1; try '%2 --help'"), {problem, info.name}) << std::endl;
        result.status = 2;
        return result;
    };
    // The value of the number option c, or -1 after a usage error: `text`
    // is its argument, or null when it has none.
    auto number = [&](int c, const char* text) {
        const Range r = rangeOf(c, info);
        const std::string from = std::to_string(r.minimum), to = std::to_string(r.maximum);
        const long long value = text ? wholeNumber(text, r.minimum, r.maximum) : -1;
        if (value >= 0) return static_cast<int>(value);
        usageError(text ? fill(_("option '%1' needs a whole number from %2 to %3, found '%4'"),
                               {r.option, from, to, text})
                        : fill(_("option '%1' needs a whole number from %2 to %3"), {r.option, from, to}));
        return -1;
    };

    opterr = 0;  // the messages are ours
    optind = 0;  // start afresh (GNU), also on a second call
    int c;
    while ((c = getopt_long(argc, argv, ":h", longOptions.data(), nullptr)) != -1) {
        switch (c) {
            case 'h':
                printHelp(info, out);
                return result;
            case 'V':
                out << fill(_("%1 (zelkor) %2"), {info.name, ZELKOR_VERSION}) << std::endl;
                return result;
            case 's':
                if (*optarg == '\0') return usageError(fill(_("option '%1' needs a file name"), {"--svg"}));
                result.options.svgFile = optarg;
                break;
            case 'd':
                if ((result.options.digits = number(c, optarg)) < 0) return result;
                break;
            case 'r':
                if ((result.options.own = number(c, optarg)) < 0) return result;
                break;
            case ':':
                if (optopt == 's')
                    return usageError(fill(_("option '%1' needs a file name"), {argv[optind - 1]}));
                number(optopt, nullptr);  // the usage error of a number option without its number
                return result;
            default:
                if (optopt != 0)
                    return usageError(fill(_("unknown option '%1'"), {std::string("-") + char(optopt)}));
                return usageError(fill(_("unknown option '%1'"), {argv[optind - 1]}));
        }
    }
    if (argc - optind > 1) {
        return usageError(
            fill(_("one data file at most, found '%1' and '%2'"), {argv[optind], argv[optind + 1]}));
    }
    result.options.dataFile = optind < argc ? argv[optind] : info.dataFile;
    // No output may replace the data file or the other output.
    const std::string& data = result.options.dataFile;
    const std::string& svg = result.options.svgFile;
    if (!svg.empty() && sameFile(svg, data))
        return usageError(fill(_("the picture %1 would overwrite the data file %2"), {svg, data}));
    if (*info.written && sameFile(info.written, data))
        return usageError(fill(_("%1 would overwrite the data file %2"), {info.written, data}));
    if (*info.written && !svg.empty() && sameFile(svg, info.written))
        return usageError(
            fill(_("the picture %1 would overwrite %2, which the program also writes"), {svg, info.written}));
    result.options.progress = isatty(STDERR_FILENO) == 1;
    result.run = true;
    return result;
}
