// The portable UTF-8 conversion equals the system's, so that the native fuzz runs stand for it.
#include <windows.h>

#include <gtest/gtest.h>

#include "text/utf8.h"

TEST(Utf8, ConvertsEveryShortInputAsTheSystemDoes)
{
    int failures = 0;
    auto expect = [&](const std::string& bytes) {  // never more units than bytes
        std::wstring mine, system(bytes.size(), L'\0');
        AppendUtf16(bytes.data(), bytes.size(), mine);
        system.resize(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), system.data(), (int)bytes.size()));
        if (mine != system && failures++ < 10)
            ADD_FAILURE() << "bytes " << testing::PrintToString(bytes);
    };
    for (unsigned v = 0; v < (1u << 24); v++) {  // 1 and 2 bytes; of 3, those that begin above 0x7F
        const char b[3] = {(char)v, (char)(v >> 8), (char)(v >> 16)};
        for (size_t length : {v < 0x100 ? 1u : 0u, v < 0x10000 ? 2u : 0u, v & 0x80 ? 3u : 0u})
            if (length)
                expect(std::string(b, length));
    }
    for (unsigned lead = 0xF0; lead <= 0xF4; lead++)
        for (unsigned v = 0; v < (1u << 16); v++)
            for (unsigned last : {0x41u, 0x80u, 0xBFu, 0xC0u})
                expect({(char)lead, (char)v, (char)(v >> 8), (char)last, 'A'});
    // Every unit, alone and before a low surrogate, encodes as the system does; lone surrogates refuse.
    for (unsigned u = 1; u <= 0xFFFF; u++)
        for (const std::wstring& units : {std::wstring(1, (wchar_t)u), std::wstring{(wchar_t)u, (wchar_t)0xDC00}}) {
            std::string mine = "x", system(3 * units.size(), '\0');  // the system refuses with 0
            int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, units.data(), (int)units.size(), system.data(),
                                        (int)system.size(), nullptr, nullptr);
            system.resize(n > 0 ? n : 0);
            bool ok = AppendUtf8(units.data(), units.size(), mine);
            ASSERT_EQ(mine, ok ? "x" + system : "x") << std::hex << u;
            ASSERT_EQ(ok, !system.empty()) << std::hex << u;
        }
}
