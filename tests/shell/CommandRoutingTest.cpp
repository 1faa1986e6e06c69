#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/framework/CCmdTarget.h"

namespace {

std::vector<std::string> g_calls;

class BaseTarget : public CCmdTarget {
 public:
  void OnNew() { g_calls.push_back("base new"); }
  void OnOpen() { g_calls.push_back("base open"); }
  void OnChar(UINT c, UINT, UINT) { g_calls.push_back("base char " + std::to_string(c)); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseTarget, CCmdTarget)
ON_COMMAND(ID_FILE_NEW, &BaseTarget::OnNew)
ON_COMMAND(ID_FILE_OPEN, &BaseTarget::OnOpen)
ON_WM_CHAR()
END_MESSAGE_MAP()

class DerivedTarget : public BaseTarget {
 public:
  void OnOpenHere() { g_calls.push_back("derived open"); }
  void OnRecent(UINT id) { g_calls.push_back("recent " + std::to_string(id - ID_FILE_MRU_FILE1)); }
  void OnUpdateSave(CCmdUI* ui) {
    ui->Enable(saveEnabled);
    ui->SetCheck(1);
  }
  int OnCreate(void*) { return -1; }
  void OnKeyDown(UINT key, UINT repeat, UINT) {
    g_calls.push_back("key " + std::to_string(key) + "x" + std::to_string(repeat));
  }
  bool saveEnabled = false;
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedTarget, BaseTarget)
ON_COMMAND(ID_FILE_OPEN, &DerivedTarget::OnOpenHere)
ON_COMMAND_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_LAST, &DerivedTarget::OnRecent)
ON_UPDATE_COMMAND_UI(ID_FILE_SAVE, &DerivedTarget::OnUpdateSave)
ON_WM_KEYDOWN()
ON_WM_CREATE()
END_MESSAGE_MAP()

struct CommandCase {
  UINT id;
  bool handled;
  const char* call;  // nullptr: nothing runs
};

TEST(CommandRoutingTest, CommandsFindTheirHandlerThroughTheTableChain) {
  const CommandCase cases[] = {
      {ID_FILE_NEW, true, "base new"},            // only the base table binds it
      {ID_FILE_OPEN, true, "derived open"},       // the derived table is searched first
      {ID_FILE_MRU_FILE1 + 3, true, "recent 3"},  // ranges pass the id on
      {ID_FILE_MRU_LAST, true, "recent 15"},      // both ends of a range belong to it
      {ID_FILE_SAVE, false, nullptr},             // an update handler alone runs nothing
      {ID_EDIT_COPY, false, nullptr},             // unbound
  };
  DerivedTarget target;
  for (const CommandCase& c : cases) {
    g_calls.clear();
    EXPECT_EQ(target.OnCmdMsg(c.id, CCmdTarget::CN_COMMAND, nullptr), c.handled) << c.id;
    if (c.call != nullptr) {
      EXPECT_EQ(g_calls, std::vector<std::string>{c.call}) << c.id;
    } else {
      EXPECT_TRUE(g_calls.empty()) << c.id;
    }
  }
}

TEST(CommandRoutingTest, UpdateQueriesEnableHandledCommandsAndAskUpdateHandlers) {
  struct UpdateCase {
    UINT id;
    bool saveEnabled;
    bool taken;
    bool enabled;
    bool checked;
  };
  const UpdateCase cases[] = {
      {ID_FILE_NEW, false, true, true, false},   // a command handler enables it
      {ID_FILE_SAVE, false, true, false, true},  // the update handler decides
      {ID_FILE_SAVE, true, true, true, true},
      {ID_EDIT_CUT, false, false, false, false},  // nobody: stays disabled
  };
  for (const UpdateCase& c : cases) {
    DerivedTarget target;
    target.saveEnabled = c.saveEnabled;
    CCmdUI ui(c.id);
    EXPECT_EQ(target.OnCmdMsg(c.id, CCmdTarget::CN_UPDATE_COMMAND_UI, &ui), c.taken) << c.id;
    EXPECT_EQ(ui.enabled(), c.enabled) << c.id;
    EXPECT_EQ(ui.checked(), c.checked) << c.id;
  }
}

TEST(CommandRoutingTest, WindowMessagesReachTheirHandlers) {
  DerivedTarget derived;
  BaseTarget base;
  g_calls.clear();
  EXPECT_TRUE(derived.DispatchWindowMessage(WM_KEYDOWN, 0x41, 2, 0));
  EXPECT_TRUE(derived.DispatchWindowMessage(WM_CHAR, '+', 1, 0));  // inherited entry
  EXPECT_FALSE(base.DispatchWindowMessage(WM_KEYDOWN, 0x41, 1, 0));
  EXPECT_EQ(g_calls, (std::vector<std::string>{"key 65x2", "base char 43"}));

  int created = 0;
  EXPECT_TRUE(derived.DispatchWindowMessage(WM_CREATE, 0, 0, 0, &created));
  EXPECT_EQ(created, -1);
  EXPECT_FALSE(base.DispatchWindowMessage(WM_CREATE, 0, 0, 0, &created));
}

}  // namespace
