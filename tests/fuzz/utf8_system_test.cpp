// The portable UTF-8 conversion (text/utf8.h) against the system's own, so that the native
// fuzz runs stand for the program: every input of up to 3 bytes, the 4-byte sequences, and
// every UTF-16 unit alone and before a low surrogate.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "text/utf8.h"

namespace {

std::wstring SystemUtf16(const std::string& bytes)
{
    int need = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), nullptr, 0);
    std::wstring text(need, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), text.data(), need);
    return text;
}

// "" when the system refuses the units.
std::string SystemUtf8(const std::wstring& units)
{
    int need = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, units.data(), (int)units.size(), nullptr, 0,
                                   nullptr, nullptr);
    std::string bytes(need > 0 ? need : 0, '\0');
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, units.data(), (int)units.size(), bytes.data(), need,
                        nullptr, nullptr);
    return bytes;
}

void ExpectDecodedAsSystem(const std::string& bytes, int& failures)
{
    std::wstring mine;
    AppendUtf16(bytes.data(), bytes.size(), mine);
    if (mine != SystemUtf16(bytes) && failures++ < 10)
        ADD_FAILURE() << "bytes " << testing::PrintToString(bytes);
}

TEST(Utf8, DecodesEveryShortInputAsTheSystemDoes)
{
    int failures = 0;
    std::string b;
    for (unsigned v = 0; v < (1u << 24); v++) {
        // Every 1- and 2-byte input; of 3 bytes, those that begin with a byte above 0x7F.
        for (int length : {1, 2, 3}) {
            if ((length == 1 && v > 0xFF) || (length == 2 && v > 0xFFFF) || (length == 3 && (v & 0x80) == 0))
                continue;
            b.assign(length, '\0');
            for (int i = 0; i < length; i++)
                b[i] = (char)(v >> (8 * i));
            ExpectDecodedAsSystem(b, failures);
        }
    }
    for (unsigned lead = 0xF0; lead <= 0xF4; lead++)
        for (unsigned v = 0; v < (1u << 16); v++)
            for (unsigned last : {0x41u, 0x80u, 0xBFu, 0xC0u})
                ExpectDecodedAsSystem({(char)lead, (char)v, (char)(v >> 8), (char)last, 'A'}, failures);
}

TEST(Utf8, EncodesEveryUnitAsTheSystemDoesAndRefusesLoneSurrogates)
{
    for (unsigned u = 1; u <= 0xFFFF; u++) {
        for (const std::wstring& units : {std::wstring(1, (wchar_t)u), std::wstring{(wchar_t)u, (wchar_t)0xDC00}}) {
            std::string mine = "x";
            bool ok = AppendUtf8(units.data(), units.size(), mine);
            std::string system = SystemUtf8(units);
            ASSERT_EQ(ok, !system.empty()) << std::hex << u;
            ASSERT_EQ(mine, ok ? "x" + system : "x") << std::hex << u;
        }
    }
}

}  // namespace
