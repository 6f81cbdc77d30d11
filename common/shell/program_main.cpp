// SPDX-License-Identifier: MIT
#include "shell/program_main.h"

#include <fstream>
#include <iostream>
#include <new>

#include <zelkor/threads>

#include "input/open_data.h"
#include "shell/output_file.h"
#include "shell/translate.h"

int programMain(int argc, char** argv, const ProgramInfo& info,
                const std::function<int(std::istream&, const Voice&, const Options&)>& run) {
    startTranslation();
    ZELKOR::useMachineGovernor();
    CommandLine line = parseCommandLine(argc, argv, info, std::cout, std::cerr);
    if (!line.run) return line.status;
    const Options& options = line.options;
    const Voice voice(info.name, options.dataFile, std::cerr);
    std::cout.precision(options.digits);  // every number of the report (6: the stream's default)
    std::ifstream data;
    if (!openDataFile(data, voice, info.layout)) return 1;
    try {
        const int status = run(data, voice, options);
        return reportWritten(voice) ? status : 1;
    } catch (const std::bad_alloc&) {
        voice.aboutFile(_("not enough memory for this order"));
        return 1;
    }
}
