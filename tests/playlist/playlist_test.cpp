// The playlist: repeat modes, previous and next, moving and removing rows, the panel's menu, keys and mouse.
#include <windows.h>
#include <commctrl.h>

#include "app/app.h"
#include "app/menus.h"
#include "engine/playback_commands.h"
#include "playlist/path_parts.h"
#include "playlist/playlist.h"
#include "resources/resource.h"
#include "test_support.h"

namespace {

using Playlist = AppTest;

void SetRow(int row, UINT state)  // the selected and focused bits of a row (-1: every row)
{
    LVITEMW item = {.state = state, .stateMask = LVIS_SELECTED | LVIS_FOCUSED};
    SendMessageW(PlaylistView, LVM_SETITEMSTATE, row, (LPARAM)&item);
}

// What plays after an end in each mode; previous on the first row and next on the last do nothing.
TEST_F(Playlist, EndOfFileFollowsTheRepeatModePreviousAndNextStopAtTheEnds)
{
    const struct { int rows; UINT mode; int from; const wchar_t* now; } cases[] = {
        {2, IDM_REPEAT_LIST_ONCE, 0, L"1 Playing [b.flv]"}, {2, IDM_REPEAT_LIST_ONCE, 1, L"1 Stopped [b.flv]"},
        {2, IDM_REPEAT_FILE, 1, L"1 Playing [b.flv]"}, {2, IDM_REPEAT_LIST, 1, L"0 Playing [a.flv]"},
        {2, IDM_REPEAT_SECTION, 0, L"0 Stopped [a.flv]"}, {2, IDM_FILE_ONCE, 0, L"0 Stopped [a.flv]"},
        {1, IDM_REPEAT_LIST, 0, L"0 Playing [a.flv]"}, {1, IDM_REPEAT_LIST_ONCE, 0, L"0 Stopped [a.flv]"},
    };
    AddFiles({L"a.flv", L"b.flv", L"c.flv"});
    for (auto c : cases) {
        RemoveAllEntries();
        Drop(PlaylistPanel, Paths(Files.begin(), Files.begin() + c.rows));
        Command(c.mode), PlayEntry(c.from), AdvanceAfterEnd();
        EXPECT_TRUE(NowPlaying() == c.now && IsMenuItemChecked(MainMenu, c.mode)) << c.mode << " " << c.from;
    }
    Drop(PlaylistPanel, {Files[1], Files[2]});  // after the last case: a b c
    for (UINT mode = IDM_REPEAT_LIST_ONCE; mode <= IDM_FILE_ONCE; mode++) {
        Command(mode), PlayEntry(0);
        bool first = IsMenuItemEnabled(MainMenu, IDM_PREVIOUS);
        Command(IDM_PREVIOUS), Command(IDM_NEXT), PlayEntry(2);
        bool last = IsMenuItemEnabled(MainMenu, IDM_NEXT);
        Command(IDM_NEXT), Command(IDM_PREVIOUS);
        EXPECT_TRUE(!first && !last && CurrentIndex == 1) << mode;
    }
}

// Moved and removed rows keep the mark with its file; only entering or leaving section mode clears it.
TEST_F(Playlist, MovingAndRemovingRowsKeepTheMarkWithItsFileAndModesKeepTheSection)
{
    AddFiles({L"a.flv", L"b.flv", L"c.flv", L"d.flv", L"e.flv", L"f.flv"});
    const struct { int play; std::vector<int> select; UINT command; const wchar_t* now; } steps[] = {
        {1, {1}, IDM_MOVE_DOWN, L"2 Playing [b.flv] acbdef"},  // Ctrl+Down on the current entry
        {5, {5}, IDM_MOVE_DOWN, L"5 Playing [f.flv] acbdef"},  // the last row stays
        {2, {1}, IDM_MOVE_DOWN, L"1 Playing [b.flv] abcdef"},  // the neighbour moves past it
        {-1, {0}, IDM_MOVE_UP, L"1 Playing [b.flv] abcdef"},   // the first row stays
        {5, {5}, IDM_REMOVE, L"4 Stopped [e.flv] abcde"},      // the current last row: the new last is marked
        {2, {0, 1}, IDM_REMOVE, L"0 Playing [c.flv] cde"},     // rows before it: the same file plays on
        {-1, {2}, IDM_REMOVE, L"0 Playing [c.flv] cd"},        // a row after it
        {-1, {0}, IDM_REMOVE, L"0 Stopped [d.flv] d"},         // the current row: the next is marked
        {-1, {0}, IDM_REMOVE, L"-1 Idle "},                    // the only row
    };
    for (const auto& step : steps) {
        if (step.play >= 0)
            PlayEntry(step.play);
        SetRow(-1, 0);
        for (int row : step.select)
            SetRow(row, row == step.select[0] ? LVIS_SELECTED | LVIS_FOCUSED : LVIS_SELECTED);
        Command(step.command);
        std::wstring names;
        for (const std::wstring& path : EntryPaths())
            names += PathNamePart(path.c_str())[0];
        EXPECT_EQ(NowPlaying() + L" " + names, step.now);
    }
    for (UINT id : {IDM_PREVIOUS, IDM_NEXT, IDM_SAVE_PLAYLIST, IDM_PLAY_PAUSE})
        EXPECT_FALSE(IsMenuItemEnabled(MainMenu, id)) << id;
    Command(IDM_REPEAT_LIST);
    for (auto [mode, kept] : {std::pair{IDM_FILE_ONCE, true}, {IDM_REPEAT_SECTION, false}, {IDM_REPEAT_SECTION, true},
                              {IDM_REPEAT_LIST_ONCE, false}}) {
        Section = {3, 9, 1, 4, 0};
        Command(mode);
        EXPECT_EQ(Section.SectionStart + Section.SectionEnd + Section.SectionActive + Section.SectionLoopPoint, kept ? 17u : 0u) << mode;
    }
}

void Notify(UINT code)
{
    NMITEMACTIVATE n = {{PlaylistView, IDC_PLAYLIST_VIEW, code}, -1};
    SendMessageW(PlaylistPanel, WM_NOTIFY, IDC_PLAYLIST_VIEW, (LPARAM)&n);
}

// The enabled items of the right click's menu: play, up, down, remove, remove all, open, save.
std::string RightClickMenu()
{
    PostMessageW(PlaylistPanel, WM_CANCELMODE, 0, 0);  // delivered by the menu's own loop: it closes
    Notify(NM_RCLICK);
    std::string enabled;
    for (UINT id : {IDM_PLAY_SELECTED, IDM_MOVE_UP, IDM_MOVE_DOWN, IDM_REMOVE, IDM_REMOVE_ALL, IDM_OPEN, IDM_SAVE_PLAYLIST})
        enabled += IsMenuItemEnabled(PlaylistMenu, id) ? '+' : '-';
    return enabled;
}

// The menu, a double click and Enter take the row both focused and selected; then the list's keys:
// Ctrl+A, losing the focus (the selection goes, the mark stays), Delete, space, remove all.
TEST_F(Playlist, TheFocusedSelectedRowIsTheChoiceOfTheMenuDoubleClickAndEnterAndTheKeys)
{
    EXPECT_EQ(RightClickMenu(), "-----+-");
    AddFiles({L"a.flv", L"b.flv", L"c.flv"});
    struct Row { int row; UINT state; const char* menu; } rows[] = {
        {0, LVIS_SELECTED | LVIS_FOCUSED, "+-+++++"}, {2, LVIS_SELECTED | LVIS_FOCUSED, "++-++++"},
        {2, LVIS_FOCUSED, "----+++"},  // with row 1 selected: a selection without the focus is no choice
    };
    for (const Row& r : rows) {
        SetRow(-1, 0), SetRow(r.row, r.state);
        SetRow(1, r.state == LVIS_FOCUSED ? LVIS_SELECTED : 0);
        EXPECT_EQ(RightClickMenu(), r.menu) << r.row;
    }
    Notify(NM_DBLCLK);
    EXPECT_EQ(PlayState, Stopped) << "no focused selected row: nothing plays";
    void (*ways[])() = {[] { Notify(NM_DBLCLK); }, [] { SendMessageW(PlaylistView, WM_KEYDOWN, VK_RETURN, 0); },
                        [] { SendMessageW(PlaylistPanel, WM_COMMAND, IDM_PLAY_SELECTED, 0); }};
    for (int row = 2; row >= 0; row--) {
        SetRow(-1, 0), SetRow(row, LVIS_SELECTED | LVIS_FOCUSED);
        ways[row]();
        EXPECT_EQ(NowPlaying(), std::to_wstring(row) + L" Playing [" + PathNamePart(Files[row].c_str()) + L"]");
    }
    SetFocus(PlaylistView);
    auto key = [](UINT message, WPARAM key, BYTE control = 0) {
        BYTE keys[256] = {};
        keys[VK_CONTROL] = control;
        SetKeyboardState(keys), SendMessageW(PlaylistView, message, key, 0);
    };
    ExpectSteps([] { return ListState() + L" " + std::to_wstring(ListView_GetSelectedCount(PlaylistView)); },
                {{[&] { key(WM_KEYDOWN, 'A', 0x80); }, L"0 Playing [a.flv] | a.flv b.flv c.flv | 3"},
                 {[] { SetFocus(MainWindow); }, L"0 Playing [a.flv] | a.flv b.flv c.flv | 0"},
                 {[&] { SetFocus(PlaylistView), SetRow(1, LVIS_SELECTED), key(WM_KEYDOWN, VK_DELETE); },
                  L"0 Playing [a.flv] | a.flv c.flv | 0"},
                 {[&] { key(WM_KEYDOWN, VK_DELETE); }, L"0 Playing [a.flv] | a.flv c.flv | 0"},
                 {[&] { key(WM_KEYUP, VK_SPACE); }, L"0 Paused [a.flv] | a.flv c.flv | 0"},
                 {[] { SendMessageW(PlaylistPanel, WM_COMMAND, IDM_REMOVE_ALL, 0); }, L"-1 Idle | | 0"}});
}

}  // namespace
