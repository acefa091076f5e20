// Where a device's input events go: a window's message queue or a callback.
#include <windows.h>
#include <outside/halvikdrv.h>

#include "ai_event_thread.h"
#include "ai_wire.h"
#include "export_frame.h"
#include "halvik.h"
#include "setting_rows.h"
#include "transport.h"

namespace halvik::airun {
namespace {

namespace drv = halvikdrv;

// The driver learns the mask (and, by message, the window); 0 or its status.
LONG sendMask(const DeviceRecord& r, DWORD code, WORD cmd, LONG mask, HWND window) {
  if (RoadOf(r) == Road::Kernel) {
    drv::AiBlock b;
    b.put<int32_t>(drv::ai::kEventMask, mask);
    b.put<int32_t>(drv::ai::kWindow, static_cast<int32_t>(reinterpret_cast<intptr_t>(window)));
    b.put<int16_t>(drv::ai::kGetFlag, 0);
    return SendKernel(r, code, b.data(), b.size(), drv::ai::kStatus);
  }
  drv::WireRecord<kMaskSize> c;
  c.put<int32_t>(kMask, mask);
  c.put<int16_t>(kMaskGetFlag, 0);
  return SendCommand(r, cmd, c.data(), c.size());
}

using namespace rows;

// The mask as the driver holds it; the window is the library's own record.
constexpr Row kGetAiEvent{
    .name = "XanGetAiEvent",
    .args = {{Kind::InAddress}, {Kind::OutI32}},
    .checks = {null(1, 11390)},
    .kernel = kernel(drv::kAiEvent, kAiFamily, 1, {}, {get32(drv::ai::kEventMask, 1)}),
    .virtualDevice = command(drv::kCmdAiEvent, kMaskSize, {const16(kMaskGetFlag, 1)}, {get32(kMask, 1)})};

}  // namespace
}  // namespace halvik::airun

using namespace halvik;
using namespace halvik::airun;

DLL_EXPORT LONG WINAPI XanSetAiEvent(short Id, HWND hWnd, LONG AiEvent) {
  ExportFrame frame("XanSetAiEvent");
  frame.start("Id=%d, hWnd=%xH, AiEvent=%xH", Id, static_cast<unsigned>(reinterpret_cast<uintptr_t>(hWnd)),
              static_cast<unsigned>(AiEvent));
  if (!frame.find(Id)) return kStatusNoDevice;
  if (LONG owner = frame.ownership(); owner != 0) return owner;
  DeviceRecord& r = frame.record();
  LONG status = sendMask(r, halvikdrv::kAiEvent, halvikdrv::kCmdAiEvent, AiEvent, hWnd);
  if (status != 0) return frame.end(status);
  store(r.NotifyWindow[kSlotAi], hWnd);
  store(r.NotifyKind[kSlotAi], int16_t{0});
  return frame.end(0);
}

DLL_EXPORT LONG WINAPI XanGetAiEvent(short Id, HWND* hWnd, LONG* AiEvent) {
  ExportFrame frame(kGetAiEvent.name);
  if (LONG status = rows::Front(frame, kGetAiEvent, Id, {hWnd, AiEvent}); status != 0) return status;
  if (LONG status = rows::Send(frame, kGetAiEvent, {hWnd, AiEvent}); status != 0) return status;
  const HWND window = load(frame.record().NotifyWindow[kSlotAi]);
  if (hWnd != nullptr) *hWnd = window;
  return frame.endWith("*hWnd=%xH, *AiEvent=%xH", static_cast<unsigned>(reinterpret_cast<uintptr_t>(window)),
                       static_cast<unsigned>(*AiEvent));
}

DLL_EXPORT LONG WINAPI XanSetAiCallBackProc(short Id, XanAiCallBack CallBack, LONG AiEvent, void* Param) {
  ExportFrame frame("XanSetAiCallBackProc");
  frame.start("Id=%d, AiEvent=%xH", Id, static_cast<unsigned>(AiEvent));
  if (!frame.find(Id)) return kStatusNoDevice;
  if (LONG owner = frame.ownership(); owner != 0) return owner;
  DeviceRecord& r = frame.record();
  LONG status = sendMask(r, halvikdrv::kAiCallBackEvent, halvikdrv::kCmdAiCallBackEvent, AiEvent, nullptr);
  if (status != 0) return frame.end(status);
  store(r.CallbackProc[kSlotAi], CallBack);
  store(r.CallbackParam[kSlotAi], Param);
  store(r.NotifyKind[kSlotAi], int16_t{1});
  return frame.end(0);
}
