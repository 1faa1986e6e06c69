#include "platform/framework/AcceleratorKeys.h"

namespace {

struct VirtualKeyName {
  std::uint16_t virtualKey;
  Qt::Key key;
};

constexpr VirtualKeyName kVirtualKeys[] = {
    {VK_BACK, Qt::Key_Backspace},
    {VK_INSERT, Qt::Key_Insert},
    {VK_DELETE, Qt::Key_Delete},
    {VK_F6, Qt::Key_F6},
};

Qt::Key QtKeyOf(std::uint16_t virtualKey) {
  if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9')) {
    return static_cast<Qt::Key>(virtualKey);  // Qt numbers these keys by their characters too
  }
  for (const VirtualKeyName& entry : kVirtualKeys) {
    if (entry.virtualKey == virtualKey) return entry.key;
  }
  return Qt::Key_unknown;
}

}  // namespace

QKeySequence KeySequenceOf(const ACCEL& accel) {
  const Qt::Key key = QtKeyOf(accel.key);
  if (key == Qt::Key_unknown || (accel.fVirt & FVIRTKEY) == 0) return {};
  Qt::KeyboardModifiers modifiers;
  if (accel.fVirt & FCONTROL) modifiers |= Qt::ControlModifier;
  if (accel.fVirt & FSHIFT) modifiers |= Qt::ShiftModifier;
  if (accel.fVirt & FALT) modifiers |= Qt::AltModifier;
  return QKeySequence(QKeyCombination(modifiers, key));
}
