// The playlist file's text: any bytes read as a playlist, any UTF-16 path written as a line.
#include <cstring>
#include <vector>

#include "fuzz_support.h"
#include "playlist/path_names.h"
#include "playlist/playlist_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::wstring text, back;
    std::string again, file;
    CHECK(DecodePlaylistBytes((const char*)data, size, text) == (size > 0) && text.size() <= size);
    // Every line can be written again: valid bytes come back exact, the rest as U+FFFD.
    CHECK(AppendUtf8(text.data(), text.size(), again));
    CHECK(text.find(L'\xFFFD') != std::wstring::npos || (again.size() == size && std::memcmp(again.data(), data, size) == 0));
    std::vector<std::wstring> lines = SplitPlaylistLines(text);
    std::wstring joined;
    for (const std::wstring& line : lines) {
        CHECK(!line.empty() && line.find_first_of(std::wstring(L"\r\n\0", 3)) == std::wstring::npos);
        CHECK(AppendPlaylistLine(line.c_str(), file));
        joined += line + L"\r\n";
        std::wstring path = ResolvePlaylistLine(L"C:\\lists", line);
        CHECK(path.size() >= line.size() && path.compare(path.size() - line.size(), line.size(), line) == 0);
    }
    // Written and read again: the same lines, the same text.
    CHECK(DecodePlaylistBytes(file.data(), file.size(), back) == !lines.empty() && back == joined);
    CHECK(SplitPlaylistLines(back) == lines);
    // Any path (up to its NUL) as a line: written whole and read back, or refused writing nothing.
    std::wstring units = Utf16Units(data, size);
    units.resize(std::wcslen(units.c_str()));
    std::string bytes = "x";
    if (!AppendPlaylistLine(units.c_str(), bytes))
        return CHECK(bytes == "x"), 0;
    CHECK(DecodePlaylistBytes(bytes.data() + 1, bytes.size() - 1, back) && back == units + L"\r\n");
    return 0;
}
