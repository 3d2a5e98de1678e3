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
    double t = Seconds([&] { DropOnPlaylist({folder}); });
    printf("folder of %d files: %d entries in %.2f s\n", count, PlaylistCount(), t);
    int saved = 0;
    t = Seconds([&] { saved = WritePlaylistFile(list.c_str()); });
    printf("save of %d entries: %s in %.2f s\n", PlaylistCount(), saved ? "written" : "FAILED", t);
    RemoveAllEntries();
    t = Seconds([&] { DropOnPlaylist({list}); });
    printf("playlist of %d entries: %d entries in %.2f s\n", count, PlaylistCount(), t);
    printf("boxes shown: %d\n", boxes);
    CloseApp();
    return 0;
}
