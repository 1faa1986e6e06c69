#pragma once

// The framework's standard command, window-message and control-bar numbers. Commands are
// routed by these numbers; menus, accelerators, toolbar buttons and strings refer to them.

using UINT = unsigned int;

// Window messages that message tables bind besides commands.
inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_CHAR = 0x0102;
inline constexpr UINT WM_COMMAND = 0x0111;

inline constexpr UINT ID_SEPARATOR = 0;

inline constexpr UINT ID_FILE_NEW = 0xE100;
inline constexpr UINT ID_FILE_OPEN = 0xE101;
inline constexpr UINT ID_FILE_CLOSE = 0xE102;
inline constexpr UINT ID_FILE_SAVE = 0xE103;
inline constexpr UINT ID_FILE_SAVE_AS = 0xE104;
inline constexpr UINT ID_FILE_PAGE_SETUP = 0xE105;
inline constexpr UINT ID_FILE_PRINT_SETUP = 0xE106;
inline constexpr UINT ID_FILE_PRINT = 0xE107;
inline constexpr UINT ID_FILE_PRINT_DIRECT = 0xE108;
inline constexpr UINT ID_FILE_PRINT_PREVIEW = 0xE109;
inline constexpr UINT ID_FILE_MRU_FILE1 = 0xE110;
inline constexpr UINT ID_FILE_MRU_LAST = 0xE11F;  // 16 numbers are reserved for recent files

inline constexpr UINT ID_EDIT_CLEAR = 0xE120;
inline constexpr UINT ID_EDIT_CLEAR_ALL = 0xE121;
inline constexpr UINT ID_EDIT_COPY = 0xE122;
inline constexpr UINT ID_EDIT_CUT = 0xE123;
inline constexpr UINT ID_EDIT_FIND = 0xE124;
inline constexpr UINT ID_EDIT_PASTE = 0xE125;
inline constexpr UINT ID_EDIT_REPEAT = 0xE128;
inline constexpr UINT ID_EDIT_REPLACE = 0xE129;
inline constexpr UINT ID_EDIT_SELECT_ALL = 0xE12A;
inline constexpr UINT ID_EDIT_UNDO = 0xE12B;
inline constexpr UINT ID_EDIT_REDO = 0xE12C;

inline constexpr UINT ID_WINDOW_NEW = 0xE130;
inline constexpr UINT ID_WINDOW_ARRANGE = 0xE131;
inline constexpr UINT ID_WINDOW_CASCADE = 0xE132;
inline constexpr UINT ID_WINDOW_TILE_HORZ = 0xE133;
inline constexpr UINT ID_WINDOW_TILE_VERT = 0xE134;
inline constexpr UINT ID_WINDOW_SPLIT = 0xE135;

inline constexpr UINT ID_APP_ABOUT = 0xE140;
inline constexpr UINT ID_APP_EXIT = 0xE141;
inline constexpr UINT ID_NEXT_PANE = 0xE150;
inline constexpr UINT ID_PREV_PANE = 0xE151;

inline constexpr UINT ID_INDICATOR_EXT = 0xE700;
inline constexpr UINT ID_INDICATOR_CAPS = 0xE701;
inline constexpr UINT ID_INDICATOR_NUM = 0xE702;
inline constexpr UINT ID_INDICATOR_SCRL = 0xE703;
inline constexpr UINT ID_INDICATOR_OVR = 0xE704;
inline constexpr UINT ID_INDICATOR_REC = 0xE705;

inline constexpr UINT ID_VIEW_TOOLBAR = 0xE800;
inline constexpr UINT ID_VIEW_STATUS_BAR = 0xE801;
inline constexpr UINT AFX_IDW_TOOLBAR = 0xE800;
inline constexpr UINT AFX_IDW_STATUS_BAR = 0xE801;

inline constexpr UINT AFX_IDS_APP_TITLE = 0xE000;
inline constexpr UINT AFX_IDS_IDLEMESSAGE = 0xE001;
inline constexpr UINT AFX_IDS_PREVIEW_CLOSE = 0xF005;

// Messages of a print job that failed; %1 is the output file. IDP_PRINT_CANNOT_WRITE's %2 is
// one of the reasons after it.
inline constexpr UINT IDP_PRINT_TARGET_IS_PAGE = 0xF110;
inline constexpr UINT IDP_PRINT_TARGET_NOT_FILE = 0xF111;
inline constexpr UINT IDP_PRINT_NO_SPACE = 0xF112;
inline constexpr UINT IDP_PRINT_CANNOT_WRITE = 0xF113;
inline constexpr UINT IDP_PRINT_NO_PERMISSION = 0xF114;
inline constexpr UINT IDP_PRINT_READ_ONLY = 0xF115;
inline constexpr UINT IDP_PRINT_NO_FOLDER = 0xF116;
inline constexpr UINT IDP_PRINT_WRITE_ERROR = 0xF117;
inline constexpr UINT IDP_PRINT_NO_MEMORY = 0xF118;
inline constexpr UINT IDP_PRINT_PRINTER_ERROR = 0xF119;
inline constexpr UINT IDP_PREVIEW_NO_MEMORY = 0xF11A;

// The buttons of the print preview's tool bar, with their mnemonics, and its zoom figure (%1
// is the paper's shown size in per cent of its real size).
inline constexpr UINT IDS_PREVIEW_PRINT = 0xF120;
inline constexpr UINT IDS_PREVIEW_ZOOM_IN = 0xF121;
inline constexpr UINT IDS_PREVIEW_ZOOM_OUT = 0xF122;
inline constexpr UINT IDS_PREVIEW_CLOSE = 0xF123;
inline constexpr UINT IDS_PREVIEW_ZOOM = 0xF124;

// Strings of the framework's own menus and dialogs, which the program's resources define as
// they define every other string.
inline constexpr UINT AFX_IDS_SCNEXTWINDOW = 0xEF04;   // prompt of the system menu's next window
inline constexpr UINT AFX_IDS_MDICHILD = 0xEF1F;       // prompt of a window-list entry
inline constexpr UINT AFX_IDS_DROP_FILES = 0xF140;     // patterns of the files a drop opens, ';'
inline constexpr UINT AFX_IDS_NEXT_WINDOW = 0xF141;    // the system menu's next-window item
inline constexpr UINT AFX_IDS_MORE_WINDOWS = 0xF142;   // the window popup's item after nine,
                                                       // its text, a newline, its prompt
inline constexpr UINT AFX_IDS_SELECT_WINDOW = 0xF143;  // its dialog's title, a newline, the
                                                       // label of the list
inline constexpr UINT AFX_IDS_PRINTER = 0xF150;        // print set-up: the printer group
inline constexpr UINT AFX_IDS_PRINTER_NAME = 0xF151;
inline constexpr UINT AFX_IDS_PAPER = 0xF152;
inline constexpr UINT AFX_IDS_PAPER_SIZE = 0xF153;
inline constexpr UINT AFX_IDS_ORIENTATION = 0xF154;
inline constexpr UINT AFX_IDS_PORTRAIT = 0xF155;
inline constexpr UINT AFX_IDS_LANDSCAPE = 0xF156;

// The OK and Cancel push-button commands of a dialog.
inline constexpr UINT kIdOkCommand = 1;
inline constexpr UINT kIdCancelCommand = 2;
