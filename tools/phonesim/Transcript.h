#pragma once
#include <chrono>
#include <cstdio>
#include <string>

namespace phonesim {

// Shows bytes on one line: printable ASCII as is, "\\" for a backslash, \r \n for CR and LF,
// \xHH for every other byte.
std::string escapeBytes(const std::string& bytes);

// The log of the line, one record per line, written and flushed as it happens:
//   <ms since start> rx <bytes>     bytes the phone received
//   <ms since start> tx <bytes>     bytes the phone sent
//   <ms since start> -- <note>      line opened or closed, output dropped
class Transcript {
public:
    Transcript() = default;
    ~Transcript();
    Transcript(const Transcript&) = delete;
    Transcript& operator=(const Transcript&) = delete;

    bool open(const std::string& path); // false when the file cannot be created
    void received(const std::string& bytes) { record("rx", escapeBytes(bytes)); }
    void sent(const std::string& bytes) { record("tx", escapeBytes(bytes)); }
    void note(const std::string& text) { record("--", text); }

private:
    void record(const char* tag, const std::string& text);
    std::FILE* file_ = nullptr;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

} // namespace phonesim
