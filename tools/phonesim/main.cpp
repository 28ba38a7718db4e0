// phonesim: a simulated mobile phone on a pseudo-terminal, for the tests and the demo.
#include "Options.h"
#include "PhoneModel.h"
#include "PtyLine.h"
#include "SimStore.h"
#include "Transcript.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace phonesim;

namespace {

int stopPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 0;
    [[maybe_unused]] const ssize_t n = ::write(stopPipe[1], &c, 1);
}

bool readFile(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
}

// Written beside the target and renamed over it, so a kill never leaves half a file.
bool saveState(const std::string& path, const SimStore& store)
{
    const std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << store.toText();
        out.flush();
        if (!out)
            return false;
    }
    return std::rename(tmp.c_str(), path.c_str()) == 0;
}

void makeLink(const std::string& link, const std::string& target)
{
    struct stat st{};
    if (::lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode))
            throw std::runtime_error("--link " + link + ": exists and is not a symbolic link");
        ::unlink(link.c_str());
    }
    if (::symlink(target.c_str(), link.c_str()) != 0)
        throw std::runtime_error("--link " + link + ": " + std::strerror(errno));
}

void removeLink(const std::string& link, const std::string& target)
{
    char buf[4096];
    const ssize_t n = ::readlink(link.c_str(), buf, sizeof buf - 1);
    if (n > 0 && std::string(buf, static_cast<size_t>(n)) == target)
        ::unlink(link.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    RunOptions options;
    try {
        options = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& e) {
        std::cerr << "phonesim: " << e.what() << "\n" << kUsage;
        return 2;
    }
    if (options.help) {
        std::cout << kUsage;
        return 0;
    }

    SimStore store;
    if (!options.statePath.empty()) {
        std::string text;
        if (readFile(options.statePath, text)) {
            try {
                store = SimStore::fromText(text);
            } catch (const StateError& e) {
                std::cerr << "phonesim: " << options.statePath << ": " << e.what() << "\n";
                return 2;
            }
        }
    }

    Transcript transcript;
    if (!options.transcriptPath.empty() && !transcript.open(options.transcriptPath)) {
        std::cerr << "phonesim: cannot write " << options.transcriptPath << ": "
                  << std::strerror(errno) << "\n";
        return 2;
    }

    if (::pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("phonesim: pipe");
        return 1;
    }
    struct sigaction sa{};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    PhoneModel model(options.phone, store);
    auto save = [&]() {
        if (!options.statePath.empty() && !saveState(options.statePath, model.store()))
            std::cerr << "phonesim: cannot save " << options.statePath << "\n";
    };
    PtyLine line(model, options, transcript, save);
    std::string device;
    try {
        device = line.open();
        if (!options.linkPath.empty())
            makeLink(options.linkPath, device);
    } catch (const std::exception& e) {
        std::cerr << "phonesim: " << e.what() << "\n";
        return 1;
    }
    std::cout << device << std::endl;
    transcript.note("device " + device);

    int rc = 0;
    try {
        line.run(stopPipe[0]);
    } catch (const std::exception& e) {
        std::cerr << "phonesim: " << e.what() << "\n";
        rc = 1;
    }
    transcript.note("stopped");
    save();
    if (!options.linkPath.empty())
        removeLink(options.linkPath, device);
    return rc;
}
