#include "platform/framework/ResourceTypes.h"
#include "resources/Resource.h"

namespace {

using enum MenuItemKind;
constexpr MenuItem kSeparatorItem{kSeparator, nullptr, ID_SEPARATOR};

constexpr MenuItem kFrameFile[] = {
    {kCommand, L"新建(&N)\tCtrl+N", ID_FILE_NEW},
    {kCommand, L"打开(&O)...\tCtrl+O", ID_FILE_OPEN},
    {kCommand, L"关闭(&C)", ID_FILE_CLOSE},
    kSeparatorItem,
    {kCommand, L"打印设置(&R)...", ID_FILE_PRINT_SETUP},
    kSeparatorItem,
    {kGrayed, L"最近的文件", ID_FILE_MRU_FILE1},
    kSeparatorItem,
    {kCommand, L"退出(&X)", ID_APP_EXIT},
};

constexpr MenuItem kPageFile[] = {
    {kCommand, L"新建(&N)\tCtrl+N", ID_FILE_NEW},
    {kCommand, L"打开(&O)...\tCtrl+O", ID_FILE_OPEN},
    {kCommand, L"关闭(&C)", ID_FILE_CLOSE},
    {kCommand, L"保存(&S)\tCtrl+S", ID_FILE_SAVE},
    {kCommand, L"另存为(&A)...", ID_FILE_SAVE_AS},
    kSeparatorItem,
    {kCommand, L"打印(&P)...\tCtrl+P", ID_FILE_PRINT},
    {kCommand, L"打印预览(&V)", ID_FILE_PRINT_PREVIEW},
    {kCommand, L"打印设置(&R)...", ID_FILE_PRINT_SETUP},
    kSeparatorItem,
    {kGrayed, L"最近的文件", ID_FILE_MRU_FILE1},
    kSeparatorItem,
    {kCommand, L"退出(&X)", ID_APP_EXIT},
};

constexpr MenuItem kPageEdit[] = {
    {kCommand, L"撤消(&U)\tCtrl+Z", ID_EDIT_UNDO},  kSeparatorItem,
    {kCommand, L"剪切(&T)\tCtrl+X", ID_EDIT_CUT},   {kCommand, L"复制(&C)\tCtrl+C", ID_EDIT_COPY},
    {kCommand, L"粘贴(&P)\tCtrl+V", ID_EDIT_PASTE},
};

constexpr MenuItem kView[] = {
    {kCommand, L"工具栏(&T)", ID_VIEW_TOOLBAR},
    {kCommand, L"状态栏(&S)", ID_VIEW_STATUS_BAR},
};

constexpr MenuItem kPageWindow[] = {
    {kCommand, L"新建窗口(&N)", ID_WINDOW_NEW},
    {kCommand, L"层叠(&C)", ID_WINDOW_CASCADE},
    {kCommand, L"平铺(&T)", ID_WINDOW_TILE_HORZ},
    {kCommand, L"排列图标(&A)", ID_WINDOW_ARRANGE},
};

constexpr MenuItem kHelp[] = {
    {kCommand, L"关于 PLIMDisp(&A)...", ID_APP_ABOUT},
};

constexpr MenuPopup kFramePopups[] = {
    {L"文件(&F)", kFrameFile},
    {L"视图(&V)", kView},
    {L"帮助(&H)", kHelp},
};

constexpr MenuPopup kPagePopups[] = {
    {L"文件(&F)", kPageFile},   {L"编辑(&E)", kPageEdit}, {L"视图(&V)", kView},
    {L"窗口(&W)", kPageWindow}, {L"帮助(&H)", kHelp},
};

constexpr MenuResource kMenus[] = {
    {IDR_MAINFRAME, kFramePopups},
    {IDR_PAGETYPE, kPagePopups},
};

}  // namespace

const MenuResource* FindMenuResource(UINT id) { return FindResourceById<MenuResource>(kMenus, id); }
