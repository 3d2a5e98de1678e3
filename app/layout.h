// Placement of the main window's children: video on the left, splitter and playlist on
// the right, control bar along the bottom. Sizes are given at 96 DPI and scaled.
#pragma once
#include <windows.h>

constexpr int SplitterWidth = 5;
constexpr int NormalBarHeight = 30;
constexpr int NarrowestVideo = 50;  // the video keeps this much beside the playlist

struct Placement {
    int x, y, width, height;
};

struct ChildLayout {
    Placement Video, Playlist, Splitter, Bar;
};

// Pure arithmetic of the layout for a client area of width x height at dpi (the playlist width
// and the bar height are pixels already).
ChildLayout ComputeChildLayout(int width, int height, int barHeight, bool playlistVisible,
                               int playListWidth, int dpi);
// The bar's height at dpi, or 0 in full screen while the bar is switched off.
int BarHeightAt(bool fullScreen, bool barInFullScreen, int dpi);
// BarHeightAt of the main window now.
int BarHeight();
// The playlist width that leaves the video its narrowest width in a client area this wide,
// when the given width would leave less; otherwise the given width.
int FitPlayListWidth(int playListWidth, int clientWidth, int dpi);
// Moves the children that exist to their places in MainWindow's client area.
void LayoutChildren();
