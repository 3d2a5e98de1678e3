// Pure computations: what a path's parts and a file's first bytes say, and the text of a
// playlist file.
#include <gtest/gtest.h>

#include "playlist/path_parts.h"
#include "playlist/playlist_text.h"

namespace {

std::string Head(const char* bytes, size_t n)
{
    std::string head(bytes, n);
    head.resize(16, '\0');
    return head;
}

FileKind Classify(const std::string& head, unsigned long long size)
{
    return ClassifyHead((const unsigned char*)head.data(), size);
}

TEST(Classification, FirstBytesDecideAndTinyFilesAreRefused)
{
    EXPECT_EQ(Classify(Head("FLV\x01", 4), 17), FlvFile);
    EXPECT_EQ(Classify(Head("\0\0\0\x20" "ftypisom", 12), 17), Mp4File);
    EXPECT_EQ(Classify(Head("FLV\x01", 4), 16), Unreadable) << "16 bytes are too few";
    EXPECT_EQ(Classify(Head("\0\0\0\x20" "ftyp", 8), 16), Unreadable);
    EXPECT_EQ(Classify(Head("ftyp", 4), 100), Unreadable) << "ftyp belongs at byte 4";
    EXPECT_EQ(Classify(Head("flv", 3), 100), Unreadable) << "the signature is upper case";
    EXPECT_EQ(Classify(Head("\0FLV", 4), 100), Unreadable);
    EXPECT_EQ(Classify(Head("FLVftyp", 7), 100), FlvFile);
}

TEST(Classification, PlaylistByExactExtensionAndPercentOnlyInTheNamePart)
{
    EXPECT_TRUE(IsPlaylistPath(L"C:\\lists\\a.nbl"));
    EXPECT_TRUE(IsPlaylistPath(L"a.b.nbl"));
    EXPECT_FALSE(IsPlaylistPath(L"C:\\lists\\a.NBL")) << "the comparison is case-sensitive";
    EXPECT_FALSE(IsPlaylistPath(L"C:\\lists\\a.nbl.flv"));
    EXPECT_FALSE(IsPlaylistPath(L"C:\\x.nbl\\movie"));
    EXPECT_FALSE(IsPlaylistPath(L"C:\\x\\nbl"));

    EXPECT_TRUE(HasSpecialCharacter(L"C:\\videos\\a%b.flv"));
    EXPECT_TRUE(HasSpecialCharacter(L"%"));
    EXPECT_FALSE(HasSpecialCharacter(L"C:\\100%\\clip.flv")) << "the folder is not tested";
    EXPECT_FALSE(HasSpecialCharacter(L"C:/100%/clip.flv"));
    EXPECT_FALSE(HasSpecialCharacter(L"C:\\videos\\clip.%lv")) << "nor the extension";
    EXPECT_FALSE(HasSpecialCharacter(L"C:\\videos\\clip#&!.flv")) << "only % is refused";
}

TEST(PathParts, NameAndExtensionAfterEitherSeparator)
{
    EXPECT_STREQ(PathNamePart(L"C:\\a\\b/c.d.flv"), L"c.d.flv");
    EXPECT_STREQ(PathNamePart(L"C:clip.flv"), L"clip.flv");
    EXPECT_STREQ(PathNamePart(L"clip.flv"), L"clip.flv");
    EXPECT_STREQ(PathExtension(L"C:\\a\\b/c.d.flv"), L".flv");
    EXPECT_STREQ(PathExtension(L"C:\\dir.x\\file"), L"") << "a dot in the folder is no extension";
    EXPECT_STREQ(PathExtension(L"C:\\a\\"), L"");
    EXPECT_EQ(JoinPath(L"C:\\a", L"b.flv"), L"C:\\a\\b.flv");
    EXPECT_EQ(JoinPath(L"C:\\", L"b.flv"), L"C:\\b.flv");
}

TEST(PathParts, LongPathsGetTheFormTheSystemOpensWhole)
{
    EXPECT_EQ(LongPathForm(L"C:\\short\\clip.flv"), L"C:\\short\\clip.flv");
    EXPECT_EQ(LongPathForm(L"relative.flv"), L"relative.flv");

    std::wstring deep = L"C:\\" + std::wstring(150, L'a') + L"/" + std::wstring(150, L'b') + L"\\clip.flv";
    EXPECT_EQ(LongPathForm(deep.c_str()),
              L"\\\\?\\C:\\" + std::wstring(150, L'a') + L"\\" + std::wstring(150, L'b') + L"\\clip.flv");
    std::wstring dotted = L"C:\\" + std::wstring(300, L'c') + L"\\x\\..\\clip.flv";
    EXPECT_EQ(LongPathForm(dotted.c_str()), L"\\\\?\\C:\\" + std::wstring(300, L'c') + L"\\clip.flv");
    std::wstring unc = L"\\\\server\\share\\" + std::wstring(300, L'd') + L"\\clip.flv";
    EXPECT_EQ(LongPathForm(unc.c_str()), L"\\\\?\\UNC\\server\\share\\" + std::wstring(300, L'd') + L"\\clip.flv");
    std::wstring prefixed = L"\\\\?\\C:\\" + std::wstring(300, L'e');
    EXPECT_EQ(LongPathForm(prefixed.c_str()), prefixed);
}

TEST(PlaylistText, LinesAreUtf8WithCrLfAndLongOnesAreWrittenWhole)
{
    std::string bytes;
    ASSERT_TRUE(AppendPlaylistLine(L"[Nimbrel Play List]", bytes));
    ASSERT_TRUE(AppendPlaylistLine(L"C:\\動画\\猫.flv", bytes));
    EXPECT_EQ(bytes, "[Nimbrel Play List]\r\nC:\\\xE5\x8B\x95\xE7\x94\xBB\\\xE7\x8C\xAB.flv\r\n");

    // 1000 three-byte characters: far beyond any fixed line buffer of 1024 bytes.
    std::wstring longPath = L"C:\\" + std::wstring(1000, L'動') + L".flv";
    std::string longLine;
    ASSERT_TRUE(AppendPlaylistLine(longPath.c_str(), longLine));
    EXPECT_EQ(longLine.size(), 3 + 3000 + 4 + 2u);
    EXPECT_EQ(longLine.substr(longLine.size() - 6), ".flv\r\n");

    std::string kept = "before";
    EXPECT_FALSE(AppendPlaylistLine(L"C:\\a\xD800z.flv", kept)) << "a lone surrogate has no UTF-8 form";
    EXPECT_EQ(kept, "before");
}

TEST(PlaylistText, ReaderTakesAnyLineEndsSkipsBlankLinesAndKeepsSpaces)
{
    std::wstring text;
    std::string file = "\xEF\xBB\xBF[h]\r\na.flv\n\nb.flv\r\r\nc.flv  \rd.flv";
    ASSERT_TRUE(DecodePlaylistBytes(file.data(), file.size(), text));
    std::vector<std::wstring> lines = SplitPlaylistLines(text);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], L"\xFEFF[h]") << "a byte-order mark stays on the header line";
    EXPECT_EQ(lines[1], L"a.flv");
    EXPECT_EQ(lines[2], L"b.flv");
    EXPECT_EQ(lines[3], L"c.flv  ") << "lines are not trimmed";
    EXPECT_EQ(lines[4], L"d.flv") << "the last line needs no line end";

    EXPECT_TRUE(SplitPlaylistLines(L"\r\n\r\n\n").empty());
    EXPECT_EQ(SplitPlaylistLines(std::wstring(L"h\r\na\0b\r\nc", 9)).size(), 2u) << "text ends at a NUL";

    ASSERT_TRUE(DecodePlaylistBytes("a\xFF" "b", 3, text));
    EXPECT_EQ(text, L"a\xFFFD" L"b") << "invalid UTF-8 becomes a replacement character";
    EXPECT_FALSE(DecodePlaylistBytes("", 0, text));
}

}  // namespace


// Some file systems report 0 as every file's identity: such files are told apart by their
// full paths, whatever their case, so a second nested playlist or subfolder is not skipped.
TEST(FileIdentity, AllZeroIsUnknownAndTheFullPathDecides)
{
    BY_HANDLE_FILE_INFORMATION zero = {}, known = {};
    known.dwVolumeSerialNumber = 7;
    known.nFileIndexLow = 42;
    std::vector<FileIdentity> reading = {IdentityOf(zero, L"C:\\lists\\outer.nbl")};
    EXPECT_FALSE(ContainsIdentity(reading, IdentityOf(zero, L"C:\\lists\\inner.nbl")));
    EXPECT_TRUE(ContainsIdentity(reading, IdentityOf(zero, L"c:\\LISTS\\.\\Outer.NBL")));
    reading.push_back(IdentityOf(known, L"C:\\a"));
    EXPECT_TRUE(ContainsIdentity(reading, IdentityOf(known, L"C:\\b"))) << "a known identity decides alone";
}

// Lines of a playlist kept in C:\lists: relative ones name files beside it.
TEST(PlaylistLine, RelativeLinesResolveAgainstThePlaylistsFolder)
{
    const wchar_t* rows[][2] = {
        {L"a.flv", L"C:\\lists\\a.flv"},
        {L"sub\\a.flv", L"C:\\lists\\sub\\a.flv"},
        {L"..\\a.flv", L"C:\\lists\\..\\a.flv"},
        {L"\\v\\a.flv", L"C:\\v\\a.flv"},
        {L"D:\\v\\a.flv", L"D:\\v\\a.flv"},
        {L"D:/v/a.flv", L"D:/v/a.flv"},
        {L"\\\\server\\share\\a.flv", L"\\\\server\\share\\a.flv"},
        {L"\\\\?\\D:\\a.flv", L"\\\\?\\D:\\a.flv"},
    };
    for (auto& row : rows)
        EXPECT_EQ(ResolvePlaylistLine(L"C:\\lists", row[0]), row[1]) << row[0];
}
