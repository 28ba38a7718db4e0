#pragma once
#include "PhoneModel.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace phonesim {

struct RunOptions {
    PhoneOptions phone;
    int delayMs = 0;       // answers leave this long after the command's CR; the echo at once
    int pieceBytes = 0;    // > 0: answers go out in pieces of this many bytes ...
    int pieceGapMs = 0;    // ... this far apart
    std::string statePath;
    std::string transcriptPath;
    std::string linkPath;
    bool help = false;
};

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses the command line (without the program name); "--name value" and
// "--name=value" both work. Throws UsageError.
RunOptions parseOptions(const std::vector<std::string>& args);

// Turns \r \n \t \\ and \xHH in a --reply text into bytes.
std::string unescape(const std::string& text);

extern const char* const kUsage;

} // namespace phonesim
