#include "ui/lock_indicators.h"

#ifdef RUVO_HAVE_X11
// Qt first: the X11 headers define macros (None, Bool, Status) that Qt's headers also use as names.
#include <QtGui/qguiapplication_platform.h>

#include <QGuiApplication>
// clang-format off
#include <X11/Xlib.h>
#include <X11/XKBlib.h>
// clang-format on
#endif

namespace ruvo {

#ifdef RUVO_HAVE_X11
namespace {

// The state of the indicator called name, nullopt when the keyboard has none of that name.
std::optional<bool> NamedIndicator(Display* display, const char* name) {
  const Atom atom = XInternAtom(display, name, True);
  Bool on = False;
  if (atom == None || !XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr)) return std::nullopt;
  return on != False;
}

}  // namespace

LockStates ReadLockStates() {
  const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  Display* display = x11 ? x11->display() : nullptr;
  if (!display) return {};
  return {NamedIndicator(display, "Caps Lock"), NamedIndicator(display, "Num Lock"),
          NamedIndicator(display, "Scroll Lock")};
}
#else
LockStates ReadLockStates() {
  return {};
}
#endif

}  // namespace ruvo
