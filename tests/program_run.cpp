#include "program_run.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

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

}  // namespace

int lineCount(const std::string& s) {
    int n = 0;
    for (char c : s) n += c == '\n';
    return n;
}

ProgramRun runProgram(const std::string& binary, const std::map<std::string, std::string>& files,
                      const std::vector<std::string>& args, unsigned seconds) {
    std::string pattern = (fs::temp_directory_path() / "zelkor-run-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    const fs::path dir = pattern;
    // Outputs are kept outside the folder so that they are not taken for
    // files the program wrote.
    const std::string outPath = pattern + ".out", errPath = pattern + ".err";
    for (const auto& f : files) {
        if (!f.first.empty() && f.first.back() == '/')
            fs::create_directory(dir / f.first);
        else
            std::ofstream(dir / f.first, std::ios::binary) << f.second;
    }

    std::vector<char*> argv{const_cast<char*>(binary.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || chdir(dir.c_str()) != 0) _exit(127);
        dup2(out, 1);
        dup2(err, 2);
        alarm(seconds);  // survives exec: a hang ends as SIGALRM
        execv(binary.c_str(), argv.data());
        _exit(127);
    }
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);

    ProgramRun run;
    run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    run.out = slurp(outPath);
    run.err = slurp(errPath);
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.is_regular_file()) run.files[entry.path().filename()] = slurp(entry.path());
    fs::remove(outPath);
    fs::remove(errPath);
    fs::remove_all(dir);
    return run;
}

::testing::AssertionResult refused(const ProgramRun& run, const std::string& program, const std::string& file,
                                   const std::string& problem) {
    auto fail = ::testing::AssertionFailure();
    if (run.status != 1) return fail << "exit status " << run.status << ", err: " << run.err;
    if (!run.out.empty()) return fail << "standard output not empty: " << run.out;
    if (lineCount(run.err) != 1 || run.err.back() != '\n')
        return fail << "standard error is not one line: " << run.err;
    if (run.err.rfind(program + ": ", 0) != 0) return fail << "no program name: " << run.err;
    if (run.err.find(file) == std::string::npos) return fail << "no file name: " << run.err;
    if (run.err.find(problem) == std::string::npos)
        return fail << "\"" << problem << "\" not in: " << run.err;
    return ::testing::AssertionSuccess();
}
