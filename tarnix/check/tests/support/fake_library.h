// A small made-up world for the checker and the editing exports: a few
// models of every kind, the computer's generation and machine type, names
// another program holds in the object-name index, and the boards configured
// for each kind. Installing it points the checker's services at it; the
// destructor puts the library's own back.
#pragma once
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <tarnix_records.h>

#include "check/check_services.h"
#include "list/board_list_view.h"
#include "system/system_info.h"
#include "tables/board_models.h"

namespace tarnix::testing {

struct FakeModel {
  const char* name;
  int32_t kind;
  int32_t bus;
  int32_t driver;
  int32_t channels;  // serial and COM-port models
};

inline constexpr FakeModel kFakeModels[] = {
    {"SER-4(ISA)", 1, kBusLegacy, 0, 4},      {"SER-2(PCI)", 1, kBusPci, 0, 2},
    {"SER-16(ISA)", 1, kBusLegacy, 0, 16},    {"LTU-5J(PC)", 1, kBusPcCard, 0, 8},
    {"SER-4(PC)", 1, kBusPcCard, 0, 4},
    {"ADA-16(ISA)", 2, kBusLegacy, 3, 0},     {"ADA-16(PCI)", 2, kBusPci, 5, 0},
    {"ADA-16(PC)", 2, kBusPcCard, 7, 0},      {"DIO-32(ISA)", 3, kBusLegacy, 1, 0},
    {"QAT-48/48V(PCI)", 3, kBusPci, 2, 0},    {"DIO-32V", 3, kBusLegacy, 1, 0},
    {"GPB-1(ISA)", 4, kBusLegacy, 1, 0},      {"GPB-1(PCI)", 4, kBusPci, 1, 0},
    {"CNT-4(ISA)", 5, kBusLegacy, 0, 0},      {"CNT-4(PCI)", 5, kBusPci, 1, 0},
    {"STP-4(ISA)", 6, kBusLegacy, 0, 0},      {"COM-2(ISA)", 7, kBusLegacy, 0, 2},
    {"COM-4(PCI)", 7, kBusPci, 0, 4},         {"MOD-8", 10, kBusModule, 0, 0},
};

struct FakeWorld {
  uint32_t osGeneration = kOsNt5;
  int32_t machineType = 0;
  uint32_t digitalVersion = 0;
  std::set<std::string> heldNames;                         // another program's
  std::map<int32_t, std::vector<unsigned char>> configured;  // kind -> list bytes
};

inline FakeWorld& World() {
  static FakeWorld world;
  return world;
}

inline const FakeModel* FindFake(const char* name) {
  for (const FakeModel& m : kFakeModels) {
    if (std::strcmp(m.name, name) == 0) return &m;
  }
  return nullptr;
}

class FakeLibrary {
 public:
  FakeLibrary() {
    World() = FakeWorld{};
    CheckServices& s = Services();
    s.isModelOfKind = [](int32_t kind, const char* name) {
      const FakeModel* m = FindFake(name);
      return m != nullptr && m->kind == kind ? 0 : 1;
    };
    s.busType = [](const char* name) { return FindFake(name) ? FindFake(name)->bus : -1; };
    s.driverNumber = [](const char* name) { return FindFake(name) ? FindFake(name)->driver : -1; };
    s.serialChannelCount = [](const char* name) { return FindFake(name) ? FindFake(name)->channels : 0; };
    s.singleInterrupt = [](const char*) { return 0; };
    // Ports at 0x1A0 and up share one interrupt line.
    s.classifySerialPort = [](const char*, int32_t io) { return io >= 0x1A0 && io <= 0x1B8 ? 2 : 0; };
    s.mapDigitalVariant = [](int32_t, char* name, int32_t direction) {
      if (direction == 1 && std::strcmp(name, "DIO-32(ISA)") == 0) std::strcpy(name, "DIO-32V");
    };
    s.boardInfoItem = [](const char* name, int32_t code, void* p1, void*, void*) {
      if (FindFake(name) == nullptr) return 3;
      if (code == 0x10001) std::strcpy(static_cast<char*>(p1), "16550");
      if (code == 0x60001) *static_cast<int32_t*>(p1) = 4;
      return 0;
    };
    s.osGeneration = [] { return World().osGeneration; };
    s.machineType = [] { return World().machineType; };
    s.driverVersion = [](int32_t) { return World().digitalVersion; };
    s.isObjectNameFree = [](const char* name) { return World().heldNames.count(name) ? 0 : 1; };
    s.loadConfiguredList = [](int32_t kind, void* list) {
      ListView view(kind, list);
      view.clear();
      const auto it = World().configured.find(kind);
      if (it != World().configured.end()) std::memcpy(list, it->second.data(), view.bytes());
    };
  }
  ~FakeLibrary() { Services() = DefaultCheckServices(); }
  FakeLibrary(const FakeLibrary&) = delete;
  FakeLibrary& operator=(const FakeLibrary&) = delete;
};

// A list of one record type, filled by the tests.
template <typename Record>
struct TestList {
  BoardList<Record> list{};
  Record& add(const Record& r) { return list.records[list.count++] = r; }
  void* data() { return &list; }
};

template <typename Record>
Record MakeRecord(int32_t driver, int32_t group, int32_t board, const char* model) {
  Record r{};
  r.head.driverNumber = driver;
  r.head.groupNumber = group;
  r.head.boardNumber = board;
  std::strncpy(r.head.boardName, model, sizeof r.head.boardName - 1);
  return r;
}

// Configured boards of a kind, as a load from the registry would give them.
template <typename Record>
void Configure(int32_t kind, const TestList<Record>& boards) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(&boards.list);
  World().configured[kind].assign(bytes, bytes + sizeof boards.list);
}

}  // namespace tarnix::testing
