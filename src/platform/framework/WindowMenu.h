#pragma once

class CMDIFrameWnd;
class QMenu;

// The window list at the end of the window popup: the first nine document windows as
// "&1 title" to "&9 title", the active one checked, each with the prompt AFX_IDS_MDICHILD; with
// more windows, the item AFX_IDS_MORE_WINDOWS, which lists them all in a dialog. Choosing a
// window activates it.
void AppendWindowList(QMenu& menu, CMDIFrameWnd& frame);
