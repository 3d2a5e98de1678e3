#include "app/layout.h"

#include "app/app.h"
#include "app/settings.h"

ChildLayout ComputeChildLayout(int width, int height, int barHeight, bool playlistVisible,
                               int playListWidth)
{
    ChildLayout l;
    int h = height - barHeight;
    int videoWidth = playlistVisible ? width - playListWidth - SplitterWidth : width;
    l.Video = {0, 0, videoWidth, h};
    // The hidden playlist and splitter keep their places for when they are shown again.
    l.Playlist = {width - playListWidth, 0, playListWidth, h};
    l.Bar = {0, h, width, barHeight};
    l.Splitter = {width - playListWidth - SplitterWidth, 0, SplitterWidth, h};
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
