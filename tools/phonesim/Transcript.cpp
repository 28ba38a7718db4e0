#include "Transcript.h"

namespace phonesim {

std::string escapeBytes(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c >= 0x20 && c < 0x7F) {
            out += ch;
        } else {
            out += "\\x";
            out += digits[c >> 4];
            out += digits[c & 15];
        }
    }
    return out;
}

Transcript::~Transcript()
{
    if (file_)
        std::fclose(file_);
}

bool Transcript::open(const std::string& path)
{
    file_ = std::fopen(path.c_str(), "w");
    start_ = std::chrono::steady_clock::now();
    return file_ != nullptr;
}

void Transcript::record(const char* tag, const std::string& text)
{
    if (!file_)
        return;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start_)
                        .count();
    std::fprintf(file_, "%lld %s %s\n", static_cast<long long>(ms), tag, text.c_str());
    std::fflush(file_);
}

} // namespace phonesim
