#include "platform/framework/ResourceTypes.h"
#include "resources/Resource.h"
#include "resources/Version.h"

namespace {

using enum DialogItemKind;

constexpr DialogItem kAboutItems[] = {
    {kIcon, IDC_STATIC, 14, 14, 21, 20, nullptr, IDR_MAINFRAME},
    {kStaticText, IDC_STATIC, 42, 14, 114, 8, L"PLIMDisp，版本 " PLIMDISP_SHORT_VERSION, 0},
    {kStaticText, IDC_STATIC, 42, 26, 114, 8, L"多行页面图像查看器。", 0},
    {kDefaultPushButton, kIdOkCommand, 113, 41, 50, 14, L"确定", 0},
};

constexpr DialogResource kDialogs[] = {
    {IDD_ABOUTBOX, 170, 62, L"关于 PLIMDisp", L"MS Shell Dlg", 9, kAboutItems},
};

}  // namespace

const DialogResource* FindDialogResource(UINT id) {
  return FindResourceById<DialogResource>(kDialogs, id);
}
