// SPDX-License-Identifier: MIT
#include "command_line.h"

#include <getopt.h>
#include <unistd.h>

#include <iostream>
#include <string>

#include "datafile.h"
#include "translate.h"
#include "voice.h"

namespace {

void printHelp(const ProgramInfo& p, std::ostream& out) {
    out << "Usage: " << p.name << " [OPTION]... [DATA_FILE]\n"
        << p.summary << "\n\n"
        << "DATA_FILE (default: " << p.dataFile << " in the current folder) holds numbers separated by\n"
        << "white space:\n  " << p.layout << ".\nFor example:\n"
        << p.example << "\n"
        << "\nFiles: reads DATA_FILE; writes the report to standard output, messages to standard\n"
        << "error, and the picture to the file of --svg.\n";
    if (*p.writes) out << p.writes << "\n";
    out << "\nOptions:\n"
        << "  --svg FILE   after the report, write to FILE an SVG picture of\n"
        << "               " << p.picture << "\n"
        << "  -h, --help   show this help and exit\n"
        << "  --version    show the version and exit\n"
        << "  --           end of the options (for a DATA_FILE that starts with '-')\n"
        << "\nExit status: 0 report written, 1 bad data or no convergence, 2 wrong command line.\n";
}

}  // namespace

CommandLine parseCommandLine(int argc, char** argv, const ProgramInfo& info, std::ostream& out,
                             std::ostream& err) {
    static const option longOptions[] = {{"help", no_argument, nullptr, 'h'},
                                         {"version", no_argument, nullptr, 'V'},
                                         {"svg", required_argument, nullptr, 's'},
                                         {nullptr, 0, nullptr, 0}};
    CommandLine result;
    auto usageError = [&](const std::string& problem) {
        err << prefix(info.name) << problem << "; try '" << info.name << " --help'" << std::endl;
        result.status = 2;
        return result;
    };

    opterr = 0;  // the messages are ours
    optind = 0;  // start afresh (GNU), also on a second call
    int c;
    while ((c = getopt_long(argc, argv, ":h", longOptions, nullptr)) != -1) {
        switch (c) {
            case 'h':
                printHelp(info, out);
                return result;
            case 'V':
                out << info.name << " (zelkor) " << ZELKOR_VERSION << std::endl;
                return result;
            case 's':
                if (*optarg == '\0') return usageError("option '--svg' needs a file name");
                result.options.svgFile = optarg;
                break;
            case ':':
                return usageError(std::string("option '") + argv[optind - 1] + "' needs a file name");
            default:
                if (optopt != 0) return usageError(std::string("unknown option '-") + char(optopt) + "'");
                return usageError(std::string("unknown option '") + argv[optind - 1] + "'");
        }
    }
    if (argc - optind > 1) {
        return usageError(std::string("one data file at most, found '") + argv[optind] + "' and '" +
                          argv[optind + 1] + "'");
    }
    result.options.dataFile = optind < argc ? argv[optind] : info.dataFile;
    result.options.progress = isatty(STDERR_FILENO) == 1;
    result.run = true;
    return result;
}

int programMain(int argc, char** argv, const ProgramInfo& info,
                const std::function<int(std::istream&, const Voice&, const Options&)>& run) {
    startTranslation();
    CommandLine line = parseCommandLine(argc, argv, info, std::cout, std::cerr);
    if (!line.run) return line.status;
    const Options& options = line.options;
    const Voice voice(info.name, options.dataFile, std::cerr);
    return runOnDataFile(voice, info.layout, [&](std::istream& data) { return run(data, voice, options); });
}
