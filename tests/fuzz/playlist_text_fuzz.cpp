// The playlist file's text: any bytes read as a playlist, any UTF-16 path written as a line.
#include <cstring>
#include <vector>

#include "fuzz_support.h"
#include "playlist/path_names.h"
#include "playlist/playlist_text.h"
#include "text/utf8.h"

namespace {

// RFC 3629 well-formedness, written independently of the decoder.
bool IsValidUtf8(const uint8_t* p, size_t n)
{
    for (size_t i = 0; i < n;) {
        uint8_t b = p[i];
        size_t len = b < 0x80 ? 1 : b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
        if (len == 0 || i + len > n)
            return false;
        uint32_t c = len == 1 ? b : b & (0xFF >> (len + 1));
        for (size_t k = 1; k < len; k++) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            c = c << 6 | (p[i + k] & 0x3F);
        }
        static const uint32_t Least[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < Least[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

void ReadAsPlaylist(const uint8_t* data, size_t size)
{
    std::wstring text;
    CHECK(DecodePlaylistBytes((const char*)data, size, text) == (size > 0));
    CHECK(text.size() <= size);
    CHECK(IsWellFormedUtf16(text));  // whatever the bytes, every line can be written again
    std::string again;
    CHECK(AppendUtf8(text.data(), text.size(), again));
    CHECK((again.size() == size && std::memcmp(again.data(), data, size) == 0) == IsValidUtf8(data, size));

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
    CHECK(written == IsWellFormedUtf16(units));
    if (!written) {
        CHECK(bytes == "x");
        return;
    }
    CHECK(IsValidUtf8((const uint8_t*)bytes.data() + 1, bytes.size() - 1));
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
