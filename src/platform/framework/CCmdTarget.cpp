#include "platform/framework/CCmdTarget.h"

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, AfxSig::kEnd}};
  static const AFX_MSGMAP map{nullptr, entries};
  return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP_ENTRY* CCmdTarget::FindEntry(UINT message, UINT id, AfxSig sig) const {
  for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
       map = map->pfnGetBaseMap != nullptr ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->sig != AfxSig::kEnd; ++entry) {
      if (entry->message == message && entry->sig == sig && id >= entry->id &&
          id <= entry->lastId) {
        return entry;
      }
    }
  }
  return nullptr;
}

bool CCmdTarget::DispatchCommandHere(UINT id, Code code, CCmdUI* ui) {
  if (code == CN_UPDATE_COMMAND_UI) {
    if (ui == nullptr) return false;
    if (const AFX_MSGMAP_ENTRY* entry = FindEntry(WM_COMMAND, id, AfxSig::kUpdateCommandUi)) {
      entry->update(*this, *ui);
      return true;
    }
    if (FindEntry(WM_COMMAND, id, AfxSig::kCommand) != nullptr) {
      ui->Enable(true);
      return true;
    }
    return false;
  }
  if (const AFX_MSGMAP_ENTRY* entry = FindEntry(WM_COMMAND, id, AfxSig::kCommand)) {
    entry->command(*this, id);
    return true;
  }
  return false;
}

bool CCmdTarget::OnCmdMsg(UINT id, Code code, CCmdUI* ui) {
  return DispatchCommandHere(id, code, ui);
}

bool CCmdTarget::DispatchWindowMessage(UINT message, UINT wParam, UINT repeat, UINT flags,
                                       int* result) {
  if (message == WM_CREATE) {
    const AFX_MSGMAP_ENTRY* entry = FindEntry(message, 0, AfxSig::kCreate);
    if (entry == nullptr) return false;
    const int value = entry->create(*this);
    if (result != nullptr) *result = value;
    return true;
  }
  const AFX_MSGMAP_ENTRY* entry = FindEntry(message, 0, AfxSig::kKey);
  if (entry == nullptr) return false;
  entry->key(*this, wParam, repeat, flags);
  return true;
}
