// The window thread's two message queues as one: Qt's events run inside the
// platform layer's pumps (so the processing library's waits keep the form
// alive), and DoEvents empties both.
#pragma once

namespace orvane::forms {

// Lets the platform pumps of the calling thread run Qt's events; undone
// when the guard ends.
class QtPumpHook {
 public:
  QtPumpHook();
  ~QtPumpHook();
  QtPumpHook(const QtPumpHook&) = delete;
  QtPumpHook& operator=(const QtPumpHook&) = delete;
};

// Dispatches every waiting platform message and Qt event.
void DoEvents();

}  // namespace orvane::forms
