// Navigation through the playlist in the running program: the repeat modes at a file's end,
// previous and next, moving and removing rows around the current entry, the repeat section.
#include <windows.h>
#include <commctrl.h>

#include "app/app.h"
#include "app/menus.h"
#include "engine/monitor.h"
#include "playlist/path_parts.h"
#include "playlist/playlist.h"
#include "resources/resource.h"
#include "test_support.h"

using Navigation = AppTest;

TEST_F(Navigation, EndOfFileFollowsTheRepeatModePreviousAndNextStopAtTheEnds)
{
    // From a row of one or two, what plays next; a stopped file stays marked.
    const struct { int rows; UINT mode; int from; const wchar_t* now; } cases[] = {
        {2, IDM_REPEAT_LIST_ONCE, 0, L"1 Playing [b.flv]"}, {2, IDM_REPEAT_LIST_ONCE, 1, L"1 Stopped [b.flv]"},
        {2, IDM_REPEAT_FILE, 1, L"1 Playing [b.flv]"},      {2, IDM_REPEAT_LIST, 1, L"0 Playing [a.flv]"},
        {2, IDM_REPEAT_SECTION, 0, L"0 Stopped [a.flv]"},   {2, IDM_FILE_ONCE, 0, L"0 Stopped [a.flv]"},
        {1, IDM_REPEAT_LIST, 0, L"0 Playing [a.flv]"},      {1, IDM_REPEAT_LIST_ONCE, 0, L"0 Stopped [a.flv]"},
    };
    Paths files = {MakeFlv(Dir / L"a.flv"), MakeFlv(Dir / L"b.flv")};
    for (auto c : cases) {
        RemoveAllEntries();
        DropOnPlaylist(Paths(files.begin(), files.begin() + c.rows));
        Command(c.mode);
        PlayEntry(c.from);
        AdvanceAfterEnd();
        EXPECT_EQ(NowPlaying(), c.now) << "mode " << c.mode << " from " << c.from << " of " << c.rows;
        EXPECT_TRUE(IsMenuItemChecked(MainMenu, c.mode));
    }

    // Previous on the first row and next on the last do nothing, whatever the mode.
    RemoveAllEntries();
    AddFiles({L"a.flv", L"b.flv", L"c.flv"});
    for (UINT mode = IDM_REPEAT_LIST_ONCE; mode <= IDM_FILE_ONCE; mode++) {
        Command(mode);
        PlayEntry(0);
        EXPECT_FALSE(IsMenuItemEnabled(MainMenu, IDM_PREVIOUS));
        Command(IDM_PREVIOUS);
        Command(IDM_NEXT);
        EXPECT_EQ(CurrentIndex, 1) << mode;
        PlayEntry(2);
        EXPECT_FALSE(IsMenuItemEnabled(MainMenu, IDM_NEXT));
        Command(IDM_NEXT);
        Command(IDM_PREVIOUS);
        EXPECT_EQ(CurrentIndex, 1) << mode;
    }
}

// Each step plays a row (unless -1), selects rows (the first focused too) and gives a command;
// the rows' files are named by their first letters.
TEST_F(Navigation, MovingAndRemovingRowsKeepTheMarkWithItsFile)
{
    AddFiles({L"a.flv", L"b.flv", L"c.flv", L"d.flv", L"e.flv", L"f.flv"});
    const struct { int play; std::vector<int> select; UINT command; const wchar_t *now, *names; } steps[] = {
        {1, {1}, IDM_MOVE_DOWN, L"2 Playing [b.flv]", L"acbdef"},  // Ctrl+Down on the current entry
        {5, {5}, IDM_MOVE_DOWN, L"5 Playing [f.flv]", L"acbdef"},  // the last row stays
        {2, {1}, IDM_MOVE_DOWN, L"1 Playing [b.flv]", L"abcdef"},  // the neighbour moves past it
        {-1, {0}, IDM_MOVE_UP, L"1 Playing [b.flv]", L"abcdef"},   // the first row stays
        {5, {5}, IDM_REMOVE, L"4 Stopped [e.flv]", L"abcde"},  // the current last row: the new last is marked
        {2, {0, 1}, IDM_REMOVE, L"0 Playing [c.flv]", L"cde"},  // rows before it: the same file plays on
        {-1, {2}, IDM_REMOVE, L"0 Playing [c.flv]", L"cd"},     // a row after it
        {-1, {0}, IDM_REMOVE, L"0 Stopped [d.flv]", L"d"},      // the current row: the next is marked
        {-1, {0}, IDM_REMOVE, L"-1 Idle", L""},                 // the only row
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
        EXPECT_EQ(NowPlaying() + L" " + names, std::wstring(step.now) + L" " + step.names);
    }
    for (UINT id : {IDM_PREVIOUS, IDM_NEXT, IDM_SAVE_PLAYLIST, IDM_PLAY_PAUSE})
        EXPECT_FALSE(IsMenuItemEnabled(MainMenu, id)) << id;
}

// Between two other modes, or choosing the section mode again, the section stays; entering or
// leaving the section mode clears it. (The section repeating itself: host/playback_test.cpp.)
TEST_F(Navigation, SectionIsClearedOnlyWhenEnteringOrLeavingSectionMode)
{
    const struct { UINT mode; bool kept; } steps[] = {
        {IDM_FILE_ONCE, true}, {IDM_REPEAT_SECTION, false}, {IDM_REPEAT_SECTION, true}, {IDM_REPEAT_LIST_ONCE, false}};
    Command(IDM_REPEAT_LIST);
    for (auto step : steps) {
        Section = {3, 9, 1, 4, 0};
        Command(step.mode);
        std::vector<unsigned> got = {Section.SectionStart, Section.SectionEnd, Section.SectionActive,
                                     Section.SectionLoopPoint};
        EXPECT_EQ(got, (step.kept ? std::vector<unsigned>{3, 9, 1, 4} : std::vector<unsigned>(4, 0))) << step.mode;
    }
}
