// Invariant checks of the fuzz targets. A violated invariant is a finding:
// report it and abort so libFuzzer saves the input.
#pragma once
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, message)                                                       \
    do {                                                                                     \
        if (!(condition)) {                                                                  \
            std::fprintf(stderr, "%s:%d: invariant failed: %s (%s)\n", __FILE__, __LINE__,  \
                         #condition, message);                                               \
            std::abort();                                                                    \
        }                                                                                    \
    } while (0)
