// SPDX-License-Identifier: MIT
#include "program_run.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// s as one word of the shell, in single quotes.
std::string shellWord(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

}  // namespace

int lineCount(const std::string& s) { return static_cast<int>(std::count(s.begin(), s.end(), '\n')); }

ProgramRun runProgram(const std::string& binary, const std::map<std::string, std::string>& files,
                      const std::vector<std::string>& args, unsigned seconds,
                      const std::vector<std::string>& env) {
    std::string dir = (fs::temp_directory_path() / "zelkor-run-XXXXXX").string();
    if (!mkdtemp(dir.data())) throw std::runtime_error("mkdtemp failed");
    for (const auto& f : files) {
        if (!f.first.empty() && f.first.back() == '/')
            fs::create_directory(dir + "/" + f.first);
        else
            std::ofstream(dir + "/" + f.first, std::ios::binary) << f.second;
    }
    // Outputs are kept outside the folder so that they are not taken for
    // files the program wrote.  A hang ends as SIGALRM.
    std::string command = "cd " + shellWord(dir) +
                          " && exec env -u LANGUAGE -u LC_ALL -u LC_MESSAGES -u LC_CTYPE -u LC_NUMERIC LANG=C";
    for (const std::string& e : env) command += " " + shellWord(e);
    command += " timeout -s ALRM --preserve-status " + std::to_string(seconds) + " " + shellWord(binary);
    for (const std::string& a : args) command += " " + shellWord(a);
    int wstatus =
        std::system((command + " >" + shellWord(dir + ".out") + " 2>" + shellWord(dir + ".err")).c_str());

    ProgramRun run;
    run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    run.out = slurp(dir + ".out");
    run.err = slurp(dir + ".err");
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.is_regular_file()) run.files[entry.path().filename()] = slurp(entry.path());
    fs::remove(dir + ".out");
    fs::remove(dir + ".err");
    fs::remove_all(dir);
    return run;
}

::testing::AssertionResult refused(const ProgramRun& run, const std::string& program, const std::string& file,
                                   const std::string& problem, int status) {
    if (run.status == status && run.out.empty() && lineCount(run.err) == 1 && run.err.back() == '\n' &&
        run.err.rfind(program + ": ", 0) == 0 && run.err.find(file) != std::string::npos &&
        run.err.find(problem) != std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "exit status " << run.status << ", out: " << run.out.substr(0, 200) << "\nerr: " << run.err
           << "wanted: " << program << ", " << file << ", " << problem;
}

std::vector<double> numbers(const std::string& report, const std::string& caption) {
    std::size_t at = report.find(caption);
    if (at == std::string::npos) return {};
    at += caption.size();
    std::istringstream in(report.substr(at, report.find("\n\n", at) - at));
    std::vector<double> v;
    for (double x; in >> x;) v.push_back(x);
    return v;
}
