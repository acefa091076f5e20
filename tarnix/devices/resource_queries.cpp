// The resource and version queries: one request each, the answer's counts
// kept within the room sent and its lists sorted.
#include <outside/tarnixcfg.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "config_device.h"
#include "config_request.h"
#include "system/system_info.h"
#include "gpib_cards.h"
#include "pnp_text.h"

namespace tarnix {

namespace {

namespace cfg = tarnixcfg;

constexpr int32_t kNoDevice = 2;

struct Sent {
  int32_t* list;
  int32_t* count;
  int32_t room;
};

// A list without room or without an array to write into goes as room 0.
Sent sent(int32_t* list, int32_t* count) {
  const int32_t room = list != nullptr && count != nullptr && *count > 0 ? *count : 0;
  return {list, count, room};
}

void zeroCounts(const ResourceLists& l) {
  for (int32_t* count : {l.ioCount, l.irqCount, l.memoryCount}) {
    if (count != nullptr) *count = 0;
  }
}

// A driver's count beyond the room would have the sort read past the
// caller's list. Plain < keeps the order strict for values of any spread.
void takeBack(const Sent& s, int32_t returned) {
  if (s.count == nullptr) return;
  const int32_t n = std::clamp(returned, 0, s.room);
  *s.count = n;
  if (n > 0) std::sort(s.list, s.list + n);
}

// False, with every count 0, when the device does not open or the request
// fails; the answer is then kNoDevice, else the record's result.
template <typename Record>
bool sendResources(ConfigPath path, DWORD code, Record& r, const ResourceLists& l) {
  const Sent io = sent(l.io, l.ioCount), irq = sent(l.irq, l.irqCount), memory = sent(l.memory, l.memoryCount);
  r.io = {cfg::wireAddress(io.room > 0 ? io.list : nullptr), io.room};
  r.irq = {cfg::wireAddress(irq.room > 0 ? irq.list : nullptr), irq.room};
  r.memory = {cfg::wireAddress(memory.room > 0 ? memory.list : nullptr), memory.room};
  r.result = 0;
  const ConfigDevice device(path);
  if (!device.send(code, &r, sizeof r)) {
    zeroCounts(l);
    return false;
  }
  takeBack(io, r.io.count);
  takeBack(irq, r.irq.count);
  takeBack(memory, r.memory.count);
  return true;
}

template <typename Record>
int32_t answer(ConfigPath path, DWORD code, Record& r, const ResourceLists& l) {
  return sendResources(path, code, r, l) ? r.result : kNoDevice;
}

bool keyFits(const char* key) { return key != nullptr && strnlen(key, cfg::kWideNameUnits) < cfg::kWideNameUnits; }

// NT drivers take the name in 16-bit characters, each byte sign-extended.
struct WideName {
  uint16_t units[cfg::kWideNameUnits] = {};
  explicit WideName(const char* text) {
    for (std::size_t i = 0; text[i] != '\0' && i < cfg::kLongestInstanceName; ++i) {
      units[i] = static_cast<uint16_t>(static_cast<int16_t>(static_cast<signed char>(text[i])));
    }
  }
};

int32_t sendInstance(DWORD code, const char* key, const ResourceLists& l) {
  const WideName wide(key);
  cfg::InstanceResourceRecord r{};
  r.name = cfg::wireAddress(wide.units);
  return answer(ConfigPath::Queries, code, r, l);
}

// The vendor's PC-9800 GPIB cards report no usable I/O range under 9x:
// their fixed address is put in its place.
void placeGpibCardAddress(const char* key, const ResourceLists& l) {
  std::string description;
  if (!ReadPnpText(std::string("Enum\\") + key, "DeviceDesc", description)) return;
  if (!IsPc98GpibCard(CutDescription(description))) return;
  if (l.io == nullptr || l.ioCount == nullptr || sent(l.io, l.ioCount).room < 1) return;
  l.io[0] = kPc98GpibCardAddress;
  *l.ioCount = 1;
}

}  // namespace

int32_t QueryPciResources(int32_t vendorId, int32_t deviceId, int32_t boardId, const ResourceLists& lists,
                          PciForm form) {
  if (form == PciForm::Running && IsWin9x(GetOsGeneration())) {
    cfg::Win9xPciResourceRecord r{};
    r.vendorId = static_cast<uint32_t>(vendorId);
    r.deviceId = static_cast<uint32_t>(deviceId);
    r.boardId = static_cast<uint32_t>(boardId);
    return answer(ConfigPath::Vxd, cfg::k9xPciResources, r, lists);
  }
  cfg::NtPciResourceRecord r{};
  r.vendorId = static_cast<uint32_t>(vendorId) & 0xFFFF;
  r.deviceId = static_cast<uint32_t>(deviceId) & 0xFFFF;
  r.boardId = static_cast<uint32_t>(boardId) & 0xFFFF;
  return answer(ConfigPath::Queries, cfg::kNtPciResources, r, lists);
}

int32_t QueryPcCardResources(const char* hardwareKey, const ResourceLists& lists) {
  if (!keyFits(hardwareKey)) {
    zeroCounts(lists);
    return 1;
  }
  if (!IsWin9x(GetOsGeneration())) return sendInstance(cfg::kNtPcCardResources, hardwareKey, lists);
  cfg::InstanceResourceRecord r{};
  r.name = cfg::wireAddress(hardwareKey);
  if (!sendResources(ConfigPath::Vxd, cfg::k9xPcCardResources, r, lists)) return kNoDevice;
  placeGpibCardAddress(hardwareKey, lists);
  return r.result;
}

int32_t QueryIsaResources(const char* hardwareKey, const ResourceLists& lists) {
  if (GetOsGeneration() < kOsNt5) return -1;
  if (!keyFits(hardwareKey)) {
    zeroCounts(lists);
    return 1;
  }
  return sendInstance(cfg::kNtIsaResources, hardwareKey, lists);
}

int32_t QueryPciVersion(int32_t vendorId, int32_t deviceId, int32_t revision, int32_t* version) {
  cfg::PciVersionRecord r{static_cast<uint32_t>(vendorId), static_cast<uint32_t>(deviceId),
                          static_cast<uint32_t>(revision), 0, 0};
  const bool win9x = IsWin9x(GetOsGeneration());
  const ConfigDevice device(win9x ? ConfigPath::Vxd : ConfigPath::Queries);
  const bool ok = device.send(win9x ? cfg::k9xPciVersion : cfg::kNtPciVersion, &r, sizeof r);
  if (version != nullptr) *version = ok ? r.version : 0;
  return ok ? r.result : kNoDevice;
}

}  // namespace tarnix
