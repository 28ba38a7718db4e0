// Start-up benchmark: starts the program and a bare Qt Widgets window with one label N times each,
// taking turns, and measures the time from exec to the first painted frame and the peak memory of
// each start. A second floor, the bare window made as large as the program's window, tells what
// the size alone costs (its pixels are memory new to the process). All run from copies in a
// temporary folder, so no setting.ini of a developer opens a port. QT_QPA_PLATFORM is used as set
// (offscreen when unset; xcb with DISPLAY for Xvfb). All run on one and the same CPU (the first
// this benchmark may use, or --cpu N): the cores of a virtual machine can differ in speed by a
// third or more, and starts landing on the slow one would otherwise decide the median.
// --any-cpu leaves the placement to the kernel.
//   bench_startup [--cpu N | --any-cpu] [runs] [program] [bare window]
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace {

struct Start {
    double seconds = 0;
    double peakMiB = 0;
    std::string windowSize; // "WxH" from the first-frame line
};

double now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

[[noreturn]] void fail(const std::string& what)
{
    std::fprintf(stderr, "bench_startup: %s\n", what.c_str());
    std::exit(1);
}

// One start: exec, wait for the line "first-frame WxH" the program prints after its first paint
// (KVA271_EXIT_AT_FIRST_FRAME), then reap it for its peak resident memory.
Start startOnce(const std::string& path, const std::string& argument = {})
{
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        fail("pipe: " + std::string(std::strerror(errno)));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    char* argv[] = {const_cast<char*>(path.c_str()), argument.empty() ? nullptr : const_cast<char*>(argument.c_str()),
                    nullptr};

    const double begin = now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0)
        fail("cannot start " + path + ": " + std::strerror(spawned));

    std::string text;
    double end = 0;
    size_t line = std::string::npos;
    size_t lineEnd = std::string::npos;
    while (end == 0) {
        pollfd p{out[0], POLLIN, 0};
        if (poll(&p, 1, 30000) <= 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            fail(path + " showed no frame within 30 s");
        }
        char buffer[256];
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0) {
            waitpid(pid, nullptr, 0);
            fail(path + " ended before its first frame");
        }
        text.append(buffer, size_t(n));
        line = text.find("first-frame");
        lineEnd = line == std::string::npos ? line : text.find('\n', line);
        if (lineEnd != std::string::npos)
            end = now();
    }
    const size_t sizeAt = line + std::strlen("first-frame ");
    const std::string size = sizeAt < lineEnd ? text.substr(sizeAt, lineEnd - sizeAt) : std::string();
    close(out[0]);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        fail(path + " did not end cleanly after its first frame");
    return {end - begin, double(usage.ru_maxrss) / 1024.0, size};
}

double quantile(std::vector<double> values, double q)
{
    std::sort(values.begin(), values.end());
    const double at = q * double(values.size() - 1);
    const size_t low = size_t(at);
    const size_t high = std::min(low + 1, values.size() - 1);
    return values[low] + (values[high] - values[low]) * (at - double(low));
}

struct Summary {
    double median, q1, q3, min, max, peakMiB;
};

Summary summarise(const std::vector<Start>& starts)
{
    std::vector<double> t, m;
    for (const Start& s : starts) {
        t.push_back(s.seconds * 1000.0);
        m.push_back(s.peakMiB);
    }
    return {quantile(t, 0.5), quantile(t, 0.25), quantile(t, 0.75), quantile(t, 0.0), quantile(t, 1.0),
            quantile(m, 0.5)};
}

void print(const char* name, const Summary& s)
{
    std::printf("%-16s %8.1f ms  %6.1f .. %6.1f ms  %6.1f .. %6.1f ms  %6.1f MiB\n", name, s.median, s.q1, s.q3,
                s.min, s.max, s.peakMiB);
}

std::string copyInto(const std::filesystem::path& folder, const std::string& file)
{
    const std::filesystem::path target = folder / std::filesystem::path(file).filename();
    std::filesystem::copy_file(file, target, std::filesystem::copy_options::overwrite_existing);
    return target.string();
}

// Holds this process, and so the programs it starts, to one CPU: the one asked for (wanted >= 0),
// else the first this process may use. Returns that CPU.
int pinToOneCpu(int wanted)
{
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0)
        fail("sched_getaffinity: " + std::string(std::strerror(errno)));
    int cpu = wanted;
    for (int c = 0; cpu < 0 && c < CPU_SETSIZE; ++c)
        if (CPU_ISSET(c, &allowed))
            cpu = c;
    if (cpu < 0 || cpu >= CPU_SETSIZE || !CPU_ISSET(cpu, &allowed))
        fail("cannot run on CPU " + std::to_string(wanted));
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(cpu, &one);
    if (sched_setaffinity(0, sizeof one, &one) != 0)
        fail("sched_setaffinity: " + std::string(std::strerror(errno)));
    return cpu;
}

} // namespace

int main(int argc, char** argv)
{
    const char* const usage = "usage: bench_startup [--cpu N | --any-cpu] [runs] [program] [bare window]";
    int wantedCpu = -1;
    bool pin = true;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--any-cpu")
            pin = false;
        else if (a == "--cpu" && i + 1 < argc)
            wantedCpu = std::atoi(argv[++i]);
        else if (a.rfind("--", 0) == 0)
            fail(usage);
        else
            args.push_back(a);
    }
    const int runs = args.size() > 0 ? std::atoi(args[0].c_str()) : 15;
    const std::string program = args.size() > 1 ? args[1] : KVA_PROGRAM_PATH;
    const std::string bare = args.size() > 2 ? args[2] : KVA_BARE_PATH;
    if (runs < 1 || args.size() > 3)
        fail(usage);
    const int cpu = pin ? pinToOneCpu(wantedCpu) : -1;

    char folderName[] = "/tmp/kva-startup-XXXXXX";
    if (!mkdtemp(folderName))
        fail("mkdtemp: " + std::string(std::strerror(errno)));
    const std::filesystem::path folder(folderName);
    const std::string programCopy = copyInto(folder, program);
    const std::string bareCopy = copyInto(folder, bare);

    setenv("KVA271_EXIT_AT_FIRST_FRAME", "1", 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);

    // One start of each first, not counted: the libraries and fonts come into the page cache. The
    // program's tells its window's size.
    const std::string size = startOnce(programCopy).windowSize;
    if (size.empty())
        fail(program + " did not tell its window's size");
    startOnce(bareCopy);
    startOnce(bareCopy, size);
    std::vector<Start> ours, floor, sameSize;
    for (int i = 0; i < runs; ++i) { // taking turns spreads any load of the machine over all three
        ours.push_back(startOnce(programCopy));
        floor.push_back(startOnce(bareCopy));
        sameSize.push_back(startOnce(bareCopy, size));
    }
    std::filesystem::remove_all(folder);

    const Summary a = summarise(ours);
    const Summary b = summarise(floor);
    const Summary c = summarise(sameSize);
    std::printf("exec to first frame, %d starts each, QT_QPA_PLATFORM=%s, ", runs, std::getenv("QT_QPA_PLATFORM"));
    if (cpu >= 0)
        std::printf("all on CPU %d\n", cpu);
    else
        std::printf("on any CPU\n");
    std::printf("%-16s %11s  %17s  %17s  %10s\n", "", "median", "middle half", "min .. max", "peak mem");
    print("kva271-config", a);
    print("bare window", b);
    print(("bare " + size).c_str(), c);
    std::printf("ratio of medians: time %.2f, peak memory %.2f\n", a.median / b.median, a.peakMiB / b.peakMiB);
    std::printf("the bare window at %s against the bare window: time %.2f, peak memory %.2f\n", size.c_str(),
                c.median / b.median, c.peakMiB / b.peakMiB);
    return 0;
}
