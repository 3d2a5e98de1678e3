// What a path's parts and a file's first bytes say, and the text of a playlist file.
#include "playlist/file_intake.h"
#include "playlist/path_parts.h"
#include "playlist/playlist_text.h"
#include "test_support.h"

// One row per rule that takes the file system; the name rules over any names and the head
// over any bytes: tests/fuzz/classify_fuzz.cpp; a "%" refused on a drop: intake_test.cpp.
TEST(Classification, ContentDecidesExceptForPlaylistsAndPercentInTheName)
{
    TempFolder dir;
    const std::string flv = std::string("FLV") + std::string(14, '\x01');
    const std::string mp4 = std::string("\0\0\0\x18" "ftypmp42", 12) + std::string(5, '\0');
    const std::string missing = "<none>";
    struct Row { const wchar_t* name; std::string bytes; FileKind kind; } rows[] = {
        {L"flv-named.mp4", flv, FlvFile},
        {L"mp4-named.flv", mp4, Mp4File},
        {L"sixteen.flv", flv.substr(0, 16), Unreadable},  // too small
        {L"ftyp-first.mp4", "ftyp" + std::string(20, '\0'), Unreadable},  // ftyp belongs at byte 4
        {L"missing.nbl", missing, PlaylistFile},  // judged by the name before it is opened
    };
    for (const Row& r : rows) {
        if (r.bytes != missing)
            WriteBytes(dir / r.name, r.bytes);
        EXPECT_EQ(ClassifyFile((dir / r.name).c_str()), r.kind) << Utf8(r.name);
    }
}

// (The extension, the last dot's part of the name: over any name in tests/fuzz/classify_fuzz.cpp.)
TEST(PathParts, NameJoinTheLongFormAndTheIdentity)
{
    EXPECT_STREQ(PathNamePart(L"C:\\a\\b/c.d.flv"), L"c.d.flv");
    EXPECT_STREQ(PathNamePart(L"C:clip.flv"), L"clip.flv");
    EXPECT_EQ(JoinPath(L"C:\\a", L"b.flv"), L"C:\\a\\b.flv");
    EXPECT_EQ(JoinPath(L"C:\\", L"b.flv"), L"C:\\b.flv");

    std::wstring a(150, L'a'), b(150, L'b'), c(300, L'c');
    const std::wstring rows[][2] = {
        {L"C:\\short\\clip.flv", L"C:\\short\\clip.flv"}, {L"relative.flv", L"relative.flv"},
        {L"C:\\" + a + L"/" + b + L"\\clip.flv", L"\\\\?\\C:\\" + a + L"\\" + b + L"\\clip.flv"},
        {L"C:\\" + c + L"\\x\\..\\clip.flv", L"\\\\?\\C:\\" + c + L"\\clip.flv"},
        {L"\\\\server\\share\\" + c + L"\\clip.flv", L"\\\\?\\UNC\\server\\share\\" + c + L"\\clip.flv"},
        {L"\\\\?\\C:\\" + c, L"\\\\?\\C:\\" + c},
    };
    for (auto& r : rows)
        EXPECT_EQ(LongPathForm(r[0].c_str()), r[1]) << r[0].size();
    // Some file systems report 0 as every file's identity: such files are told apart by their
    // full paths, whatever their case, so a second nested playlist or subfolder is not skipped.
    BY_HANDLE_FILE_INFORMATION zero = {}, known = {};
    known.dwVolumeSerialNumber = 7;
    known.nFileIndexLow = 42;
    std::vector<FileIdentity> reading = {IdentityOf(zero, L"C:\\lists\\outer.nbl")};
    EXPECT_FALSE(ContainsIdentity(reading, IdentityOf(zero, L"C:\\lists\\inner.nbl")));
    EXPECT_TRUE(ContainsIdentity(reading, IdentityOf(zero, L"c:\\LISTS\\.\\Outer.NBL")));
    reading.push_back(IdentityOf(known, L"C:\\a"));
    EXPECT_TRUE(ContainsIdentity(reading, IdentityOf(known, L"C:\\b"))) << "a known identity decides alone";
}

// The text ends at its first NUL; lines of a playlist kept in C:\lists: relative ones name files
// beside it. (The bytes of saved lines: playlist_file_test.cpp; lines of any length both ways:
// tests/fuzz/playlist_text_fuzz.cpp.)
TEST(PlaylistText, TheTextEndsAtANulAndRelativeLinesResolveAgainstThePlaylistsFolder)
{
    EXPECT_EQ(SplitPlaylistLines(std::wstring(L"h\r\na\0b\r\nc", 9)), (std::vector<std::wstring>{L"h", L"a"}));
    const wchar_t* rows[][2] = {
        {L"a.flv", L"C:\\lists\\a.flv"},       {L"sub\\a.flv", L"C:\\lists\\sub\\a.flv"},
        {L"..\\a.flv", L"C:\\lists\\..\\a.flv"}, {L"\\v\\a.flv", L"C:\\v\\a.flv"},
        {L"D:\\v\\a.flv", L"D:\\v\\a.flv"},     {L"D:/v/a.flv", L"D:/v/a.flv"},
        {L"\\\\server\\share\\a.flv", L"\\\\server\\share\\a.flv"},
        {L"\\\\?\\D:\\a.flv", L"\\\\?\\D:\\a.flv"},
    };
    for (auto& row : rows)
        EXPECT_EQ(ResolvePlaylistLine(L"C:\\lists", row[0]), row[1]) << Utf8(row[0]);
}
