#include "unit_registration.h"

#include "event_worker.h"
#include "unit_index.h"

namespace halvik::io {

LONG RegisterWindow(const rows::Row& row, short id, short unit, int slot, HWND window, LONG mask) {
  const LONG status = rows::Run(row, id, {unit, WindowValue(window), mask});
  if (status == 0) {
    DeviceRecord& r = DeviceTable()[RecordIndexOf(id)];
    store(r.NotifyWindow[slot], window);
    store(r.NotifyKind[slot], int16_t{0});
  }
  return status;
}

LONG RegisterCallback(const rows::Row& row, short id, short unit, int slot, XanCallBack proc, LONG mask,
                      void* param) {
  const LONG status = rows::Run(row, id, {unit, mask});
  if (status == 0) {
    DeviceRecord& r = DeviceTable()[RecordIndexOf(id)];
    store(r.CallbackProc[slot], proc);
    store(r.CallbackParam[slot], param);
    store(r.NotifyKind[slot], int16_t{1});
  }
  return status;
}

}  // namespace halvik::io
