// Digital lines and port I/O on the simulated devices. Every output line is
// wired back to the input of the same number, 8 lines to a port; port I/O
// reads and writes bytes of two I/O spaces (the virtual device has one),
// little-endian, 0 until written. The kernel driver's devices sit at the
// I/O addresses kFirstAddress and kSecondAddress.
#include <outside/halvikdrv.h>

#include "cntm_dio_rows.h"

namespace halviksim {

namespace {

namespace drv = halvikdrv;

constexpr int32_t kFirstAddress = 0xD000;
constexpr int32_t kSecondAddress = 0xD100;

// Where the lines and the I/O spaces are kept among the device's settings
// (size 0: no request has that size).
int64_t portByte(const Device& device, int64_t port) { return device.setting(drv::kDiByte, 0, port)[0]; }
void setPortByte(Device& device, int64_t port, int64_t value) { device.store(drv::kDiByte, 0, port, {value & 0xFF, 0, 0}); }
int64_t spaceKey(int64_t space, int64_t offset) { return (space << 32) | (offset & 0xFFFF); }

// Layout: get flag, key = bit or port, value = input (out), value2 = output.
int32_t serveLines(Device& device, Record& r, const Row& row) {
  const Layout& l = row.layout;
  const bool byBit = row.code == drv::kDiBit || row.code == drv::kCmdDioBit;
  const int64_t key = r.read(l.key);
  if (key < 0) return drv::kStatusNotSupported;
  const int64_t port = byBit ? key / 8 : key;
  const int64_t byte = portByte(device, port);
  if (r.read(l.getFlag) == 1) {
    r.write(l.value, byBit ? (byte >> (key % 8)) & 1 : byte);
    return 0;
  }
  const int64_t out = r.read(l.value2);
  setPortByte(device, port, byBit ? (out != 0 ? byte | (1 << (key % 8)) : byte & ~(1 << (key % 8))) : out);
  return 0;
}

// Layout: key = offset, key2 = direction, key3 = width, value = data,
// value2 = space (none on the virtual device).
int32_t servePort(Device& device, Record& r, const Row& row) {
  const Layout& l = row.layout;
  const int64_t offset = r.read(l.key), width = r.read(l.key3);
  const int64_t space = l.value2.width != 0 ? r.read(l.value2) : 0;
  if (width != 1 && width != 2 && width != 4) return drv::kStatusNotSupported;
  if (r.read(l.key2) == 1) {
    int64_t data = 0;
    for (int64_t i = 0; i < width; ++i)
      data |= (device.setting(drv::kPortIo, 0, spaceKey(space, offset + i))[0] & 0xFF) << (8 * i);
    r.write(l.value, data);
    return 0;
  }
  const int64_t data = r.read(l.value);
  for (int64_t i = 0; i < width; ++i) device.store(drv::kPortIo, 0, spaceKey(space, offset + i), {(data >> (8 * i)) & 0xFF, 0, 0});
  return 0;
}

int32_t serveAddresses(Device&, Record& r, const Row&) {
  r.write(f32(drv::dev::kFirstAddress), kFirstAddress);
  r.write(f32(drv::dev::kSecondAddress), kSecondAddress);
  return 0;
}

constexpr Layout lines(std::size_t getFlag, std::size_t key, std::size_t in, std::size_t out) {
  return Layout{}.flag(f16(getFlag)).keys(f16(key)).values(f16(in), f16(out));
}
constexpr Layout port(std::size_t data, std::size_t offset, std::size_t direction, std::size_t width, Field space) {
  return Layout{}.keys(f16(offset), f16(direction), f16(width)).values(f32(data), space);
}

// clang-format off
constexpr Row kKernelRows[] = {
    {drv::kDiBit, drv::kDioBlockSize, serveLines, lines(drv::dio::kGetFlag, drv::dio::kBit, drv::dio::kInput, drv::dio::kOutput)},
    {drv::kDiByte, drv::kDioBlockSize, serveLines, lines(drv::dio::kGetFlag, drv::dio::kPort, drv::dio::kInput, drv::dio::kOutput)},
    {drv::kPortIo, drv::kDeviceBlockSize, servePort,
     port(drv::dev::kPortData, drv::dev::kPortOffset, drv::dev::kPortDirection, drv::dev::kPortWidth, f16(drv::dev::kPortSpace))},
    {drv::kIoResource, drv::kDeviceBlockSize, serveAddresses, fields({})},
};
struct BusRow {
  Row row;
  bool virtualOnly;
};
constexpr BusRow kBusRows[] = {
    {{drv::kCmdDioBit, drv::rec::kDioSize, serveLines, lines(drv::rec::kDioGetFlag, drv::rec::kDioBit, drv::rec::kDioInput, drv::rec::kDioOutput)}, false},
    {{drv::kCmdDioByte, drv::rec::kDioSize, serveLines, lines(drv::rec::kDioGetFlag, drv::rec::kDioPort, drv::rec::kDioInput, drv::rec::kDioOutput)}, false},
    {{drv::kCmdDioDirection, drv::rec::kDirectionSize, serveSetting,
      setting(f16(drv::rec::kDirectionGetFlag), {}, f32(drv::rec::kDirectionValue))}, true},
    {{drv::kCmdPortIo, drv::rec::kPortSize, servePort,
      port(drv::rec::kPortData, drv::rec::kPortOffset, drv::rec::kPortDirection, drv::rec::kPortWidth, {})}, true},
};
// clang-format on

}  // namespace

const Row* dioKernelRow(DWORD code, DWORD size, uint16_t& statusAt) {
  for (const Row& row : kKernelRows) {
    if (row.code == code && row.size == size) {
      statusAt = 0;
      return &row;
    }
  }
  return nullptr;
}

const Row* dioBusRow(int busKind, DWORD command, DWORD size, bool& commandKnown) {
  for (const BusRow& entry : kBusRows) {
    if (entry.row.code != command || (entry.virtualOnly && busKind != 10)) continue;
    commandKnown = true;
    if (entry.row.size == size) return &entry.row;
  }
  return nullptr;
}

}  // namespace halviksim
