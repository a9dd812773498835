#pragma once

/// The identities of the program's commands, shared by menus, toolbar and
/// tests, which run any command by its id.
enum CommandId : int {
    ID_RELOAD_SIMULATION = 32771,
    ID_START_BUTTON = 32772,
    ID_STOP_BUTTON = 32773,
    ID_NEW_SIMULATION = 32774,
    ID_LOAD_CONFIGURATION = 32775,
    ID_RELOAD_DATA = 32776,
    ID_ANIMATION_SETTINGS = 32777,
    ID_EDIT_CONFIGURATION = 32778,
    ID_EDIT_DATA = 32779,
    ID_SYSTEM_POSITION = 32780,
    ID_GRAPHIC_BOX = 32781,
    ID_REFRESH_SCREEN = 32782,
    ID_START_ANIMATION = 32783,
    ID_STOP_ANIMATION = 32784,
    ID_RESET_POSITION = 32786,
    ID_INCREASE_SPEED = 32788,
    ID_DECREASE_SPEED = 32790,
    ID_TOGGLE_FULL_WINDOW = 32791,
    // Playback and navigation commands added to the classic set.
    ID_PLAY_PAUSE = 33001,
    ID_STEP_FORWARD = 33002,
    ID_STEP_BACK = 33003,
    ID_GO_TO_START = 33004,
    ID_GO_TO_END = 33005,
    ID_DOUBLE_SPEED = 33006,
    ID_HALVE_SPEED = 33007,
    ID_GO_TO_TIME = 33008,
    ID_LOOP = 33009,
    ID_VIEW_PLAYBACK_BAR = 33010,
    ID_EQUAL_ASPECT = 33011,
    ID_TRAIL_AHEAD = 33012,
    ID_TRAIL_BEHIND = 33013,
    ID_TRAIL_BOTH = 33014,
    ID_FADE_TRAILS = 33015,
    ID_FIT_TO_DATA = 33016,
    ID_CONFIGURED_BOX = 33017,
    ID_FOLLOW_DATA = 33018,
    ID_PLAY_BACKWARDS = 33019,
    ID_SET_SPEED = 33020,
    // Pictures and videos of the view.
    ID_EXPORT_PICTURE = 33101,
    ID_EXPORT_VIDEO = 33102,
    ID_EXPORT_PANEL_PICTURE = 33103,
    ID_EXPORT_PAGE = 33104,
    // Plain data tables.
    ID_OPEN_DATA = 33201,
    ID_SAVE_CONFIGURATION = 33202,
    ID_PLANE_XY = 33203,
    ID_PLANE_XZ = 33204,
    ID_PLANE_YZ = 33205,
    // Looks of the view.
    ID_STYLE_CLASSIC = 33301,
    ID_STYLE_PUBLICATION = 33302,
    ID_STYLE_GRID = 33303,
    // Frames of reference.
    ID_FRAME_INERTIAL = 33401,
    ID_FRAME_BARYCENTRE = 33402,
    // Remembered settings.
    ID_CLEAR_RECENT = 33601,
    ID_RESET_SETTINGS = 33602,
    // The figure's bodies.
    ID_EDIT_BODIES = 33701,
    // The panel of time series.
    ID_VIEW_SERIES = 33801,
    ID_SERIES_QUANTITIES = 33802,
    // Runs compared on one view and clock.
    ID_ADD_RUN = 33901,
    ID_VIEW_RUNS = 33902,
    // Help.
    ID_HELP_EXAMPLES = 33501,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
};
