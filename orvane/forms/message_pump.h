// The window thread's two message queues as one: Qt's events run inside the
// platform layer's pumps (so the processing library's waits keep the form
// alive), and DoEvents empties both.
#pragma once
#include <windef.h>

#include <QElapsedTimer>

namespace orvane::forms {

// Lets the platform pumps of the calling thread run Qt's events; undone
// when the guard ends. A library that pumps on every pass of a loop (the
// block reader does, about once a millisecond) runs them a few times per
// screen frame, not at every pass: each run polls every event source.
class QtPumpHook {
 public:
  QtPumpHook();
  ~QtPumpHook();
  QtPumpHook(const QtPumpHook&) = delete;
  QtPumpHook& operator=(const QtPumpHook&) = delete;

 private:
  static void CALLBACK Run(void* self);
  QElapsedTimer lastRun_;
};

// Dispatches every waiting platform message and Qt event.
void DoEvents();

}  // namespace orvane::forms
