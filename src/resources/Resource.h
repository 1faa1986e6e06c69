#pragma once

#include "platform/framework/CommandIds.h"

// The program's own resource numbers.
inline constexpr UINT IDR_MAINFRAME = 128;  // frame menu, accelerators, toolbar, icon, title
inline constexpr UINT IDR_PAGETYPE = 130;   // page-window menu, icon, document-template string
inline constexpr UINT IDD_ABOUTBOX = 100;
inline constexpr UINT IDP_OLE_INIT_FAILED = 100;  // string shown when OLE cannot start

// Controls of dialogs.
inline constexpr UINT IDC_STATIC = 0xFFFF;  // static controls carry no id of their own
