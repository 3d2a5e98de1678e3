// Benchmark (not a test): intake of a folder of 10,000 small files and of a playlist of
// 10,000 entries in the running program. Goal: under 2 seconds each.
#include <stdio.h>
#include <stdlib.h>

#include "app/app.h"
#include "app/message_box.h"
#include "playlist/file_intake.h"
#include "playlist/playlist.h"
#include "playlist/playlist_file.h"
#include "test_support.h"

static double Seconds(LARGE_INTEGER from)
{
    LARGE_INTEGER now, rate;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&rate);
    return double(now.QuadPart - from.QuadPart) / double(rate.QuadPart);
}

int main(int argc, char** argv)
{
    const int count = argc > 1 ? atoi(argv[1]) : 10000;
    TempFolder dir;
    std::wstring folder = dir / L"many";
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
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    DropOnPlaylist({folder});
    double folderTime = Seconds(start);
    printf("folder of %d files: %d entries in %.2f s\n", count, PlaylistCount(), folderTime);

    std::wstring list = dir / L"many.nbl";
    QueryPerformanceCounter(&start);
    int saved = WritePlaylistFile(list.c_str());
    printf("save of %d entries: %s in %.2f s\n", PlaylistCount(), saved ? "written" : "FAILED", Seconds(start));

    RemoveAllEntries();
    QueryPerformanceCounter(&start);
    DropOnPlaylist({list});
    double listTime = Seconds(start);
    printf("playlist of %d entries: %d entries in %.2f s\n", count, PlaylistCount(), listTime);
    printf("boxes shown: %d\n", boxes);
    CloseApp();
    return 0;
}
