#include "message_pump.h"

#include <winuser.h>

#include <QCoreApplication>

namespace orvane::forms {
namespace {

void CALLBACK RunQtEvents(void*) { QCoreApplication::processEvents(QEventLoop::AllEvents); }

}  // namespace

QtPumpHook::QtPumpHook() { PlatSetMessagePumpHook(&RunQtEvents, nullptr); }
QtPumpHook::~QtPumpHook() { PlatSetMessagePumpHook(nullptr, nullptr); }

void DoEvents() {
  MSG msg;
  // PeekMessageA runs the Qt events through the hook, or here when no hook
  // is set.
  int rounds = 0;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) && ++rounds < 10000) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace orvane::forms
