// Shared by the header parsers' source files only.
#pragma once
#include "engine/framework/bit_reader.h"

// Makes n bits valid or leaves the calling parser with the reader's failure.
#define TL_ENSURE(reader, n)                        \
    do {                                            \
        ::tl::HResult ensured_ = (reader).ensureBits(n); \
        if (ensured_ != ::tl::hr::ok) return ensured_;   \
    } while (0)
