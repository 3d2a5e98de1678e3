// What the fuzz harnesses share: a failed invariant aborts with its text, so libFuzzer keeps
// the input; texts are made of UTF-16 units as the program holds them on Windows.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#define CHECK(c)                                                                        \
    do {                                                                                \
        if (!(c)) {                                                                     \
            std::fprintf(stderr, "invariant failed: %s (%s:%d)\n", #c, __FILE__, __LINE__); \
            std::abort();                                                               \
        }                                                                               \
    } while (0)

// The bytes as little-endian UTF-16 units (an odd last byte is dropped).
inline std::wstring Utf16Units(const uint8_t* data, size_t size)
{
    std::wstring units;
    for (size_t i = 0; i + 1 < size; i += 2)
        units += (wchar_t)(data[i] | data[i + 1] << 8);
    return units;
}

// Every byte one unit (Latin-1): short ASCII texts stay short inputs.
inline std::wstring ByteUnits(const uint8_t* data, size_t size)
{
    return std::wstring(data, data + size);
}

// Whether units are UTF-16 with every surrogate paired and no unit above 0xFFFF.
inline bool IsWellFormedUtf16(const std::wstring& units)
{
    for (size_t i = 0; i < units.size(); i++) {
        unsigned u = (unsigned)units[i];
        if (u > 0xFFFF || (u >= 0xDC00 && u <= 0xDFFF))
            return false;
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 == units.size() || (unsigned)units[i + 1] < 0xDC00 || (unsigned)units[i + 1] > 0xDFFF)
                return false;
            i++;
        }
    }
    return true;
}
