// The playlist file's text: any bytes read as a playlist, any UTF-16 path written as a line.
#include <cstring>
#include <vector>

#include "fuzz_support.h"
#include "playlist/path_names.h"
#include "playlist/playlist_text.h"
#include "text/utf8.h"

namespace {

void ReadAsPlaylist(const uint8_t* data, size_t size)
{
    std::wstring text;
    CHECK(DecodePlaylistBytes((const char*)data, size, text) == (size > 0));
    CHECK(text.size() <= size);
    std::string again;
    CHECK(AppendUtf8(text.data(), text.size(), again));  // whatever the bytes, every line can be written again
    // Valid bytes come back exact; what is not valid decodes to U+FFFD (as the system's decoder
    // does: utf8_system_test), so anything else that does not come back is a fault.
    CHECK(text.find(L'\xFFFD') != std::wstring::npos ||
          (again.size() == size && std::memcmp(again.data(), data, size) == 0));

    std::vector<std::wstring> lines = SplitPlaylistLines(text);
    std::string file;
    std::wstring joined;
    for (const std::wstring& line : lines) {
        CHECK(!line.empty());
        CHECK(line.find_first_of(std::wstring(L"\r\n\0", 3)) == std::wstring::npos);
        CHECK(AppendPlaylistLine(line.c_str(), file));
        joined += line + L"\r\n";
        std::wstring path = ResolvePlaylistLine(L"C:\\lists", line);
        CHECK(path.size() >= line.size() && path.compare(path.size() - line.size(), line.size(), line) == 0);
    }
    // Written and read again: the same lines, byte for byte the same text.
    std::wstring back;
    CHECK(DecodePlaylistBytes(file.data(), file.size(), back) == !lines.empty());
    CHECK(back == joined);
    CHECK(SplitPlaylistLines(back) == lines);
}

void WriteAsLine(const uint8_t* data, size_t size)
{
    std::wstring units = Utf16Units(data, size);
    units.resize(std::wcslen(units.c_str()));  // a path ends at its NUL
    std::string bytes = "x";
    bool written = AppendPlaylistLine(units.c_str(), bytes);
    if (!written) {
        CHECK(bytes == "x");
        return;
    }
    std::wstring back;
    CHECK(DecodePlaylistBytes(bytes.data() + 1, bytes.size() - 1, back));
    CHECK(back == units + L"\r\n");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ReadAsPlaylist(data, size);
    WriteAsLine(data, size);
    return 0;
}
