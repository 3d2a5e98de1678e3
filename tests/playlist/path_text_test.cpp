// What a path's parts and a file's first bytes say, and a playlist's text. (Over any input: tests/fuzz.)
#include "playlist/file_intake.h"
#include "playlist/path_parts.h"
#include "playlist/playlist_text.h"
#include "test_support.h"

// The content decides, except that a playlist is judged by its name before it is opened.
TEST(Classification, ContentDecidesExceptForPlaylists)
{
    TempFolder dir;
    const std::string flv = "FLV" + std::string(14, '\x01'), mp4 = std::string("\0\0\0\x18" "ftypmp42", 12) + std::string(5, '\0');
    struct Row { const wchar_t* name; std::string bytes; FileKind kind; } rows[] = {
        {L"flv-named.mp4", flv, FlvFile}, {L"mp4-named.flv", mp4, Mp4File}, {L"sixteen.flv", flv.substr(0, 16), Unreadable},
        {L"ftyp-first.mp4", "ftyp" + std::string(20, '\0'), Unreadable}, {L"missing.nbl", "", PlaylistFile},
    };
    for (const Row& r : rows) {
        if (!r.bytes.empty())
            WriteBytes(dir / r.name, r.bytes);
        EXPECT_EQ(ClassifyFile((dir / r.name).c_str()), r.kind) << Utf8(r.name);
    }
}

// A head of size zero bytes with the given bytes at their offsets.
static std::string Head(std::initializer_list<std::pair<size_t, std::string>> fields, size_t size = 32)
{
    std::string head(size, '\0');
    for (auto& [at, bytes] : fields)
        head.replace(at, bytes.size(), bytes);
    return head;
}

// Each container by its own first bytes, each beside a near miss.
TEST(Classification, EachContainerByItsSignature)
{
    const std::string mp3("\xFF\xFB\x90\x00", 4);  // MPEG-1 layer III, 128 kbit/s, 44.1 kHz: 417-byte frames
    const std::string id3("ID3\x04\0\0\0\0\x10\x7F", 10), pack("\0\0\1\xBA", 4);
    auto syncs = [](size_t first, size_t stride, size_t packets, size_t size = 800) {
        std::string head(800, '\0');
        for (size_t i = 0; i < packets; i++)
            head[first + i * stride] = '\x47';
        return head.substr(0, size);
    };
    const FileKind X = Unreadable;
    struct Row { std::string head; FileKind kind; } rows[] = {
        {Head({{0, "FLV"}, {4, "ftyp"}}), FlvFile}, {Head({{4, "ftyp"}}), Mp4File},
        {Head({{0, "\x1A\x45\xDF\xA3"}}), MatroskaFile}, {Head({{0, "\x1A\x45\xDF\xA2"}}), X},
        {Head({{4, "moov"}}), QuickTimeFile}, {Head({{4, "mdat"}}), QuickTimeFile}, {Head({{4, "wide"}}), QuickTimeFile},
        {Head({{4, "free"}}), QuickTimeFile}, {Head({{4, "skip"}}), QuickTimeFile}, {Head({{4, "pnot"}}), QuickTimeFile},
        {Head({{0, "moov"}}), X}, {Head({{0, "RIFF"}, {8, "AVI "}}), AviFile}, {Head({{0, "RIFF"}, {8, "AVIX"}}), X},
        {Head({{0, "RIFF"}, {8, "WAVE"}}), WaveFile}, {Head({{0, "RF64"}, {8, "WAVE"}}), WaveFile}, {Head({{0, "RIFX"}, {8, "WAVE"}}), X},
        {syncs(0, 188, 4), TransportStreamFile}, {syncs(0, 188, 3), X}, {syncs(0, 188, 4, 564), X},  // ends before its fourth packet
        {syncs(4, 192, 4), BlurayStreamFile}, {syncs(4, 192, 3), X},
        {Head({{0, pack + "\x44"}}), ProgramStreamFile}, {Head({{0, pack + "\x21"}}), ProgramStreamFile},  // MPEG-2, MPEG-1
        {Head({{0, pack + "\x80"}}), X}, {Head({{0, std::string("\0\0\1\xB3\x44", 5)}}), X},  // a video sequence, no pack
        {Head({{0, id3}}), MpegAudioFile}, {Head({{0, id3.substr(0, 9) + "\x80"}}), X}, {Head({{0, "ID3\x05"}}), X},
        {Head({{0, mp3}, {417, mp3}}, 1000), MpegAudioFile}, {Head({{0, mp3}, {418, mp3}}, 1000), X},  // the next frame misplaced
        {Head({{0, mp3}}, 400), MpegAudioFile},  // one frame, cut short
        {Head({{0, "\xFF\xFB\xF0"}}), X}, {Head({{0, "\xFF\xF1\x50\x80"}}), X},  // bit-rate index 15; AAC in ADTS: layer 0
        {Head({{0, "fLaC"}}), FlacFile}, {Head({{0, "flaC"}}), X}, {Head({{0, "OggS"}}), OggFile}, {Head({{0, "OggS\x01"}}), X},
        {Head({{0, "just some words"}}), X},
    };
    for (const Row& r : rows)
        EXPECT_EQ(ClassifyHead((const unsigned char*)r.head.data(), r.head.size()), r.kind)
            << testing::PrintToString(r.head.substr(0, 12));
}

// Names, joins, the long form; files of identity 0 told apart by their paths, whatever their case.
TEST(PathParts, NameJoinTheLongFormAndTheIdentity)
{
    std::wstring a(150, L'a'), b(150, L'b'), c(300, L'c');
    const std::wstring rows[][2] = {
        {PathNamePart(L"C:\\a\\b/c.d.flv"), L"c.d.flv"}, {PathNamePart(L"C:clip.flv"), L"clip.flv"},
        {JoinPath(L"C:\\a", L"b.flv"), L"C:\\a\\b.flv"}, {JoinPath(L"C:\\", L"b.flv"), L"C:\\b.flv"},
        {LongPathForm(L"C:\\short\\clip.flv"), L"C:\\short\\clip.flv"}, {LongPathForm(L"relative.flv"), L"relative.flv"},
        {LongPathForm((L"C:\\" + a + L"/" + b + L"\\clip.flv").c_str()), L"\\\\?\\C:\\" + a + L"\\" + b + L"\\clip.flv"},
        {LongPathForm((L"C:\\" + c + L"\\x\\..\\clip.flv").c_str()), L"\\\\?\\C:\\" + c + L"\\clip.flv"},
        {LongPathForm((L"\\\\server\\share\\" + c + L"\\clip.flv").c_str()), L"\\\\?\\UNC\\server\\share\\" + c + L"\\clip.flv"},
        {LongPathForm((L"\\\\?\\C:\\" + c).c_str()), L"\\\\?\\C:\\" + c},
    };
    for (auto& r : rows)
        EXPECT_EQ(r[0], r[1]);
    BY_HANDLE_FILE_INFORMATION zero = {}, known = {};
    known.dwVolumeSerialNumber = 7, known.nFileIndexLow = 42;
    std::vector<FileIdentity> reading = {IdentityOf(zero, L"C:\\lists\\outer.nbl")};
    EXPECT_FALSE(ContainsIdentity(reading, IdentityOf(zero, L"C:\\lists\\inner.nbl")));
    EXPECT_TRUE(ContainsIdentity(reading, IdentityOf(zero, L"c:\\LISTS\\.\\Outer.NBL")));
    reading.push_back(IdentityOf(known, L"C:\\a"));
    EXPECT_TRUE(ContainsIdentity(reading, IdentityOf(known, L"C:\\b"))) << "a known identity decides alone";
}

// The text ends at its first NUL; relative lines of a playlist in C:\lists name files beside it.
TEST(PlaylistText, TheTextEndsAtANulAndRelativeLinesResolveAgainstThePlaylistsFolder)
{
    EXPECT_EQ(SplitPlaylistLines(std::wstring(L"h\r\na\0b\r\nc", 9)), (std::vector<std::wstring>{L"h", L"a"}));
    const wchar_t* rows[][2] = {
        {L"a.flv", L"C:\\lists\\a.flv"}, {L"sub\\a.flv", L"C:\\lists\\sub\\a.flv"}, {L"..\\a.flv", L"C:\\lists\\..\\a.flv"},
        {L"\\v\\a.flv", L"C:\\v\\a.flv"}, {L"D:\\v\\a.flv", L"D:\\v\\a.flv"}, {L"D:/v/a.flv", L"D:/v/a.flv"},
        {L"\\\\server\\share\\a.flv", L"\\\\server\\share\\a.flv"}, {L"\\\\?\\D:\\a.flv", L"\\\\?\\D:\\a.flv"},
    };
    for (auto& row : rows)
        EXPECT_EQ(ResolvePlaylistLine(L"C:\\lists", row[0]), row[1]) << Utf8(row[0]);
}
