#pragma once

#include <string>

// Wide text of the user interface: titles, captions, messages. Page labels stay byte strings
// in the page's code page until they are drawn.
using CString = std::wstring;
