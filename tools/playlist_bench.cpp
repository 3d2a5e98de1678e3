// Benchmark (not a test): intake of a folder of 10,000 small files and of a playlist of
// 10,000 entries in the running program (goal: under 2 seconds each); then a folder of 1,000
// files of every kind intake takes against one of FLV and MP4 files only and against the
// I/O floor, the same folder walked with each file's head read (goal: the mixed folder no
// slower a file than the FLV/MP4 one).
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <vector>

#include "app/app.h"
#include "app/message_box.h"
#include "playlist/file_intake.h"
#include "playlist/path_names.h"
#include "playlist/playlist.h"
#include "playlist/playlist_file.h"
#include "test_support.h"

// The seconds run() takes.
static double Seconds(const std::function<void()>& run)
{
    LARGE_INTEGER from, to, rate;
    QueryPerformanceCounter(&from);
    run();
    QueryPerformanceCounter(&to);
    QueryPerformanceFrequency(&rate);
    return double(to.QuadPart - from.QuadPart) / double(rate.QuadPart);
}

// 4 KB files, each beginning as a file of its kind does.
static std::string MediaFile(const std::string& start, std::initializer_list<size_t> syncs = {})
{
    std::string bytes(4096, '\x01');
    bytes.replace(0, start.size(), start);
    for (size_t at : syncs)
        bytes[at] = '\x47';
    return bytes;
}

static const std::vector<std::string>& Kinds()
{
    static const std::string mp3("\xFF\xFB\x90\x00", 4);
    static const std::vector<std::string> kinds = {
        MediaFile("FLV\x01\x05"), MediaFile(std::string("\0\0\0\x18" "ftypmp42", 12)),
        MediaFile("\x1A\x45\xDF\xA3"), MediaFile(std::string("\0\0\0\x08wide", 8)),
        MediaFile("RIFF\x01\x01\x01\x01" "AVI "), MediaFile("RIFF\x01\x01\x01\x01WAVE"),
        MediaFile("\x47", {188, 376, 564}), MediaFile("\x01\x01\x01\x01\x47", {196, 388, 580}),
        MediaFile(std::string("\0\0\1\xBA\x44", 5)), MediaFile(std::string("ID3\x04\0\0\0\0\x10\x7F", 10)),
        MediaFile(mp3 + std::string(413, '\x01') + mp3), MediaFile("fLaC"), MediaFile(std::string("OggS\0", 5)),
    };
    return kinds;
}

// A folder of count files cycling through the first kinds of Kinds().
static std::wstring MakeFolder(const std::wstring& folder, int count, size_t kinds)
{
    CreateDirectoryW(folder.c_str(), nullptr);
    for (int i = 0; i < count; i++)
        WriteBytes(folder + L"\\clip" + std::to_wstring(i) + L".bin", Kinds()[i % kinds]);
    return folder;
}

// What intake cannot do without: the folder listed and each file's head (bytes) read.
static int ReadHeads(const std::wstring& folder, DWORD bytes)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(JoinPath(folder, L"*.*").c_str(), &found);
    int read = 0;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        HANDLE file = CreateFileW(JoinPath(folder, found.cFileName).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        unsigned char head[ClassifyHeadBytes];
        DWORD got = 0;
        if (file != INVALID_HANDLE_VALUE && ReadFile(file, head, bytes, &got, nullptr) && got > 16)
            read++;
        CloseHandle(file);
    }
    FindClose(search);
    return read;
}

int main(int argc, char** argv)
{
    const int count = argc > 1 ? atoi(argv[1]) : 10000;
    TempFolder dir;
    std::wstring folder = dir / L"many", list = dir / L"many.nbl";
    CreateDirectoryW(folder.c_str(), nullptr);
    for (int i = 0; i < count; i++)
        MakeFlv(folder + L"\\clip" + std::to_wstring(i) + L".flv");

    WriteTestIni("");
    static int boxes;  // counted, never shown
    SetMessageBoxHandler([](HWND, const wchar_t*, const wchar_t*, UINT) { return ++boxes, IDOK; });
    if (!StartApp()) {
        printf("start-up failed\n");
        return 1;
    }
    double t = Seconds([&] { Drop(PlaylistPanel, {folder}); });
    printf("folder of %d files: %d entries in %.2f s\n", count, PlaylistCount(), t);
    int saved = 0;
    t = Seconds([&] { saved = WritePlaylistFile(list.c_str()); });
    printf("save of %d entries: %s in %.2f s\n", PlaylistCount(), saved ? "written" : "FAILED", t);
    RemoveAllEntries();
    t = Seconds([&] { Drop(PlaylistPanel, {list}); });
    printf("playlist of %d entries: %d entries in %.2f s\n", count, PlaylistCount(), t);
    RemoveAllEntries();

    // Best of nine rounds, the measures taking turns (in turned order every other round), so
    // neither a busy moment of the machine nor going first weighs on one of them alone.
    const int files = 1000;
    std::wstring plain = MakeFolder(dir / L"flv-mp4", files, 2), mixed = MakeFolder(dir / L"mixed", files, Kinds().size());
    double best[4] = {1e9, 1e9, 1e9, 1e9};
    int taken[4] = {};
    const std::function<void()> measures[4] = {
        [&] { Drop(PlaylistPanel, {plain}); taken[0] = PlaylistCount(); RemoveAllEntries(); },
        [&] { Drop(PlaylistPanel, {mixed}); taken[1] = PlaylistCount(); RemoveAllEntries(); },
        [&] { taken[2] = ReadHeads(mixed, ClassifyHeadBytes); },
        [&] { taken[3] = ReadHeads(mixed, 17); },
    };
    for (int round = 0; round < 9; round++)
        for (int i = 0; i < 4; i++) {
            int m = round % 2 ? 3 - i : i;
            best[m] = std::min(best[m], Seconds(measures[m]));
        }
    const char* what[4] = {"FLV/MP4 folder", "mixed folder (13 signatures)", "I/O floor: listed, 2 KB heads read",
                           "I/O floor: listed, 17-byte heads read"};
    for (int i = 0; i < 4; i++)
        printf("%-38s %4d of %d files in %.3f s: %6.1f us a file\n", what[i], taken[i], files, best[i],
               best[i] * 1e6 / files);
    printf("mixed against FLV/MP4, a file: %.2f (goal 1.00 or less; best of 9)\n", best[1] / best[0]);
    printf("boxes shown: %d\n", boxes);
    CloseApp();
    return 0;
}
