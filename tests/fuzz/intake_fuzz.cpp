// What intake reads: any bytes as a file's head, as a playlist's text, and as a UTF-16 path.
#include <algorithm>
#include <cstring>
#include <cwchar>
#include <vector>

#include "fuzz_support.h"
#include "playlist/file_kind.h"
#include "playlist/path_names.h"
#include "playlist/playlist_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // At most ClassifyHeadBytes decide, read within the bytes there are (AddressSanitizer checks).
    FileKind kind = ClassifyHead(data, size);
    CHECK(kind != PlaylistFile && kind != SpecialCharacter && (size > 16 || kind == Unreadable));
    CHECK(ClassifyHead(data, std::min(size, ClassifyHeadBytes)) == kind);
    CHECK(size <= 16 || (kind == FlvFile) == (std::memcmp(data, "FLV", 3) == 0));
    // Every line can be written again: valid bytes come back exact, the rest as U+FFFD.
    std::wstring text, back, joined;
    std::string again, file;
    CHECK(DecodePlaylistBytes((const char*)data, size, text) == (size > 0) && text.size() <= size);
    CHECK(AppendUtf8(text.data(), text.size(), again));
    CHECK(text.find(L'\xFFFD') != std::wstring::npos || (again.size() == size && std::memcmp(again.data(), data, size) == 0));
    std::vector<std::wstring> lines = SplitPlaylistLines(text);
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
    // A path (up to its NUL): its parts in order; ".nbl" exactly a playlist; "%" in the name refuses.
    std::wstring path = Utf16Units(data, size);
    path.resize(std::wcslen(path.c_str()));
    const wchar_t *p = path.c_str(), *end = p + path.size(), *name = PathNamePart(p), *extension = PathExtension(p);
    CHECK(p <= name && name <= extension && extension <= end && (*extension == L'\0' || *extension == L'.'));
    CHECK(std::wcspbrk(name, L"\\/") == nullptr && std::wcschr(extension + (*extension ? 1 : 0), L'.') == nullptr);
    CHECK(IsPlaylistPath((path + L".nbl").c_str()) && !IsPlaylistPath((path + L".NBL").c_str()) &&
          !IsPlaylistPath((path + L".nbl\\x").c_str()));
    bool special = HasSpecialCharacter(p);
    CHECK(special == (std::wmemchr(name, L'%', extension - name) != nullptr));
    CHECK(HasSpecialCharacter((path + L".flv").c_str()) == (special || std::wcschr(extension, L'%')));
    CHECK(!HasSpecialCharacter((path + L"\\a.flv").c_str()));
    // As a playlist line: written whole and read back, or refused writing nothing.
    std::string bytes = "x";
    if (!AppendPlaylistLine(p, bytes))
        return CHECK(bytes == "x"), 0;
    CHECK(DecodePlaylistBytes(bytes.data() + 1, bytes.size() - 1, back) && back == path + L"\r\n");
    return 0;
}
