// How intake judges a file: by its first bytes, and by its name (the playlist extension and
// the "%" that refuses a file).
#include <cstring>
#include <cwchar>
#include <vector>

#include "fuzz_support.h"
#include "playlist/file_kind.h"
#include "playlist/path_names.h"

namespace {

void JudgeHead(const uint8_t* data, size_t size)
{
    FileKind kind = ClassifyHead(data, size);
    CHECK(kind != PlaylistFile && kind != SpecialCharacter);
    CHECK(size > 16 || kind == Unreadable);
    // Intake reads ClassifyHeadBytes at most: those alone, in a buffer of exactly their size,
    // decide, whatever the file's length; a damaged or cut file is judged within its bytes
    // (AddressSanitizer sees any read past them).
    size_t got = size < ClassifyHeadBytes ? size : ClassifyHeadBytes;
    std::vector<uint8_t> head(data, data + got);
    CHECK(ClassifyHead(head.data(), got) == kind);
    if (size > 16)
        CHECK((kind == FlvFile) == (std::memcmp(data, "FLV", 3) == 0));
}

void JudgeName(const uint8_t* data, size_t size)
{
    std::wstring path = Utf16Units(data, size);
    path.resize(std::wcslen(path.c_str()));
    const wchar_t* p = path.c_str();
    const wchar_t* end = p + path.size();
    const wchar_t* name = PathNamePart(p);
    const wchar_t* extension = PathExtension(p);
    CHECK(p <= name && name <= extension && extension <= end);
    CHECK(*extension == L'\0' || *extension == L'.');
    for (const wchar_t* c = name; c < end; c++)
        CHECK(*c != L'\\' && *c != L'/');
    CHECK(std::wcschr(extension + (*extension ? 1 : 0), L'.') == nullptr);
    CHECK(IsPlaylistPath((path + L".nbl").c_str()));
    CHECK(!IsPlaylistPath((path + L".NBL").c_str()));
    CHECK(!IsPlaylistPath((path + L".nbl\\x").c_str()));
    bool special = HasSpecialCharacter(p);
    CHECK(special == (std::wmemchr(name, L'%', extension - name) != nullptr));
    CHECK(HasSpecialCharacter((path + L".flv").c_str()) == (special || std::wcschr(extension, L'%')));
    CHECK(!HasSpecialCharacter((path + L"\\a.flv").c_str()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    JudgeHead(data, size);
    JudgeName(data, size);
    return 0;
}
