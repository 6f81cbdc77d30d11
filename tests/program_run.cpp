#include "program_run.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void removeTree(const std::string& dir) {
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            if (name == "." || name == "..") continue;
            std::string path = dir + "/" + name;
            struct stat st;
            if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
                removeTree(path);
            else
                unlink(path.c_str());
        }
        closedir(d);
    }
    rmdir(dir.c_str());
}

}  // namespace

int lineCount(const std::string& s) {
    int n = 0;
    for (char c : s) n += c == '\n';
    return n;
}

ProgramRun runProgram(const std::string& binary, const std::map<std::string, std::string>& files,
                      const std::vector<std::string>& args, unsigned seconds) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/zelkor-run-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
    const std::string dir = buf.data();
    // Outputs are kept outside the folder so that they are not taken for
    // files the program wrote.
    const std::string outPath = dir + ".out", errPath = dir + ".err";

    for (const auto& f : files) {
        std::string path = dir + "/" + f.first;
        if (!f.first.empty() && f.first.back() == '/') {
            mkdir(path.c_str(), 0755);
        } else {
            std::ofstream(path, std::ios::binary) << f.second;
        }
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
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string path = dir + "/" + e->d_name;
            struct stat st;
            if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) run.files[e->d_name] = slurp(path);
        }
        closedir(d);
    }
    unlink(outPath.c_str());
    unlink(errPath.c_str());
    removeTree(dir);
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
