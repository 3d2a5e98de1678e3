#include "playlist/playlist_text.h"

#include <windows.h>

bool AppendPlaylistLine(const wchar_t* text, std::string& bytes)
{
    std::wstring line = text;
    line += L"\r\n";
    // Sized from the line itself: no path is too long to be written whole.
    int need = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, line.data(), (int)line.size(),
                                   nullptr, 0, nullptr, nullptr);
    if (need <= 0)
        return false;
    size_t at = bytes.size();
    bytes.resize(at + need);
    int got = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, line.data(), (int)line.size(),
                                  bytes.data() + at, need, nullptr, nullptr);
    if (got != need) {
        bytes.resize(at);
        return false;
    }
    return true;
}

bool DecodePlaylistBytes(const char* bytes, size_t size, std::wstring& text)
{
    text.clear();
    if (size == 0 || size > 0x7FFFFFFF)
        return false;
    int need = MultiByteToWideChar(CP_UTF8, 0, bytes, (int)size, nullptr, 0);
    if (need <= 0)
        return false;
    text.resize(need);
    if (MultiByteToWideChar(CP_UTF8, 0, bytes, (int)size, text.data(), need) != need) {
        text.clear();
        return false;
    }
    return true;
}

std::vector<std::wstring> SplitPlaylistLines(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    size_t end = text.find(L'\0');
    if (end == std::wstring::npos)
        end = text.size();
    size_t i = 0;
    while (i < end) {
        while (i < end && (text[i] == L'\r' || text[i] == L'\n'))
            i++;
        size_t start = i;
        while (i < end && text[i] != L'\r' && text[i] != L'\n')
            i++;
        if (i > start)
            lines.emplace_back(text, start, i - start);
    }
    return lines;
}
