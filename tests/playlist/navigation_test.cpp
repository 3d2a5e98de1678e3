// Navigation through the playlist in the running program: the repeat modes at a file's end,
// previous and next, moving and removing rows around the current entry, the repeat section.
#include "playlist_test_support.h"

#include <commctrl.h>

#include "app/app.h"
#include "app/menus.h"
#include "app/settings.h"
#include "engine/monitor.h"
#include "engine/playback_commands.h"
#include "engine/player/media_engine.h"
#include "engine/video_panel.h"
#include "playlist/playlist.h"
#include "resources/resource.h"

namespace {

using Paths = std::vector<std::wstring>;

class Navigation : public AppTest {
protected:
    TempFolder Dir;
    Paths Files;
    void Add(std::initializer_list<const wchar_t*> names)
    {
        Paths added;
        for (const wchar_t* n : names)
            added.push_back(MakeFlv(Dir / n));
        Files.insert(Files.end(), added.begin(), added.end());
        DropOnPlaylist(added);
    }
    void Command(UINT id) { SendMessageW(MainWindow, WM_COMMAND, id, 0); }
    void Select(std::initializer_list<int> rows)
    {
        LVITEMW item = {};
        item.stateMask = LVIS_SELECTED;
        SendMessageW(PlaylistView, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&item);
        item.state = LVIS_SELECTED;
        for (int r : rows)
            SendMessageW(PlaylistView, LVM_SETITEMSTATE, r, (LPARAM)&item);
    }
    void Focus(int row)
    {
        LVITEMW item = {};
        item.stateMask = item.state = LVIS_FOCUSED | LVIS_SELECTED;
        SendMessageW(PlaylistView, LVM_SETITEMSTATE, row, (LPARAM)&item);
    }
    bool Enabled(UINT id) { return IsMenuItemEnabled(MainMenu, id); }
};

TEST_F(Navigation, OneEntryReplaysInRepeatListAndStopsMarkedInListOnce)
{
    Add({L"only.flv"});
    PlayEntry(0);
    Command(IDM_REPEAT_LIST);
    AdvanceAfterEnd();
    EXPECT_EQ(CurrentIndex, 0);
    EXPECT_EQ(PlayState, Playing);

    Command(IDM_REPEAT_LIST_ONCE);
    AdvanceAfterEnd();
    EXPECT_EQ(CurrentIndex, 0) << "stays marked";
    EXPECT_EQ(PlayState, Stopped);
    EXPECT_EQ(WindowTitle(), TitleFor(L"only.flv"));
}

TEST_F(Navigation, EndOfFileFollowsTheRepeatMode)
{
    Add({L"a.flv", L"b.flv"});
    struct Case {
        UINT mode;
        int from;
        int current;
        PlayStateValue state;
    } cases[] = {
        {IDM_REPEAT_LIST_ONCE, 0, 1, Playing}, {IDM_REPEAT_LIST_ONCE, 1, 1, Stopped},
        {IDM_REPEAT_FILE, 1, 1, Playing},      {IDM_REPEAT_LIST, 1, 0, Playing},
        {IDM_REPEAT_SECTION, 0, 0, Stopped},   {IDM_FILE_ONCE, 0, 0, Stopped},
    };
    for (const Case& c : cases) {
        Command(c.mode);
        PlayEntry(c.from);
        AdvanceAfterEnd();
        EXPECT_EQ(CurrentIndex, c.current) << "mode " << c.mode << " from " << c.from;
        EXPECT_EQ(PlayState, c.state) << "mode " << c.mode << " from " << c.from;
        EXPECT_EQ(Settings.Repeat, (int)(c.mode - IDM_REPEAT_LIST_ONCE));
        EXPECT_TRUE(IsMenuItemChecked(MainMenu, c.mode));
    }
}

TEST_F(Navigation, PreviousOnTheFirstAndNextOnTheLastDoNothingInEveryMode)
{
    Add({L"a.flv", L"b.flv", L"c.flv"});
    for (UINT mode = IDM_REPEAT_LIST_ONCE; mode <= IDM_FILE_ONCE; mode++) {
        Command(mode);
        PlayEntry(0);
        EXPECT_FALSE(Enabled(IDM_PREVIOUS));
        Command(IDM_PREVIOUS);  // Page Up
        EXPECT_EQ(CurrentIndex, 0);
        Command(IDM_NEXT);
        EXPECT_EQ(CurrentIndex, 1);
        PlayEntry(2);
        EXPECT_FALSE(Enabled(IDM_NEXT));
        Command(IDM_NEXT);  // Page Down
        EXPECT_EQ(CurrentIndex, 2);
        Command(IDM_PREVIOUS);
        EXPECT_EQ(CurrentIndex, 1);
    }
}

TEST_F(Navigation, MovingRowsCarriesTheMarkWithItsFile)
{
    Add({L"a.flv", L"b.flv", L"c.flv"});
    PlayEntry(1);
    Focus(1);
    Command(IDM_MOVE_DOWN);  // Ctrl+Down on the current entry
    EXPECT_EQ(EntryPaths(), (Paths{Files[0], Files[2], Files[1]}));
    EXPECT_EQ(CurrentIndex, 2);
    EXPECT_EQ(WindowTitle(), TitleFor(L"b.flv"));
    Command(IDM_MOVE_DOWN);
    EXPECT_EQ(CurrentIndex, 2) << "the last row does not move down";
    Focus(1);
    Command(IDM_MOVE_DOWN);  // the neighbour moves past it
    EXPECT_EQ(EntryPaths(), (Paths{Files[0], Files[1], Files[2]}));
    EXPECT_EQ(CurrentIndex, 1);
    Focus(0);
    Command(IDM_MOVE_UP);
    EXPECT_EQ(EntryPaths(), (Paths{Files[0], Files[1], Files[2]}));
}

TEST_F(Navigation, RemovingRowsAroundTheCurrentEntry)
{
    Add({L"a.flv", L"b.flv", L"c.flv", L"d.flv", L"e.flv"});
    PlayEntry(2);
    Select({0, 1});
    Command(IDM_REMOVE);  // before it: the same file plays on
    EXPECT_EQ(CurrentIndex, 0);
    EXPECT_EQ(PlayState, Playing);
    EXPECT_EQ(WindowTitle(), TitleFor(L"c.flv"));
    EXPECT_FALSE(Enabled(IDM_PREVIOUS));

    Select({2});
    Command(IDM_REMOVE);  // after it
    EXPECT_EQ(EntryPaths(), (Paths{Files[2], Files[3]}));
    EXPECT_EQ(CurrentIndex, 0);
    EXPECT_EQ(PlayState, Playing);
    EXPECT_TRUE(Enabled(IDM_NEXT));

    Select({0});
    Command(IDM_REMOVE);  // the current one: the next is marked, stopped
    EXPECT_EQ(EntryPaths(), (Paths{Files[3]}));
    EXPECT_EQ(CurrentIndex, 0);
    EXPECT_EQ(PlayState, Stopped);
    EXPECT_EQ(WindowTitle(), TitleFor(L"d.flv"));
    EXPECT_FALSE(Enabled(IDM_NEXT));

    Select({0});
    Command(IDM_REMOVE);  // the last row
    EXPECT_EQ(CurrentIndex, -1);
    EXPECT_EQ(PlayState, Idle);
    EXPECT_EQ(WindowTitle(), L"Nimbrel");
    EXPECT_FALSE(Enabled(IDM_SAVE_PLAYLIST));
}

TEST_F(Navigation, RemovingTheLastRowWhileCurrentMarksTheNewLast)
{
    Add({L"a.flv", L"b.flv", L"c.flv"});
    PlayEntry(2);
    Select({2});
    Command(IDM_REMOVE);
    EXPECT_EQ(CurrentIndex, 1);
    EXPECT_EQ(PlayState, Stopped);
    EXPECT_EQ(WindowTitle(), TitleFor(L"b.flv"));

    SendMessageW(PlaylistPanel, WM_COMMAND, IDM_REMOVE_ALL, 0);
    EXPECT_TRUE(EntryPaths().empty());
    EXPECT_EQ(CurrentIndex, -1);
    EXPECT_EQ(PlayState, Idle);
    EXPECT_EQ(WindowTitle(), L"Nimbrel");
    EXPECT_FALSE(Enabled(IDM_PREVIOUS));
    EXPECT_FALSE(Enabled(IDM_NEXT));
    EXPECT_FALSE(Enabled(IDM_SAVE_PLAYLIST));
}

TEST_F(Navigation, SectionIsClearedOnlyWhenEnteringOrLeavingSectionMode)
{
    const SectionRecord set = {3, 9, 1, 4, 0};
    Command(IDM_REPEAT_LIST);
    Section = set;
    Command(IDM_FILE_ONCE);
    EXPECT_EQ(Section.SectionEnd, 9u) << "between two other modes the section stays";
    Command(IDM_REPEAT_SECTION);
    EXPECT_EQ(Section.SectionEnd, 0u);
    EXPECT_EQ(Section.SectionActive, 0u);
    Section = set;
    Command(IDM_REPEAT_SECTION);
    EXPECT_EQ(Section.SectionEnd, 9u) << "choosing the section mode again keeps it";
    Command(IDM_REPEAT_LIST_ONCE);
    EXPECT_EQ(Section.SectionStart, 0u);
    EXPECT_EQ(Section.SectionLoopPoint, 0u);
}

TEST_F(Navigation, SectionRepeatSeeksBackToTheLoopPointAtTheSectionEnd)
{
    Add({L"a.flv"});
    Command(IDM_REPEAT_SECTION);
    PlayEntry(0);
    PlaybackPosition = 1;
    PlaybackDuration = 20;
    ApplySectionRepeat();
    EXPECT_EQ(Section.SectionActive, 1u) << "the first section is the whole file";
    EXPECT_EQ(Section.SectionEnd, 20u);
    Section.SectionEnd = 12;
    Section.SectionLoopPoint = 7;
    MediaEngine* engine = PanelEngine();
    ASSERT_NE(engine, nullptr);
    SetVariable(engine, L"state_seek", L"");
    PlaybackPosition = 11;
    ApplySectionRepeat();
    std::wstring seek;
    GetVariable(engine, L"state_seek", &seek);
    EXPECT_EQ(seek, L"") << "before the end nothing is sought";
    PlaybackPosition = 12;
    ApplySectionRepeat();
    GetVariable(engine, L"state_seek", &seek);
    EXPECT_EQ(seek, L"7");
}

}  // namespace
