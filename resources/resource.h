// Resource and child-window identifiers, grouped by kind.
#pragma once

// Dialogs, accelerators, menus
#define IDD_ABOUT                 100
#define IDR_ACCELERATORS          101
#define IDR_MAIN_MENU             102
#define IDR_PLAYLIST_MENU         103

// Custom resources
#define IDR_PLAYER_MOVIE          200  // of type "SWF"

// Icon groups
#define IDI_APP                   150
#define IDI_PLAY                  151
#define IDI_STOP                  152
#define IDI_PAUSE                 153
#define IDI_SOUND                 154
#define IDI_MUTED                 155
#define IDI_MENU                  156
#define IDI_PLAYING_MARK          157
#define IDI_PREVIOUS              158  // the taskbar thumbnail's buttons
#define IDI_NEXT                  159

// Controls of the About box
#define IDC_ABOUT_ICON            1000
#define IDC_ABOUT_VERSION         1100
#define IDC_ABOUT_COPYRIGHT       1101
#define IDC_ABOUT_PLAYER          1102

// Child windows of the main window and the control bar
#define IDC_PLAYLIST_PANEL        1001
#define IDC_PLAYLIST_VIEW         1002
#define IDC_PANEL                 1003  // control bar, splitter and video panel alike
#define IDC_PLAY_PAUSE            1006
#define IDC_STOP                  1008
#define IDC_SEEK_BAR              1009
#define IDC_TIME_DISPLAY          1010
#define IDC_MUTE                  1011
#define IDC_VOLUME                1012
#define IDC_MENU_BUTTON           1013

// Commands
#define IDM_PLAY_PAUSE            40000
#define IDM_STOP                  40002
#define IDM_REPEAT_LIST_ONCE      40004
#define IDM_REPEAT_FILE           40005
#define IDM_REPEAT_LIST           40006
#define IDM_REPEAT_SECTION        40007
#define IDM_FILE_ONCE             40008
#define IDM_PREVIOUS              40009
#define IDM_NEXT                  40010
#define IDM_FULL_SCREEN           40011
#define IDM_ALWAYS_ON_TOP         40012
#define IDM_SHOW_PLAYLIST         40013
#define IDM_QUALITY_LOW           40014
#define IDM_QUALITY_MEDIUM        40015
#define IDM_QUALITY_HIGH          40016
#define IDM_SMOOTHING_OFF         40018
#define IDM_SMOOTHING_ON          40019
#define IDM_SIZE_25               40024
#define IDM_SIZE_50               40025
#define IDM_SIZE_100              40026
#define IDM_SIZE_150              40027
#define IDM_SIZE_200              40028
#define IDM_SIZE_CURRENT          40029
#define IDM_ASSOCIATE             40031
#define IDM_ABOUT                 40032
#define IDM_EXIT                  40033
#define IDM_MUTE                  40035
#define IDM_VOLUME_UP             40036
#define IDM_VOLUME_DOWN           40037
#define IDM_DEBLOCK_AUTO          40038
#define IDM_DEBLOCK_OFF           40039
#define IDM_DEBLOCK_ON            40040
#define IDM_PLAY_SELECTED         40050
#define IDM_MOVE_UP               40051
#define IDM_MOVE_DOWN             40052
#define IDM_REMOVE                40053
#define IDM_REMOVE_ALL            40054
#define IDM_OPEN                  40055
#define IDM_SAVE_PLAYLIST         40056
#define IDM_ESCAPE                40060
#define IDM_TOGGLE_BAR            40061
#define IDM_SHOW_MENU             40063
#define IDM_ASPECT_NATURAL        40080
#define IDM_ASPECT_FIRST          40081  // 40081..40090: the ten aspect slots
#define IDM_ASPECT_LAST           40090

// Strings
#define IDS_CLASS_NAME            40100
#define IDS_PRODUCT_TITLE         40101
#define IDS_VERSION_TEXT          40102
#define IDS_COPYRIGHT             40103
#define IDS_SECTION               40502
#define IDS_INI_EXTENSION         40503
#define IDS_KEY_WINDOW_POS_X      40504
#define IDS_KEY_WINDOW_POS_Y      40505
#define IDS_KEY_WINDOW_WIDTH      40506
#define IDS_KEY_WINDOW_HEIGHT     40507
#define IDS_KEY_REPEAT            40508
#define IDS_KEY_WINDOW_TOP        40509
#define IDS_KEY_PLAYLIST_SHOW     40510
#define IDS_KEY_PLAYLIST_WIDTH    40511
#define IDS_KEY_QUALITY           40512
#define IDS_KEY_SMOOTHING         40513
#define IDS_KEY_VOLUME_MUTE       40514
#define IDS_KEY_VOLUME_LEVEL      40515
#define IDS_KEY_DEBLOCKING        40516
#define IDS_KEY_MAXIMIZE          40517
#define IDS_KEY_ASPECT_BASE       40518  // AspectRatioN is IDS_KEY_ASPECT_BASE + N
#define IDS_VAR_STOP              40530
#define IDS_VAR_PAUSE             40531
#define IDS_VAR_SMOOTHING         40532
#define IDS_VAR_QUALITY           40533
#define IDS_VAR_ASPECT            40534
#define IDS_VAR_VOLUME            40535
#define IDS_VAR_SEEK              40536
#define IDS_VAR_TIME              40537
#define IDS_VAR_DURATION          40538
#define IDS_VAR_WIDTH             40539
#define IDS_VAR_HEIGHT            40540
#define IDS_VAR_FILE              40541
#define IDS_VAR_PLAYSTOP          40542
#define IDS_VAR_DEBLOCKING        40543
#define IDS_PLAYLIST_DEFAULT_EXT  40560
#define IDS_PLAYLIST_FILTER       40561
#define IDS_PLAYLIST_HEADER_NAME  40562
#define IDS_OPEN_FILTER           40563
#define IDS_MOVIE_FILE_NAME       40564
#define IDS_MOVIE_RESOURCE_TYPE   40565
#define IDS_FLV_EXTENSION         40566
#define IDS_FLV_TYPE_NAME         40567
#define IDS_FLV_CLASS             40568
#define IDS_MP4_EXTENSION         40569
#define IDS_MP4_TYPE_NAME         40570
#define IDS_MP4_CLASS             40571
#define IDS_NBL_EXTENSION         40572
#define IDS_NBL_TYPE_NAME         40573
#define IDS_NBL_CLASS             40574
#define IDS_ASSOC_CAPTION         40575
#define IDS_ASSOC_QUESTION        40576
#define IDS_ASSOC_FAILED          40577
#define IDS_ASSOC_DONE            40578
