#pragma once
// Resource and command ids. The numbers are the program's own: menu commands, list and entry
// commands, category ids (which double as icon and string ids) and the sheet's bitmaps.

namespace tessaly::ids {

// Icons and bitmaps.
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDR_BRINDLTYPE = 129;
inline constexpr int IDB_TACK_CURRENT = 133;  // tack pushed in: the sheet is current
inline constexpr int IDB_HELP = 134;
inline constexpr int IDB_TACK = 135;  // tack out: the sheet is not current

// Categories (31200 + row of the category table).
inline constexpr int ID_DATA_VERDATA = 31200;
inline constexpr int ID_DATA_ANIMS = 31201;
inline constexpr int ID_DATA_TEXTURES = 31202;
inline constexpr int ID_DATA_TERRAIN = 31203;
inline constexpr int ID_DATA_ITEMS = 31204;
inline constexpr int ID_DATA_SOUNDS = 31205;
inline constexpr int ID_DATA_LIGHTS = 31206;
inline constexpr int ID_DATA_GUMPS = 31207;
inline constexpr int ID_DATA_SKILLS = 31208;
inline constexpr int ID_DATA_MULTIS = 31209;
inline constexpr int ID_DATA_HUES = 31210;
inline constexpr int ID_DATA_FONTS = 31211;
inline constexpr int ID_DATA_MAP = 31212;
inline constexpr int ID_DATA_STATICS = 31213;
inline constexpr int ID_DATA_TILEDATA = 31214;

// Commands of lists, entries and sheets.
inline constexpr int ID_SHEET_OK = 1;      // the sheet's apply-and-close button
inline constexpr int ID_SHEET_CANCEL = 2;  // Escape / close
inline constexpr int ID_SHEET_HELP = 9;
inline constexpr int ID_SHEET_TACK = 151;
inline constexpr int ID_LIST_WINDOW = 150;  // child id of a list window in its view
inline constexpr int ID_OPEN_BASE_MULS = 31000;
inline constexpr int ID_LIST_DBLCLK = 31002;
inline constexpr int ID_MERGE_VERDATA = 31003;
inline constexpr int ID_EDIT_PROPERTIES = 31106;
inline constexpr int ID_PROPERTIES = 31301;
inline constexpr int ID_PLAY = 31302;
inline constexpr int ID_EXPORT = 31303;  // "Export...": the selected entry saved as files
inline constexpr int ID_INSERT_NEW = 31350;
inline constexpr int ID_WRITE_RADAR_COLORS = 32771;
inline constexpr int ID_VIEW_TEXTLIST = 32775;
inline constexpr int ID_VIEW_THUMBNAIL = 32776;
inline constexpr int ID_FILE_SAVE_FAST = 32777;
inline constexpr int ID_EDIT_DELETE = 32778;
inline constexpr int ID_OPEN_BASE_SCRIPTS = 32779;
inline constexpr int ID_OPEN_PATCH = 32780;
inline constexpr int ID_SAVE_PATCH_AS = 32781;
inline constexpr int ID_SAVE_PATCH = 32782;
inline constexpr int ID_CLOSE_PATCH = 32783;
inline constexpr int ID_MERGE_PATCH = 32784;
inline constexpr int ID_MERGE_CLIENT_FILES = 32785;  // "Merge into Client Files..."
inline constexpr int ID_VIEW_MULFILES = 32792;
inline constexpr int ID_VIEW_VERDATA = 32793;
inline constexpr int ID_VIEW_CHANGES = 32794;
inline constexpr int ID_VIEW_UNUSED = 32795;
inline constexpr int ID_EDIT_GOTO = 32796;          // "Go to...": select an entry by its number
inline constexpr int ID_EDIT_REPLACE_FILE = 32810;  // "Replace from File..."
inline constexpr int ID_VIEW_CHECKERBOARD = 32820;  // transparent pixels on a checkerboard

// Standard commands.
inline constexpr int ID_FILE_NEW = 57600;
inline constexpr int ID_FILE_OPEN = 57601;
inline constexpr int ID_FILE_CLOSE = 57602;
inline constexpr int ID_FILE_SAVE = 57603;
inline constexpr int ID_FILE_SAVE_AS = 57604;
inline constexpr int ID_FILE_PRINT_SETUP = 57606;
inline constexpr int ID_FILE_PRINT = 57607;
inline constexpr int ID_FILE_PRINT_DIRECT = 57608;
inline constexpr int ID_FILE_PRINT_PREVIEW = 57609;
inline constexpr int ID_FILE_MRU_FILE1 = 57616;
inline constexpr int ID_EDIT_COPY = 57634;
inline constexpr int ID_EDIT_CUT = 57635;
inline constexpr int ID_EDIT_PASTE = 57637;
inline constexpr int ID_EDIT_UNDO = 57643;
inline constexpr int ID_WINDOW_NEW = 57648;
inline constexpr int ID_WINDOW_ARRANGE = 57649;
inline constexpr int ID_WINDOW_CASCADE = 57650;
inline constexpr int ID_WINDOW_TILE_HORZ = 57651;
inline constexpr int ID_APP_ABOUT = 57664;
inline constexpr int ID_APP_EXIT = 57665;
inline constexpr int ID_NEXT_PANE = 57680;
inline constexpr int ID_PREV_PANE = 57681;
inline constexpr int ID_VIEW_STATUS_BAR = 59393;

}  // namespace tessaly::ids
