#pragma once
// A failed property prints what broke and aborts, so libFuzzer keeps the input as a crash.
// Free of Qt, so the targets of the simulated phone (plain C++) can use it too.
#include <cstdio>
#include <cstdlib>

namespace kva::fuzz {

[[noreturn]] inline void fail(const char* what)
{
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

inline void check(bool ok, const char* what)
{
    if (!ok)
        fail(what);
}

} // namespace kva::fuzz
