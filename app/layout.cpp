#include "app/layout.h"

#include "app/app.h"
#include "app/display_scale.h"
#include "app/settings.h"
#include "controls/control_bar.h"
#include "controls/splitter.h"

// The playlist width comes unclamped from the settings file: the sums are formed in 64 bits
// and held to what an int can carry.
ChildLayout ComputeChildLayout(int width, int height, int barHeight, bool playlistVisible,
                               int playListWidth, int dpi)
{
    ChildLayout l;
    int splitter = ScaleToDpi(SplitterWidth, dpi);
    int h = height - barHeight;
    int playlistX = ClampToInt((long long)width - playListWidth);
    int splitterX = ClampToInt((long long)width - playListWidth - splitter);
    l.Video = {0, 0, playlistVisible ? splitterX : width, h};
    // The hidden playlist and splitter keep their places for when they are shown again.
    l.Playlist = {playlistX, 0, playListWidth, h};
    l.Bar = {0, h, width, barHeight};
    l.Splitter = {splitterX, 0, splitter, h};
    return l;
}

int BarHeightAt(bool fullScreen, bool barInFullScreen, int dpi)
{
    return fullScreen && !barInFullScreen ? 0 : ScaleToDpi(NormalBarHeight, dpi);
}

int BarHeight()
{
    return BarHeightAt(FullScreen, BarInFullScreen, UiDpi());
}

int FitPlayListWidth(int playListWidth, int clientWidth, int dpi)
{
    // In 64 bits: the width read from the file may be anything an int holds.
    long long room = (long long)clientWidth - ScaleToDpi(SplitterWidth, dpi) - ScaleToDpi(NarrowestVideo, dpi);
    return playListWidth > room ? ClampToInt(room) : playListWidth;
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
                                       Settings.PlayListWidth, UiDpi());
    Place(VideoPanel, l.Video);
    Place(PlaylistPanel, l.Playlist);
    Place(ControlBar, l.Bar);
    Place(Splitter, l.Splitter);
}
