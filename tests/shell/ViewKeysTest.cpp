#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <string>
#include <vector>

#include "platform/PlatformUiScript.h"
#include "platform/framework/CView.h"

namespace {

// Records the key messages its table receives.
class KeyView : public CView {
 public:
  void OnKeyDown(UINT, UINT repeat, UINT) { calls.push_back("down x" + std::to_string(repeat)); }
  void OnChar(UINT character, UINT, UINT) {
    calls.push_back("char " + std::string(1, static_cast<char>(character)));
  }
  std::vector<std::string> calls;
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(KeyView, CView)
ON_WM_KEYDOWN()
ON_WM_CHAR()
END_MESSAGE_MAP()

TEST(ViewKeysTest, EachPressGivesKeyDownThenOneCharPerCharacter) {
  TestApplication();
  struct Case {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* text;
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      {Qt::Key_Plus, Qt::NoModifier, "+", {"down x1", "char +"}},
      {Qt::Key_Plus, Qt::KeypadModifier, "+", {"down x1", "char +"}},  // the character decides
      {Qt::Key_Minus, Qt::NoModifier, "-", {"down x1", "char -"}},
      {Qt::Key_Left, Qt::NoModifier, "", {"down x1"}},  // no character
      {Qt::Key_A, Qt::NoModifier, "ab", {"down x1", "char a", "char b"}},
      {Qt::Key_Plus, Qt::ShiftModifier, "+", {"down x1", "char +"}},
      // Alt and Ctrl combinations are menu keys and commands, never characters.
      {Qt::Key_Minus, Qt::AltModifier, "-", {"down x1"}},
      {Qt::Key_Plus, Qt::ControlModifier, "+", {"down x1"}},
  };
  for (const Case& c : cases) {
    KeyView view;
    QKeyEvent press(QEvent::KeyPress, c.key, c.modifiers, QString::fromLatin1(c.text));
    QCoreApplication::sendEvent(&view, &press);
    EXPECT_EQ(view.calls, c.calls) << c.text;
  }
}

}  // namespace
