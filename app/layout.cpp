#include "app/layout.h"

#include <limits.h>

#include "app/app.h"
#include "app/settings.h"
#include "controls/control_bar.h"
#include "controls/splitter.h"

// The playlist width comes unclamped from the settings file: the sums are formed in 64 bits
// and held to what an int can carry.
static int ClampToInt(long long v)
{
    return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : (int)v;
}

ChildLayout ComputeChildLayout(int width, int height, int barHeight, bool playlistVisible,
                               int playListWidth)
{
    ChildLayout l;
    int h = height - barHeight;
    int playlistX = ClampToInt((long long)width - playListWidth);
    int splitterX = ClampToInt((long long)width - playListWidth - SplitterWidth);
    l.Video = {0, 0, playlistVisible ? splitterX : width, h};
    // The hidden playlist and splitter keep their places for when they are shown again.
    l.Playlist = {playlistX, 0, playListWidth, h};
    l.Bar = {0, h, width, barHeight};
    l.Splitter = {splitterX, 0, SplitterWidth, h};
    return l;
}

int BarHeight()
{
    return FullScreen && !BarInFullScreen ? 0 : NormalBarHeight;
}

static void Place(HWND child, const Placement& p)
{
    if (child)  // children arrive one by one during start-up
        MoveWindow(child, p.x, p.y, p.width, p.height, TRUE);
}

void LayoutChildren()
{
    RECT client;
    GetClientRect(MainWindow, &client);
    bool playlistVisible = PlaylistPanel && IsWindowVisible(PlaylistPanel);
    ChildLayout l = ComputeChildLayout(client.right, client.bottom, BarHeight(), playlistVisible,
                                       Settings.PlayListWidth);
    Place(VideoPanel, l.Video);
    Place(PlaylistPanel, l.Playlist);
    Place(ControlBar, l.Bar);
    Place(Splitter, l.Splitter);
}
