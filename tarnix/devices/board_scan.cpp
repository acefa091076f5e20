// The scans for boards that are installed but not yet configured: root
// devices, PCI boards, PC cards and module-series units, in that order.
#include <outside/tarnixcfg.h>
#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include <tarnix.h>

#include "config_device.h"
#include "system/system_info.h"
#include "model_catalog.h"
#include "module_series.h"
#include "pnp_text.h"
#include "scan_records.h"

namespace tarnix {

namespace {

constexpr int32_t kVendor = static_cast<int32_t>(tarnixcfg::kVendorId);
constexpr int kRootInstances = 100;
constexpr int kBoardIds = 16;
constexpr int kCardInstances = 4;
constexpr std::size_t kRootRoom = 30;
constexpr std::size_t kBoardRoom = 20;
constexpr std::size_t kLongestSubkey = 50;
constexpr char kPciEnum[] = "SYSTEM\\CurrentControlSet\\Enum\\PCI";

// One resource query's lists, of one room each.
struct Answer {
  std::vector<int32_t> io, irq, memory;
  int32_t ioCount, irqCount, memoryCount;
  explicit Answer(std::size_t room)
      : io(room), irq(room), memory(room), ioCount(int32_t(room)), irqCount(int32_t(room)), memoryCount(int32_t(room)) {}
  ResourceLists lists() { return {io.data(), &ioCount, irq.data(), &irqCount, memory.data(), &memoryCount}; }
  // The lists cut to what came back.
  void trim() {
    io.resize(std::size_t(ioCount));
    irq.resize(std::size_t(irqCount));
    memory.resize(std::size_t(memoryCount));
  }
};

std::string format(const char* pattern, int value) {
  char text[96];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

int32_t firstOr(const std::vector<int32_t>& list, int32_t none) { return list.empty() ? none : list[0]; }

// The interrupt fields of a root device (and, but for kinds 1 and 3, of a
// PC card).
std::array<int32_t, 8> rootInterrupts(int32_t kind, const std::vector<int32_t>& irq) {
  switch (kind) {
    case 1:
      return FirstEntries(irq, 8);
    case 3:
      return FirstEntries(irq, 4);
    case 6:
      return irq.size() == 1 || irq.size() == 2 ? FirstEntries(irq, 2) : FirstEntries({}, 0);
    default:
      return FirstEntries(irq, 1);
  }
}

class Scan {
 public:
  Scan(int32_t kind, void* list, const ModelCatalog& catalog, uint32_t generation)
      : kind_(kind), list_(kind, list), catalog_(catalog), generation_(generation), models_(catalog.models(kind)) {}

  void roots() {
    const bool nt = generation_ >= kOsNt5;
    rootsUnder(nt ? "SYSTEM\\CurrentControlSet\\Enum\\Root\\MultiFunction\\%04d" : "Enum\\Root\\MultiFunction\\%04d",
               nt ? "%04d" : "ROOT\\MULTIFUNCTION\\%04d");
    if (!nt && (kind_ == 1 || kind_ == 7)) rootsUnder("Enum\\Root\\Ports\\%04d", "ROOT\\PORTS\\%04d");
  }

  void pci() {
    std::set<int32_t> seen;
    for (const ScanModel& m : models_) {
      // Rows that share a device identifier tell versions apart; the
      // boards behind it are found once.
      if (m.deviceId == 0 || !seen.insert(m.deviceId).second) continue;
      if (generation_ >= kOsNt5) {
        for (int32_t revision : enumeratedRevisions(m.deviceId)) pciBoard(m, revision);
      } else {
        for (int32_t board = 0; board < kBoardIds; ++board) pciBoard(m, board);
      }
    }
  }

  void pcCards() {
    for (const ScanModel& m : models_) {
      if (!m.hasHardwareKey) continue;
      for (int32_t index = 0; index < kCardInstances; ++index) {
        const std::string key = catalog_.hardwareKey(index, m.name);
        if (key.empty()) continue;
        Answer a(kBoardRoom);
        if (QueryPcCardResources(key.c_str(), a.lists()) != 0) continue;
        a.trim();
        const std::array<int32_t, 8> irq = kind_ == 1 || kind_ == 3 ? FirstEntries(a.irq, 1) : rootInterrupts(kind_, a.irq);
        append({m.name, FirstEntries(a.io, 1), irq, 0, 0, key});
      }
    }
  }

  void modules() {
    const int32_t bus = QueryBusType();
    if (bus != 10 && bus != 20 && bus != 30) return;
    tarnixcfg::ModuleListRecord units{};
    QueryModuleList(&units);
    for (int position = 0; position < tarnixcfg::kModulePositions; ++position) {
      const tarnixcfg::ModuleEntry& e = units.modules[position];
      const FlnModuleRow* row = FindFlnModule(e.classId, e.typeId);
      if (row == nullptr || row->kind != kind_) continue;
      append({row->name, FirstEntries({moduleBase(bus, position)}, 1), FirstEntries({}, 0), 0, position, {}});
    }
  }

 private:
  static int32_t moduleBase(int32_t bus, int position) {
    if (bus == 30 && position == 0) return 0x900;
    if (bus == 30 && position == 4) return 0x4900;
    return 0x800 + 0x1000 * position;
  }

  void append(const FoundBoard& board) { AppendFound(kind_, list_, board); }

  // The model a DeviceDesc names: a row's description, or for the digital
  // kind a variant's.
  bool modelOf(const std::string& description, std::string& name) const {
    for (const ScanModel& m : models_) {
      if (m.description == description) {
        name = m.name;
        return true;
      }
    }
    return kind_ == 3 && catalog_.digitalVariant(description, name);
  }

  void rootsUnder(const char* keyPattern, const char* instancePattern) {
    for (int n = 0; n < kRootInstances; ++n) {
      std::string description, model;
      if (!ReadPnpText(format(keyPattern, n), "DeviceDesc", description)) continue;
      if (!modelOf(CutDescription(description), model)) continue;
      const std::string instance = format(instancePattern, n);
      Answer a(kRootRoom);
      const int32_t result = generation_ >= kOsNt5 ? QueryIsaResources(instance.c_str(), a.lists())
                                                   : QueryPcCardResources(instance.c_str(), a.lists());
      if (result != 0) continue;
      a.trim();
      append({model, FirstEntries(a.io, kind_ == 1 ? 8 : 1), rootInterrupts(kind_, a.irq), 0, 0, instance});
    }
  }

  // The revisions of the boards Windows enumerated for a device
  // identifier: "VEN_1C5E&DEV_xxxx...&REV_rr".
  static std::vector<int32_t> enumeratedRevisions(int32_t deviceId) {
    char prefix[24];
    std::snprintf(prefix, sizeof prefix, "VEN_%04X&DEV_%04X", static_cast<unsigned>(kVendor),
                  static_cast<unsigned>(deviceId) & 0xFFFF);
    std::vector<int32_t> revisions;
    for (const std::string& name : PnpSubkeys(kPciEnum, kLongestSubkey)) {
      if (strncasecmp(name.c_str(), prefix, 17) != 0 || name.size() < 23) continue;
      if (strncasecmp(name.c_str() + name.size() - 6, "REV_", 4) != 0) continue;
      char* end = nullptr;
      const long revision = std::strtol(name.c_str() + name.size() - 2, &end, 16);
      if (*end == '\0') revisions.push_back(static_cast<int32_t>(revision));
    }
    return revisions;
  }

  void pciBoard(const ScanModel& m, int32_t board) {
    Answer a(kBoardRoom);
    if (QueryPciResources(kVendor, m.deviceId, board, a.lists()) != 0) return;
    a.trim();
    std::string name = m.name;
    const bool byVersion = kind_ == 1 || kind_ == 7 || (kind_ == 3 && generation_ != kOsNt4);
    if (byVersion) {
      int32_t version = 0;
      QueryPciVersion(kVendor, m.deviceId, board, &version);
      std::string found;
      const bool known = kind_ == 3 ? catalog_.digitalModel(m.deviceId, version, found)
                                    : catalog_.comModel(m.deviceId, version, found);
      if (known) name = found;
    }
    append({name, FirstEntries(a.io, 1), FirstEntries(a.irq, 1), firstOr(a.memory, -1), board, {}});
  }

  int32_t kind_;
  ListView list_;
  const ModelCatalog& catalog_;
  uint32_t generation_;
  std::vector<ScanModel> models_;
};

}  // namespace

int32_t ScanBoards(int32_t kind, void* list, const ModelCatalog& catalog) {
  if (list == nullptr || !IsBoardListKind(kind)) return kDnkBadArgument;
  const uint32_t generation = GetOsGeneration();
  if (generation != kOsWin9x && generation != kOsNt4 && generation != kOsNt5) return kDnkBadArgument;
  ListView(kind, list).clear();
  if (generation == kOsWin9x && kind == 7) return DnkConfigLoadListData(7, list, 0);
  Scan scan(kind, list, catalog, generation);
  if (generation != kOsNt4) scan.roots();
  scan.pci();
  scan.pcCards();
  scan.modules();
  return kDnkOk;
}

}  // namespace tarnix
