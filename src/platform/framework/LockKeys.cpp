#include "platform/framework/LockKeys.h"

#ifdef PLIMDISP_HAVE_X11
#include <QGuiApplication>

// The X11 headers define macros (Bool, Status) that Qt headers must not see, so they come last.
#include <X11/XKBlib.h>
#endif

bool WindowSystemLockKeyOn(UINT indicatorId) {
#ifdef PLIMDISP_HAVE_X11
  const char* name = indicatorId == ID_INDICATOR_CAPS   ? "Caps Lock"
                     : indicatorId == ID_INDICATOR_NUM  ? "Num Lock"
                     : indicatorId == ID_INDICATOR_SCRL ? "Scroll Lock"
                                                        : nullptr;
  auto* x11 =
      qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (name == nullptr || x11 == nullptr || x11->display() == nullptr) return false;
  Display* display = x11->display();
  const Atom atom = XInternAtom(display, name, True);
  Bool on = False;
  if (atom == None || !XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr)) {
    return false;
  }
  return on == True;
#else
  (void)indicatorId;
  return false;
#endif
}
