#pragma once

#include <functional>

#include "platform/framework/CommandIds.h"

class CCmdTarget;

// The enabled and checked state of one command's menu item, button or accelerator, filled
// in while the command's update query is routed.
class CCmdUI {
 public:
  explicit CCmdUI(UINT id) : m_nID(id) {}
  void Enable(bool on = true) { enabled_ = on; }
  void SetCheck(int check = 1) { checked_ = check != 0; }

  UINT m_nID;
  bool enabled() const { return enabled_; }
  bool checked() const { return checked_; }

 private:
  bool enabled_ = false;
  bool checked_ = false;
};

// How a message-table entry is called.
enum class AfxSig : unsigned char { kEnd, kCommand, kUpdateCommandUi, kKey, kCreate };

struct AFX_MSGMAP_ENTRY {
  UINT message;  // WM_COMMAND for commands and update queries, otherwise the window message
  UINT id;       // first command id of the entry (0 for window messages)
  UINT lastId;   // last command id of the entry
  AfxSig sig;
  void (*command)(CCmdTarget&, UINT id) = nullptr;
  void (*update)(CCmdTarget&, CCmdUI&) = nullptr;
  void (*key)(CCmdTarget&, UINT nChar, UINT nRepCnt, UINT nFlags) = nullptr;
  int (*create)(CCmdTarget&) = nullptr;
};

// A class's message table: its entries, ended by an AfxSig::kEnd entry, and its base class's.
struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* lpEntries;
};

// The root of command routing. Each class has a static message table that names its base
// class's table; a command is offered to a chain of targets and the first handler wins.
class CCmdTarget {
 public:
  enum Code { CN_COMMAND, CN_UPDATE_COMMAND_UI };

  CCmdTarget() = default;
  virtual ~CCmdTarget() = default;
  CCmdTarget(const CCmdTarget&) = delete;
  CCmdTarget& operator=(const CCmdTarget&) = delete;

  // Offers a command (CN_COMMAND, ui null) or its update query (CN_UPDATE_COMMAND_UI) to this
  // target and those it routes to. True when some handler took it. An update query is taken
  // by an update handler or, failing one, by a command handler, which enables the command.
  virtual bool OnCmdMsg(UINT id, Code code, CCmdUI* ui);

  // Runs the handler for a window message (WM_CHAR, WM_KEYDOWN with its three arguments, or
  // WM_CREATE) from this object's tables; false when none is bound. `result` receives the
  // handler's return value for WM_CREATE.
  bool DispatchWindowMessage(UINT message, UINT wParam = 0, UINT repeat = 0, UINT flags = 0,
                             int* result = nullptr);

 protected:
  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;

  // Looks for a command or update entry for `id` in this object's own tables only.
  bool DispatchCommandHere(UINT id, Code code, CCmdUI* ui);

 private:
  const AFX_MSGMAP_ENTRY* FindEntry(UINT message, UINT id, AfxSig sig) const;
};

// Message-table macros. Handlers are named as pointers to members of the class or its bases.
#define DECLARE_MESSAGE_MAP()                   \
 protected:                                     \
  static const AFX_MSGMAP* GetThisMessageMap(); \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                      \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                                 \
    using ThisClass [[maybe_unused]] = theClass;                                    \
    using TheBaseClass = baseClass;                                                 \
    static const AFX_MSGMAP_ENTRY entries[] = {
#define END_MESSAGE_MAP()                                                 \
  { 0, 0, 0, AfxSig::kEnd }                                               \
  }                                                                       \
  ;                                                                       \
  static const AFX_MSGMAP map{&TheBaseClass::GetThisMessageMap, entries}; \
  return &map;                                                            \
  }

#define ON_COMMAND(id, memberFn)             \
  {WM_COMMAND, (id), (id), AfxSig::kCommand, \
   [](CCmdTarget& target, UINT) { std::invoke(memberFn, static_cast<ThisClass&>(target)); }},
#define ON_COMMAND_RANGE(id, lastId, memberFn)                                      \
  {WM_COMMAND, (id), (lastId), AfxSig::kCommand, [](CCmdTarget& target, UINT nID) { \
     std::invoke(memberFn, static_cast<ThisClass&>(target), nID);                   \
   }},
#define ON_UPDATE_COMMAND_UI(id, memberFn)                                                         \
  {WM_COMMAND, (id), (id), AfxSig::kUpdateCommandUi, nullptr, [](CCmdTarget& target, CCmdUI& ui) { \
     std::invoke(memberFn, static_cast<ThisClass&>(target), &ui);                                  \
   }},
#define ON_UPDATE_COMMAND_UI_RANGE(id, lastId, memberFn)          \
  {WM_COMMAND,                                                    \
   (id),                                                          \
   (lastId),                                                      \
   AfxSig::kUpdateCommandUi,                                      \
   nullptr,                                                       \
   [](CCmdTarget& target, CCmdUI& ui) {                           \
     std::invoke(memberFn, static_cast<ThisClass&>(target), &ui); \
   }},
#define AFX_KEY_ENTRY(message, memberFn)                               \
  {(message),                                                          \
   0,                                                                  \
   0,                                                                  \
   AfxSig::kKey,                                                       \
   nullptr,                                                            \
   nullptr,                                                            \
   [](CCmdTarget& target, UINT nChar, UINT nRepCnt, UINT nFlags) {     \
     static_cast<ThisClass&>(target).memberFn(nChar, nRepCnt, nFlags); \
   }},
#define ON_WM_KEYDOWN() AFX_KEY_ENTRY(WM_KEYDOWN, OnKeyDown)
#define ON_WM_CHAR() AFX_KEY_ENTRY(WM_CHAR, OnChar)
#define ON_WM_CREATE()         \
  {WM_CREATE, 0,               \
   0,         AfxSig::kCreate, \
   nullptr,   nullptr,         \
   nullptr,   [](CCmdTarget& target) { return static_cast<ThisClass&>(target).OnCreate(nullptr); }},
