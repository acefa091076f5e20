#include "message_pump.h"

#include <winuser.h>

#include <QCoreApplication>

namespace orvane::forms {
namespace {

// Input waits at most this long for a library's pump; DoEvents runs Qt's
// events in any case.
constexpr qint64 kQtEventsEveryMs = 4;

}  // namespace

QtPumpHook::QtPumpHook() { PlatSetMessagePumpHook(&QtPumpHook::Run, this); }
QtPumpHook::~QtPumpHook() { PlatSetMessagePumpHook(nullptr, nullptr); }

void CALLBACK QtPumpHook::Run(void* self) {
  QElapsedTimer& last = static_cast<QtPumpHook*>(self)->lastRun_;
  if (last.isValid() && last.elapsed() < kQtEventsEveryMs) return;
  last.start();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

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
