// TEMPORARY (deleted at the merge): minimal stand-ins for the frame share's
// transport and export frame, so that this branch builds and its tests run.
#include <cstdarg>
#include <cstdio>

#include "export_frame.h"
#include "library_state.h"
#include "trace_log.h"
#include "transport.h"

namespace halvik {

namespace {

HANDLE WINAPI openStubVm(DWORD, const char*, const char*) { return INVALID_HANDLE_VALUE; }
HANDLE WINAPI openStubK(DWORD, const char*, WORD) { return INVALID_HANDLE_VALUE; }
HANDLE WINAPI openStubKEx(DWORD, const char*, WORD, LONG) { return INVALID_HANDLE_VALUE; }
HANDLE WINAPI openStubKEx2(DWORD, DWORD, DWORD) { return INVALID_HANDLE_VALUE; }
DWORD WINAPI closeStub(DWORD, HANDLE) { return kStatusDriverCall; }
DWORD WINAPI ioStub(DWORD, HANDLE, DWORD, void*, DWORD, void*, DWORD, DWORD*, OVERLAPPED*) {
  return kStatusDriverCall;
}
DWORD WINAPI transferStub(DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD) {
  return kStatusDriverCall;
}
DWORD WINAPI firmStub(DWORD, DWORD, DWORD, DWORD) { return kStatusDriverCall; }
DWORD WINAPI infoStub(DWORD, HANDLE, DWORD, DWORD*, WORD*, void*) { return kStatusDriverCall; }

}  // namespace

BusEntries& Bus() {
  static BusEntries entries{openStubVm, closeStub, ioStub, openStubK, openStubKEx, openStubKEx2,
                            closeStub,  ioStub,    transferStub, firmStub, infoStub};
  return entries;
}
bool BusLibraryFound() { return false; }
void BindBusLibrary() {}
void BindVirtualDeviceLibrary() {}

Road RoadOf(const DeviceRecord& record) {
  if (record.BusKind == kBusVirtual) return Road::Virtual;
  if (record.BusKind == kBusAttached) return Road::Attached;
  return Road::Kernel;
}

LONG SendKernel(const DeviceRecord& record, DWORD code, void* block, DWORD size, std::size_t statusOffset) {
  DWORD bytes = 0;
  if (!DeviceIoControl(record.Handle, code, block, size, block, size, &bytes, nullptr)) return kStatusDriverCall;
  int32_t status = 0;
  std::memcpy(&status, static_cast<unsigned char*>(block) + statusOffset, sizeof status);
  return status;
}

LONG SendCommand(const DeviceRecord& record, WORD command, void* bytes, DWORD size, bool callFailure10002) {
  DWORD returned = 0;
  halvikdrv::BusIoControlProc io = record.BusKind == kBusVirtual ? Bus().HalvikVmIoControl : Bus().KelbusIoControl;
  DWORD rc = io(static_cast<DWORD>(record.BusKind), record.Handle, command, bytes, size, bytes, size, &returned,
                nullptr);
  if (rc != 0) return callFailure10002 ? kStatusDriverCall : static_cast<LONG>(rc);
  int32_t status = 0;
  std::memcpy(&status, bytes, sizeof status);
  return status;
}

LONG CheckMultiProcess(uint16_t index) {
  DeviceRecord& record = DeviceTable()[index];
  halvikdrv::WireRecord<halvikdrv::kOwnershipRecordSize> r;
  r.put<int32_t>(4, static_cast<int32_t>(Library().processId));
  if (RoadOf(record) == Road::Kernel) return SendKernel(record, halvikdrv::kOwnership, r.data(), r.size(), 0);
  return SendCommand(record, halvikdrv::kCmdOwnership, r.data(), r.size());
}

ExportFrame::ExportFrame(const char* name, Spacing spacing) : name_(name), spacing_(spacing) {}

void ExportFrame::start(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  WriteDebugLog("%s Start :%s\r\n", name_, text);
}

bool ExportFrame::find(int32_t id) {
  if (FindDeviceById(id, &index_)) return true;
  end(kStatusNoDevice);
  return false;
}

DeviceRecord& ExportFrame::record() const { return DeviceTable()[index_]; }

LONG ExportFrame::ownership() const { return CheckMultiProcess(index_); }

LONG ExportFrame::end(LONG status) const {
  WriteDebugLog("%s End :Ret=%d\r\n", name_, static_cast<int>(status));
  return status;
}

LONG ExportFrame::endWith(const char* format, ...) const {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  WriteDebugLog("%s End :Ret=0, %s\r\n", name_, text);
  return 0;
}

}  // namespace halvik
