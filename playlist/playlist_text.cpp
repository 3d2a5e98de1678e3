#include "playlist/playlist_text.h"

#include <wchar.h>

#include "text/utf8.h"

bool AppendPlaylistLine(const wchar_t* text, std::string& bytes)
{
    // Sized from the line itself: no path is too long to be written whole.
    if (!AppendUtf8(text, wcslen(text), bytes))
        return false;
    bytes += "\r\n";
    return true;
}

bool DecodePlaylistBytes(const char* bytes, size_t size, std::wstring& text)
{
    text.clear();
    if (size == 0)
        return false;
    AppendUtf16(bytes, size, text);
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
