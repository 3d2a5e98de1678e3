// A failed invariant aborts with its text, so libFuzzer keeps the input; texts are UTF-16 units.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "text/utf8.h"

#define CHECK(c) ((c) ? (void)0 : (std::fprintf(stderr, "invariant failed: %s (%s:%d)\n", #c, __FILE__, __LINE__), std::abort()))

// The bytes as little-endian UTF-16 units (an odd last byte is dropped).
inline std::wstring Utf16Units(const uint8_t* data, size_t size)
{
    std::wstring units;
    for (size_t i = 0; i + 1 < size; i += 2)
        units += (wchar_t)(data[i] | data[i + 1] << 8);
    return units;
}
