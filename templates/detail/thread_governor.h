// -*- C++ -*-
// SPDX-License-Identifier: MIT
// The thread governor: how many threads the kernels start when nobody has
// chosen for them, once a program installs it (useMachineGovernor in
// <zelkor/threads>).  It counts the CPUs this process may
// use (its affinity mask, and its cgroup's CPU quota: cgroup v2 cpu.max,
// v1 cpu.cfs_quota_us / cpu.cfs_period_us, along the path from the
// process's cgroup up to its mount point) and how many of them are free:
// the idle time of those CPUs in /proc/stat plus this process's own CPU
// time, over the interval since the previous sample, per second of that
// interval.  The first sample has no interval and counts the runnable
// threads instead (procs_running, less the one reading it).
//
// The parsing and the choice are plain functions of texts and numbers, so
// that they can be tested on hand-made inputs; machineGovernor() is the
// process's own governor, reading Linux's files, at most every
// sampleInterval seconds.  Elsewhere it reads nothing and leaves the count
// to OpenMP.
#ifndef ZELKOR_DETAIL_THREAD_GOVERNOR_H
#define ZELKOR_DETAIL_THREAD_GOVERNOR_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/thread_governor.h> is internal to the library: include <zelkor/threads> instead"
#endif

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string>
#include <vector>

#ifdef __linux__
#include <sched.h>
#include <unistd.h>
#endif

namespace ZELKOR {
namespace detail {
namespace governor {

// A number at `text[at]` (after blanks), advancing `at` past it; false
// when there is none.
inline bool readNumber(const std::string& text, std::size_t& at, double& value) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) at++;
    const char* begin = text.c_str() + at;
    char* end = nullptr;
    value = std::strtod(begin, &end);
    if (end == begin) return false;
    at += static_cast<std::size_t>(end - begin);
    return true;
}

// The CPUs that a cgroup v2 cpu.max allows ("QUOTA PERIOD" in µs: their
// ratio; "max PERIOD": no limit), and a v1 pair cpu.cfs_quota_us ("-1": no
// limit) and cpu.cfs_period_us.  0 for no limit and for a text that says
// nothing clear.
inline double cpuMaxQuota(const std::string& text) {
    std::size_t at = 0;
    double quota = 0, period = 0;
    if (!readNumber(text, at, quota) || !readNumber(text, at, period)) return 0;
    return quota > 0 && period > 0 ? quota / period : 0;
}

inline double cfsQuota(const std::string& quotaText, const std::string& periodText) {
    std::size_t at = 0, at2 = 0;
    double quota = 0, period = 0;
    if (!readNumber(quotaText, at, quota) || !readNumber(periodText, at2, period)) return 0;
    return quota > 0 && period > 0 ? quota / period : 0;
}

// The folders whose quota limits this process: for the cgroup v2 line of
// /proc/self/cgroup ("0::PATH") and the v1 line whose controllers include
// "cpu" ("N:cpu,cpuacct:PATH"), the cgroup's folder under the mount point
// of that hierarchy (from /proc/self/mountinfo: fields 4 and 5 are the
// mount's root and mount point, the fields after " - " its type and
// options), then each parent folder up to the mount point.  A PATH below
// the mount's root (a cgroup namespace, a container) is taken relative to
// that root.
struct QuotaFolder {
    std::string folder;
    bool v2;  // cpu.max; otherwise cpu.cfs_quota_us and cpu.cfs_period_us
};

// Words of `line` split at `separator`.
inline std::vector<std::string> split(const std::string& line, char separator) {
    std::vector<std::string> words;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t end = line.find(separator, begin);
        words.push_back(line.substr(begin, end == std::string::npos ? std::string::npos : end - begin));
        if (end == std::string::npos) return words;
        begin = end + 1;
    }
}

// A cgroup hierarchy: its file-system type ("cgroup2", or "cgroup" with
// `option` among its super options), and where it is mounted.
struct Hierarchy {
    const char* type;
    const char* option;
};

struct Mount {
    std::string point;
    std::string root;
};

// The mount of hierarchy h in `mountinfo`; false when there is none.
inline bool findMount(const std::string& mountinfo, const Hierarchy& h, Mount& mount) {
    const std::string type = h.type, option = h.option;
    for (const std::string& line : split(mountinfo, '\n')) {
        const std::vector<std::string> fields = split(line, ' ');
        std::size_t dash = 0;
        while (dash < fields.size() && fields[dash] != "-") dash++;
        if (dash < 5 || dash + 3 > fields.size() || fields[dash + 1] != type) continue;
        if (!option.empty()) {
            bool found = false;
            for (const std::string& o : split(fields[dash + 3], ','))
                if (o == option) found = true;
            if (!found) continue;
        }
        mount.root = fields[3];
        mount.point = fields[4];
        return true;
    }
    return false;
}

inline void addFolders(const std::string& mountPoint, const std::string& root, std::string path, bool v2,
                       std::vector<QuotaFolder>& folders) {
    if (root != "/" && path.compare(0, root.size(), root) == 0 &&
        (path.size() == root.size() || path[root.size()] == '/'))
        path = path.substr(root.size());
    while (!path.empty() && path[path.size() - 1] == '/') path.erase(path.size() - 1);
    for (;;) {
        folders.push_back(QuotaFolder{mountPoint + path, v2});
        if (path.empty()) return;
        path.erase(path.rfind('/'));
    }
}

inline std::vector<QuotaFolder> quotaFolders(const std::string& cgroup, const std::string& mountinfo) {
    std::vector<QuotaFolder> folders;
    for (const std::string& line : split(cgroup, '\n')) {
        const std::size_t first = line.find(':');
        const std::size_t second = first == std::string::npos ? first : line.find(':', first + 1);
        if (second == std::string::npos) continue;
        const std::string controllers = line.substr(first + 1, second - first - 1);
        const std::string path = line.substr(second + 1);
        if (path.empty() || path[0] != '/') continue;
        Mount mount;
        if (line.compare(0, first, "0") == 0 && controllers.empty()) {
            if (findMount(mountinfo, Hierarchy{"cgroup2", ""}, mount))
                addFolders(mount.point, mount.root, path, true, folders);
        } else {
            for (const std::string& c : split(controllers, ','))
                if (c == "cpu" && findMount(mountinfo, Hierarchy{"cgroup", "cpu"}, mount))
                    addFolders(mount.point, mount.root, path, false, folders);
        }
    }
    return folders;
}

// Reads a whole file into `text`; false when it cannot be read.
typedef bool (*FileReader)(const std::string& path, std::string& text);

inline bool readFile(const std::string& path, std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "r");
    if (!f) return false;
    text.clear();
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, got);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

// The least quota of those folders that can be read (in CPUs), 0 when
// none limits.
inline double quotaCpus(const std::vector<QuotaFolder>& folders, FileReader read) {
    double least = 0;
    for (const QuotaFolder& q : folders) {
        std::string text, period;
        double cpus = 0;
        if (q.v2) {
            if (read(q.folder + "/cpu.max", text)) cpus = cpuMaxQuota(text);
        } else if (read(q.folder + "/cpu.cfs_quota_us", text) &&
                   read(q.folder + "/cpu.cfs_period_us", period)) {
            cpus = cfsQuota(text, period);
        }
        if (cpus > 0 && (least == 0 || cpus < least)) least = cpus;
    }
    return least;
}

// From /proc/stat: the idle and iowait ticks of the CPUs whose numbers are
// `true` in `allowed` (the 4th and 5th numbers of their "cpuN" lines),
// procs_running, and the number of CPU lines; `complete` when every
// allowed CPU and procs_running were found.
struct StatTimes {
    double idleTicks;
    int running;
    int cpuLines;
    bool complete;
};

inline StatTimes procStat(const std::string& text, const std::vector<bool>& allowed) {
    StatTimes t = {0, 0, 0, false};
    int found = 0;
    bool running = false;
    for (const std::string& line : split(text, '\n')) {
        if (line.compare(0, 3, "cpu") == 0 && line.size() > 3 && line[3] >= '0' && line[3] <= '9') {
            std::size_t at = 3;
            double cpu = 0;
            double v[5] = {0, 0, 0, 0, 0};
            bool ok = readNumber(line, at, cpu);
            for (int k = 0; k < 5 && ok; k++) ok = readNumber(line, at, v[k]);
            if (!ok) continue;
            t.cpuLines++;
            const std::size_t index = static_cast<std::size_t>(cpu);
            if (index < allowed.size() && allowed[index]) {
                t.idleTicks += v[3] + v[4];
                found++;
            }
        } else if (line.compare(0, 14, "procs_running ") == 0) {
            std::size_t at = 14;
            double n = 0;
            if (readNumber(line, at, n)) {
                t.running = static_cast<int>(n);
                running = true;
            }
        }
    }
    int wanted = 0;
    for (std::size_t i = 0; i < allowed.size(); i++)
        if (allowed[i]) wanted++;
    t.complete = running && wanted > 0 && found == wanted;
    return t;
}

// One look at the machine.
struct Sample {
    double wall;    // seconds on a steady clock
    double ownCpu;  // CPU seconds this process has used
    double idle;    // idle seconds of the CPUs it may use, since boot
    int running;    // runnable threads on the machine, the reader included
    int cpus;       // CPUs it may use (affinity)
    int online;     // CPUs on the machine
};

// The choice from successive samples.  Samples closer together than
// minimumInterval do not change it (the idle time is counted in ticks of
// 10 ms: over 0.1 s two CPUs give 20).  The count is the free CPUs
// rounded down after adding `slack`, at least 1 and at most the usable
// CPUs: with two CPUs, 2 while at most 0.3 of a CPU is taken by others.
class Governor {
public:
    static constexpr double minimumInterval = 0.1;
    static constexpr double slack = 0.3;

    explicit Governor(double quota = 0) : quota_(quota), threads_(0), last_() {}

    // The CPUs that the affinity and the quota leave: a quota of q CPUs
    // allows ⌊q⌋ threads, at least 1 (threads beyond it would be stopped
    // for part of every period, all at once).
    int usable(int cpus) const {
        int n = cpus > 0 ? cpus : 1;
        if (quota_ > 0) {
            const double q = std::floor(quota_ + 1e-9);
            if (q < n) n = q >= 1 ? static_cast<int>(q) : 1;
        }
        return n;
    }

    // The count after `now`; 0 before any sample.
    int choose(const Sample& now) {
        const int most = usable(now.cpus);
        double freeCpus;
        if (threads_ == 0) {
            // Others' runnable threads, scaled to this process's share of
            // the machine's CPUs.
            double others = now.running - 1;
            if (others < 0) others = 0;
            if (now.online > now.cpus && now.online > 0) others = others * now.cpus / now.online;
            freeCpus = now.cpus - others;
        } else {
            const double interval = now.wall - last_.wall;
            if (interval < minimumInterval) return threads_;
            freeCpus = (now.idle - last_.idle + now.ownCpu - last_.ownCpu) / interval;
        }
        last_ = now;
        const double n = std::floor(freeCpus + slack);
        threads_ = n >= most ? most : (n >= 1 ? static_cast<int>(n) : 1);
        return threads_;
    }

    int threads() const { return threads_; }

private:
    double quota_;
    int threads_;
    Sample last_;
};

#ifdef __linux__
// The CPUs of this process's affinity mask, as a table by CPU number.
inline std::vector<bool> affinity() {
    std::vector<bool> allowed;
    for (int size = 1024; size <= (1 << 16); size *= 4) {
        cpu_set_t* set = CPU_ALLOC(size);
        if (!set) return allowed;
        const std::size_t bytes = CPU_ALLOC_SIZE(size);
        CPU_ZERO_S(bytes, set);
        if (sched_getaffinity(0, bytes, set) == 0) {
            for (int c = 0; c < size; c++)
                if (CPU_ISSET_S(c, bytes, set)) {
                    if (allowed.size() <= static_cast<std::size_t>(c))
                        allowed.resize(static_cast<std::size_t>(c) + 1);
                    allowed[static_cast<std::size_t>(c)] = true;
                }
            CPU_FREE(set);
            return allowed;
        }
        CPU_FREE(set);
    }
    return allowed;
}

inline bool readMachine(Sample& s) {
    const std::vector<bool> allowed = affinity();
    std::string text;
    if (!readFile("/proc/stat", text)) return false;
    const StatTimes t = procStat(text, allowed);
    const long ticks = sysconf(_SC_CLK_TCK);
    if (!t.complete || ticks <= 0) return false;
    int cpus = 0;
    for (std::size_t i = 0; i < allowed.size(); i++)
        if (allowed[i]) cpus++;
    s.wall = std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    s.ownCpu = static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
    s.idle = t.idleTicks / static_cast<double>(ticks);
    s.running = t.running;
    s.cpus = cpus;
    s.online = t.cpuLines;
    return true;
}

inline double processQuota() {
    std::string cgroup, mountinfo;
    if (!readFile("/proc/self/cgroup", cgroup) || !readFile("/proc/self/mountinfo", mountinfo)) return 0;
    return quotaCpus(quotaFolders(cgroup, mountinfo), readFile);
}
#else
inline bool readMachine(Sample&) { return false; }
inline double processQuota() { return 0; }
#endif

// The process's governor: threads() samples the machine when
// sampleInterval has passed since its last sample (one caller at a time;
// the others take the count as it stands) and gives the count, 0 when the
// machine cannot be read.  The quota is read once, at the first call.
class MachineGovernor {
public:
    static constexpr double sampleInterval = 0.1;

    MachineGovernor() : governor_(processQuota()), threads_(0), next_(0) {}

    int threads() {
        const long long now = nowNanoseconds();
        if (now >= next_.load(std::memory_order_relaxed)) {
            std::unique_lock<std::mutex> lock(mutex_, std::try_to_lock);
            if (lock.owns_lock() && now >= next_.load(std::memory_order_relaxed)) {
                Sample s;
                if (readMachine(s)) threads_.store(governor_.choose(s), std::memory_order_relaxed);
                next_.store(now + static_cast<long long>(sampleInterval * 1e9), std::memory_order_relaxed);
            }
        }
        return threads_.load(std::memory_order_relaxed);
    }

private:
    static long long nowNanoseconds() {
        return static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
    }

    std::mutex mutex_;
    Governor governor_;
    std::atomic<int> threads_;
    std::atomic<long long> next_;
};

inline MachineGovernor& machineGovernor() {
    static MachineGovernor g;
    return g;
}

}  // namespace governor
}  // namespace detail
}  // namespace ZELKOR

#endif
