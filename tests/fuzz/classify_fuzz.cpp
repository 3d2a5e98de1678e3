// How intake judges a file: by its first bytes, and by its name.
#include <algorithm>
#include <cstring>
#include <cwchar>
#include <vector>

#include "fuzz_support.h"
#include "playlist/file_kind.h"
#include "playlist/path_names.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // At most ClassifyHeadBytes decide, read within the bytes there are (AddressSanitizer checks).
    FileKind kind = ClassifyHead(data, size);
    std::vector<uint8_t> head(data, data + std::min(size, ClassifyHeadBytes));
    CHECK(kind != PlaylistFile && kind != SpecialCharacter && (size > 16 || kind == Unreadable));
    CHECK(ClassifyHead(head.data(), head.size()) == kind);
    CHECK(size <= 16 || (kind == FlvFile) == (std::memcmp(data, "FLV", 3) == 0));
    // The name's parts in order; ".nbl" exactly a playlist; "%" in the name (not a folder) refuses.
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
    return 0;
}
