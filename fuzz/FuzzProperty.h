#pragma once

#include <cstdio>
#include <cstdlib>

// A broken property ends the run as a crash does, so that libFuzzer keeps
// the input that broke it; the message says which property that was.
inline void requireProperty(bool holds, const char *property)
{
    if (holds)
        return;
    std::fprintf(stderr, "property broken: %s\n", property);
    std::fflush(stderr);
    std::abort();
}
