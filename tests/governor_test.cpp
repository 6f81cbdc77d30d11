// SPDX-License-Identifier: MIT
// The thread governor on hand-made machine texts (cgroup files, mount
// tables, /proc/stat) and samples, whose counts follow by hand; the order
// of precedence of threadsFor; the governor asked only once installed;
// and, on Linux, this process restricted to one CPU by its affinity mask.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#ifdef __linux__
#include <sched.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#endif

#define ZELKOR_WHITE_BOX
#include <zelkor/threads>

namespace {

using namespace ZELKOR::detail::governor;

// The mount table of a machine with both hierarchies (cgroup v1 cpu, and
// v2 with no controllers), as /proc/self/mountinfo shows them.
const char* hybridMounts =
    "30 22 0:27 / /sys/fs/cgroup rw,relatime - tmpfs tmpfs rw,mode=755\n"
    "31 30 0:28 / /sys/fs/cgroup/cpu rw,relatime - cgroup cgroup rw,cpu\n"
    "32 30 0:29 / /sys/fs/cgroup/cpuacct rw,relatime - cgroup cgroup rw,cpuacct\n"
    "34 30 0:31 / /sys/fs/cgroup/memory rw,relatime - cgroup cgroup rw,memory\n"
    "40 30 0:37 / /sys/fs/cgroup/unified rw,relatime - cgroup2 cgroup2 rw\n";

std::vector<std::string> folderNames(const std::vector<QuotaFolder>& folders, bool v2) {
    std::vector<std::string> names;
    for (const QuotaFolder& f : folders)
        if (f.v2 == v2) names.push_back(f.folder);
    return names;
}

TEST(Governor, QuotaFoldersFromTheCgroupUpToTheMountPoint) {
    // cgroup v2 alone, a service two levels down.
    const std::vector<QuotaFolder> v2 = quotaFolders("0::/system.slice/app.service\n",
                                                     "25 1 0:22 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n");
    EXPECT_EQ(folderNames(v2, true),
              (std::vector<std::string>{"/sys/fs/cgroup/system.slice/app.service",
                                        "/sys/fs/cgroup/system.slice", "/sys/fs/cgroup"}));
    EXPECT_TRUE(folderNames(v2, false).empty());
    // Hybrid: the v1 cpu line and the v2 line; the memory line is no quota.
    const std::vector<QuotaFolder> hybrid =
        quotaFolders("4:memory:/box\n1:cpu:/box/run\n0::/\n", hybridMounts);
    EXPECT_EQ(folderNames(hybrid, false),
              (std::vector<std::string>{"/sys/fs/cgroup/cpu/box/run", "/sys/fs/cgroup/cpu/box",
                                        "/sys/fs/cgroup/cpu"}));
    EXPECT_EQ(folderNames(hybrid, true), (std::vector<std::string>{"/sys/fs/cgroup/unified"}));
    // A container: the hierarchy mounted from its own cgroup, which the
    // process's path names from the host's root.
    const std::vector<QuotaFolder> boxed = quotaFolders(
        "3:cpu,cpuacct:/docker/c0ffee\n",
        "50 40 0:40 /docker/c0ffee /sys/fs/cgroup/cpu,cpuacct ro - cgroup cgroup rw,cpu,cpuacct\n");
    EXPECT_EQ(folderNames(boxed, false), (std::vector<std::string>{"/sys/fs/cgroup/cpu,cpuacct"}));
    // No hierarchy with a quota mounted.
    EXPECT_TRUE(quotaFolders("1:cpu:/x\n", "25 1 0:22 / /proc rw - proc proc rw\n").empty());
}

std::map<std::string, std::string> files;

bool readFake(const std::string& path, std::string& text) {
    const auto f = files.find(path);
    if (f == files.end()) return false;
    text = f->second;
    return true;
}

// cpu.max and cfs texts, then the least quota along the path.
TEST(Governor, QuotaTextsAndTheLeastAlongThePath) {
    EXPECT_EQ(cpuMaxQuota("max 100000\n") + cpuMaxQuota(""), 0);
    EXPECT_EQ(cpuMaxQuota("50000 100000"), 0.5);
    EXPECT_EQ(cfsQuota("-1\n", "100000\n") + cfsQuota("25000\n", "0\n"), 0);
    EXPECT_EQ(cfsQuota("200000\n", "100000\n"), 2);
    const std::vector<QuotaFolder> folders = {
        {"/g/a/b", true}, {"/g/a", true}, {"/g", true}, {"/c/a", false}, {"/c", false}};
    files = {{"/g/a/b/cpu.max", "max 100000\n"},
             {"/g/a/cpu.max", "150000 100000\n"},
             {"/c/a/cpu.cfs_quota_us", "-1\n"},
             {"/c/a/cpu.cfs_period_us", "100000\n"}};
    EXPECT_EQ(quotaCpus(folders, readFake), 1.5);
    files["/c/cpu.cfs_quota_us"] = "50000\n";
    files["/c/cpu.cfs_period_us"] = "100000\n";
    EXPECT_EQ(quotaCpus(folders, readFake), 0.5);
    files.clear();
    EXPECT_EQ(quotaCpus(folders, readFake), 0);
}

const char* stat =
    "cpu  900 0 300 4000 40 0 10 0 0 0\n"
    "cpu0 100 0 50 1000 10 0 1 0 0 0\n"
    "cpu1 200 0 50 1100 20 0 2 0 0 0\n"
    "cpu2 300 0 100 900 5 0 3 0 0 0\n"
    "cpu3 300 0 100 1000 5 0 4 0 0 0\n"
    "intr 12345 0 0\n"
    "ctxt 999\n"
    "procs_running 3\n"
    "procs_blocked 0\n";

TEST(Governor, IdleTicksOfTheAllowedCpus) {
    const StatTimes t = procStat(stat, {false, true, false, true});
    EXPECT_EQ(t.idleTicks, 1100 + 20 + 1000 + 5);
    EXPECT_EQ(t.running, 3);
    EXPECT_EQ(t.cpuLines, 4);
    EXPECT_TRUE(t.complete);
    EXPECT_FALSE(procStat(stat, {false, false, false, false, true}).complete);  // cpu4 missing
    EXPECT_FALSE(procStat("cpu0 1 2 3 4 5\n", {true}).complete);                // no procs_running
}

Sample at(double wall, double ownCpu, double idle, int running = 1, int cpus = 2, int online = 2) {
    return Sample{wall, ownCpu, idle, running, cpus, online};
}

// Times in binary fractions, so that every quotient below is exact.
TEST(Governor, FreeCpusOverEachInterval) {
    Governor g;
    EXPECT_EQ(g.choose(at(8, 0, 0)), 2);  // alone on the machine
    // 0.25 s on both CPUs: nothing idle, this process used 0.5 CPU s.
    EXPECT_EQ(g.choose(at(8.25, 0.5, 0)), 2);
    // A competitor came: two threads of ours got 4/3 of the 2 CPUs.
    EXPECT_EQ(g.choose(at(8.625, 1.0, 0)), 1);
    // Too soon for a new count (under 0.1 s): it stands.
    EXPECT_EQ(g.choose(at(8.6875, 1.0625, 0.0625)), 1);
    // One thread beside the competitor: 1 free CPU (over the 0.25 s since
    // the last sample that counted).
    EXPECT_EQ(g.choose(at(8.875, 1.25, 0)), 1);
    // The competitor took a quarter of a CPU: 1.75 free, with the slack 2.
    EXPECT_EQ(g.choose(at(9.875, 2.25, 0.75)), 2);
    // 0.375 of a CPU taken: 1.625 free, 1.
    EXPECT_EQ(g.choose(at(10.875, 3.25, 1.375)), 1);
}

// The first sample counts the other runnable threads; the affinity mask
// and the quota bound the count.
TEST(Governor, FirstSampleAffinityAndQuota) {
    EXPECT_EQ(Governor().choose(at(0, 0, 0, 2)), 1);  // one other runnable thread on 2 CPUs
    // 4 CPUs of a 16-CPU machine, 9 running: 8 others, a quarter of them
    // on this process's share: 2 free.
    EXPECT_EQ(Governor().choose(at(0, 0, 0, 9, 4, 16)), 2);
    EXPECT_EQ(Governor().choose(at(0, 0, 0, 1, 1, 2)), 1);  // taskset -c 0
    EXPECT_EQ(Governor(1.5).choose(at(0, 0, 0)), 1);        // ⌊1.5⌋
    EXPECT_EQ(Governor(0.5).choose(at(0, 0, 0)), 1);        // at least one
    EXPECT_EQ(Governor(3).choose(at(0, 0, 0, 1, 4, 4)), 3);
    EXPECT_EQ(Governor(8).choose(at(0, 0, 0, 1, 4, 4)), 4);  // the quota beyond the mask
}

TEST(Governor, PrecedenceOfTheCountSources) {
    const double big = 1e6;
    int asked = 0;
    auto governed = [&asked] {
        asked++;
        return 1;
    };
    using ZELKOR::detail::teamSize;
    // Small steps and nested regions: one thread, whatever was asked.
    EXPECT_EQ(teamSize(ZELKOR::detail::parallelThreshold / 2, false, 4, 2, 2, false, false, governed), 1);
    EXPECT_EQ(teamSize(big, true, 4, 2, 2, false, false, governed), 1);
    // setThreadCount first.
    EXPECT_EQ(teamSize(big, false, 3, 1, 2, false, true, governed), 3);
    // OpenMP's one thread.
    EXPECT_EQ(teamSize(big, false, 0, 1, 2, false, false, governed), 1);
    // The environment, omp_set_dynamic(1), a count other than the default.
    EXPECT_EQ(teamSize(big, false, 0, 2, 2, false, true, governed), 2);
    EXPECT_EQ(teamSize(big, false, 0, 2, 2, true, false, governed), 2);
    EXPECT_EQ(teamSize(big, false, 0, 3, 2, false, false, governed), 3);
    EXPECT_EQ(asked, 0);
    // OpenMP's default: the governor, at most that default.
    EXPECT_EQ(teamSize(big, false, 0, 2, 2, false, false, governed), 1);
    EXPECT_EQ(teamSize(big, false, 0, 2, 2, false, false, [] { return 4; }), 2);
    EXPECT_EQ(teamSize(big, false, 0, 2, 2, false, false, [] { return 0; }), 2);
    EXPECT_EQ(asked, 1);
}

#ifdef _OPENMP
int standInOne() { return 1; }

// A large step asks a governor only once one is installed;
// useMachineGovernor installs the machine's.
TEST(Governor, AskedOnlyOnceInstalled) {
    const int openmp = omp_get_max_threads();
    if (openmp < 2 || openmp != omp_get_num_procs() || ZELKOR::detail::environmentSteersThreads())
        GTEST_SKIP() << "OpenMP's count is steered or 1";
    EXPECT_EQ(ZELKOR::threadCountNow(), openmp);
    ZELKOR::detail::governorHook().store(standInOne);
    EXPECT_EQ(ZELKOR::threadCountNow(), 1);
    ZELKOR::useMachineGovernor();
    EXPECT_EQ(ZELKOR::detail::governorHook().load(), ZELKOR::detail::machineThreads);
    ZELKOR::detail::governorHook().store(nullptr);
}
#endif

#ifdef __linux__
// This process on one CPU: the machine's sample says so, and the count is 1
// however idle the machine.
TEST(Governor, OneCpuByAffinity) {
    cpu_set_t saved;
    ASSERT_EQ(sched_getaffinity(0, sizeof saved, &saved), 0);
    int first = 0;
    while (!CPU_ISSET(first, &saved)) first++;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(first, &one);
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
    Sample s;
    const bool read = readMachine(s);
    sched_setaffinity(0, sizeof saved, &saved);
    ASSERT_TRUE(read);
    EXPECT_EQ(s.cpus, 1);
    EXPECT_GE(s.online, 1);
    EXPECT_EQ(Governor().choose(s), 1);
}


// A real quota, where this machine lets the test make a cgroup (root, the
// cgroup v1 cpu hierarchy): a child process in a cgroup of half a CPU
// reads 0.5 and runs on one thread.
TEST(Governor, HalfACpuByACgroupQuota) {
    const std::string folder = "/sys/fs/cgroup/cpu/zelkor-governor-test-" + std::to_string(getpid());
    if (mkdir(folder.c_str(), 0755) != 0) GTEST_SKIP() << "cannot make " << folder << ": quota not tested";
    const bool set = bool(std::ofstream(folder + "/cpu.cfs_period_us") << "100000\n") &&
                     bool(std::ofstream(folder + "/cpu.cfs_quota_us") << "50000\n");
    const pid_t child = set ? fork() : -1;
    if (child == 0) {
        std::ofstream(folder + "/tasks") << getpid() << "\n";
        _exit(processQuota() == 0.5 && MachineGovernor().threads() == 1 ? 0 : 1);
    }
    int status = -1;
    if (child > 0) waitpid(child, &status, 0);
    rmdir(folder.c_str());
    ASSERT_GT(child, 0) << "no quota set or no child";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}
#endif

}  // namespace
