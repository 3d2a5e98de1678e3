// Placement of the main window's children: video on the left, splitter and playlist on
// the right, control bar along the bottom.
#pragma once
#include <windows.h>

constexpr int SplitterWidth = 5;
constexpr int NormalBarHeight = 30;

struct Placement {
    int x, y, width, height;
};

struct ChildLayout {
    Placement Video, Playlist, Splitter, Bar;
};

// Pure arithmetic of the layout for a client area of width x height.
ChildLayout ComputeChildLayout(int width, int height, int barHeight, bool playlistVisible,
                               int playListWidth);
// 30, or 0 in full screen while the bar is switched off.
int BarHeight();
// Moves the children that exist to their places in MainWindow's client area.
void LayoutChildren();
