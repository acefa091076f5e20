// Raw input and output on a device's I/O space in 8, 16 or 32 bits, and the
// device's two I/O addresses. The six port exports are one request with
// their width and direction; they trace only a failed virtual-device call.
#include <windows.h>
#include <outside/halvikdrv.h>

#include "export_frame.h"
#include "halvik.h"
#include "setting_rows.h"
#include "transport.h"

namespace halvik {
namespace {

namespace drv = halvikdrv;

enum class Direction : int16_t { Output = 0, Input = 1 };

// The codes of one export: port below 0, data pointer NULL (input only),
// space above 1.
struct Codes {
  LONG port, data, space;
};

LONG portIo(short id, short space, short port, LONG* data, int16_t width, Direction direction, const Codes& codes) {
  uint16_t index = 0;
  if (FindDeviceById(id, &index) != 1) return kStatusNoDevice;
  if (port < 0) return codes.port;
  if (direction == Direction::Input && data == nullptr) return codes.data;
  if (static_cast<uint16_t>(space) > 1) return codes.space;
  if (LONG status = CheckMultiProcess(index)) return status;
  const DeviceRecord& record = DeviceTable()[index];
  const LONG value = direction == Direction::Output ? *data : 0;
  LONG result = 0;
  switch (RoadOf(record)) {
    case Road::Attached: return rows::kStatusNotOnThisDevice;
    case Road::Virtual: {
      drv::WireRecord<drv::rec::kPortSize> bytes;
      bytes.put<int32_t>(drv::rec::kPortData, value);
      bytes.put<int16_t>(drv::rec::kPortOffset, port);
      bytes.put<int16_t>(drv::rec::kPortDirection, static_cast<int16_t>(direction));
      bytes.put<int16_t>(drv::rec::kPortWidth, width);
      if (LONG status = SendCommand(record, drv::kCmdPortIo, bytes.data(), bytes.size())) {
        ExportFrame("XanInpByte").end(status);
        return status;
      }
      result = bytes.get<int32_t>(drv::rec::kPortData);
      break;
    }
    case Road::Kernel: {
      drv::DeviceBlock block;
      block.put<int32_t>(drv::dev::kPortData, value);
      block.put<int16_t>(drv::dev::kPortOffset, port);
      block.put<int16_t>(drv::dev::kPortDirection, static_cast<int16_t>(direction));
      block.put<int16_t>(drv::dev::kPortWidth, width);
      block.put<int16_t>(drv::dev::kPortSpace, space);
      if (LONG status = SendKernel(record, drv::kPortIo, block.data(), block.size(), drv::dev::kStatus)) return status;
      result = block.get<int32_t>(drv::dev::kPortData);
      break;
    }
  }
  if (direction == Direction::Input) *data = width == 1 ? (result & 0xFF) : result;
  return 0;
}

}  // namespace
}  // namespace halvik

using namespace halvik;

DLL_EXPORT LONG WINAPI XanInpB(short Id, short Space, short Port, LONG* Data) {
  return portIo(Id, Space, Port, Data, 1, Direction::Input, {10220, 10221, 10222});
}
DLL_EXPORT LONG WINAPI XanInpW(short Id, short Space, short Port, LONG* Data) {
  return portIo(Id, Space, Port, Data, 2, Direction::Input, {10240, 10241, 10242});
}
DLL_EXPORT LONG WINAPI XanInpD(short Id, short Space, short Port, LONG* Data) {
  return portIo(Id, Space, Port, Data, 4, Direction::Input, {10260, 10261, 10262});
}
DLL_EXPORT LONG WINAPI XanOutpB(short Id, short Space, short Port, LONG Data) {
  return portIo(Id, Space, Port, &Data, 1, Direction::Output, {10280, 0, 10281});
}
DLL_EXPORT LONG WINAPI XanOutpW(short Id, short Space, short Port, LONG Data) {
  return portIo(Id, Space, Port, &Data, 2, Direction::Output, {10300, 0, 10301});
}
DLL_EXPORT LONG WINAPI XanOutpD(short Id, short Space, short Port, LONG Data) {
  return portIo(Id, Space, Port, &Data, 4, Direction::Output, {10320, 0, 10321});
}

// Selector 0: the first address; any other the second.
DLL_EXPORT LONG WINAPI XanGetAddress(short Id, short Selector, LONG* Address) {
  uint16_t index = 0;
  if (FindDeviceById(Id, &index) != 1) return kStatusNoDevice;
  if (Address == nullptr) return -1;
  if (LONG status = CheckMultiProcess(index)) return status;
  const DeviceRecord& record = DeviceTable()[index];
  if (RoadOf(record) != Road::Kernel) return rows::kStatusNotOnThisDevice;
  halvikdrv::DeviceBlock block;
  if (LONG status = SendKernel(record, halvikdrv::kIoResource, block.data(), block.size(), halvikdrv::dev::kStatus))
    return status;
  *Address = block.get<int32_t>(Selector == 0 ? halvikdrv::dev::kFirstAddress : halvikdrv::dev::kSecondAddress);
  return 0;
}
