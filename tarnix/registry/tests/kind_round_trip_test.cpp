// Each kind's hand-written configuration loads into its image, and a wipe
// and a store of that image give back the same values.
#include <vector>

#include "image/kind_images.h"
#include "registry/kind_registry.h"
#include "registry_fixture.h"

namespace tarnixtest {
namespace {

// Model names that no model table holds: loads answer 8 and no board is
// looked up on a bus, whatever the tables hold.
struct KindCase {
  int32_t kind;
  std::vector<const char*> services;  // every service key the configuration has
  std::vector<Value> values;
};

void PrintTo(const KindCase& c, std::ostream* os) { *os << "kind " << c.kind; }

std::vector<Value> service(const char* key, std::vector<Value> more) {
  std::vector<Value> v = {{key, "ErrorControl", 1}, {key, "Group", "Extended Base"}, {key, "Start", 3},
                          {key, "Type", 1}};
  v.insert(v.end(), more.begin(), more.end());
  return v;
}

std::vector<KindCase> kindCases() {
  std::vector<KindCase> cases;
  auto add = [&](int32_t kind, std::vector<const char*> services, std::vector<std::vector<Value>> parts) {
    KindCase c{kind, std::move(services), {}};
    for (auto& p : parts) c.values.insert(c.values.end(), p.begin(), p.end());
    cases.push_back(std::move(c));
  };
  const char* a1 = "Morvel00\\GroupNumber1";
  const char* a11 = "Morvel00\\GroupNumber1\\BoardNumber1";
  const char* a12 = "Morvel00\\GroupNumber1\\BoardNumber2";
  const char* a55 = "Morvel55\\GroupNumber1\\BoardNumber1";
  add(2, {"Morvel00", "Morvel55"},
      {service("Morvel00", {{"Morvel00", "DefineDir", "C:\\XAN\\DEF"}, {"Morvel00", "MachineType", 0},
                            {"Morvel00", "GroupNum", 1}}),
       {{a1, "BoardNum", 2}, {a1, "IrqNo", 11}, {a1, "ObjectName", "AIO000"}},
       {{a11, "BoardName", "TEST-AIO-A"}, {a11, "BoardType", 3}, {a11, "IoAddress", 0x300}, {a11, "Dma", 5},
        {a11, "MemoryAddress", -1}, {a11, "BoardConfig", 0x21}, {a11, "BoardID", 7}, {a11, "DeviceID", 0x121},
        {a11, "SlotNo", 2}, {a11, "HardwareKey", "PCI\\X"}},
       {{a12, "BoardName", "TEST-AIO-B"}, {a12, "IoAddress", 0x320}},
       service("Morvel55", {{"Morvel55", "GroupNum", 1}, {"Morvel55\\GroupNumber1", "BoardNum", 1}}),
       {{a55, "BoardName", "TEST-AIO-C"}, {a55, "BoardID", 3}}});
  const char* d1 = "Digdel06\\GroupNumber1";
  add(3, {"Digdel06"},
      {service("Digdel06", {{"Digdel06", "GroupNum", 1}}),
       {{d1, "BoardNum", 1}, {d1, "IrqNo", 5}, {d1, "IrqNo2", 6}, {d1, "IrqNo3", 7}, {d1, "IrqNo4", -1},
        {d1, "ObjectName", "DIO000"}},
       {{"Digdel06\\GroupNumber1\\BoardNumber1", "BoardName", "TEST-DIO"},
        {"Digdel06\\GroupNumber1\\BoardNumber1", "BoardConfig", 4}}});
  const char* s1 = "Serdel\\BoardNumber1";
  add(1, {"Serdel"},
      {service("Serdel", {{"Serdel", "BoardNum", 1}}),
       {{s1, "BoardName", "TEST-SIO"}, {s1, "IoAddress1", 0x3F8}, {s1, "IoAddress8", 0x2E8}, {s1, "IrqNo1", 4},
        {s1, "IrqNo8", 3}, {s1, "Dma", 1}, {s1, "ChannelFirst", 3}, {s1, "ChannelLast", 10},
        {s1, "BaudRateType", 2}, {s1, "FIFOFlowEnable", 1}, {s1, "ComController", "16550"},
        {s1, "ObjectName1", "SIO000"}, {s1, "ObjectName8", "SIO007"}, {s1, "ForceFifoEnable", 1},
        {s1, "RxFIFO", 14}, {s1, "TxFIFO", 16}}});
  const char* g1 = "Gpidel2\\BoardNumber1";
  add(4, {"Gpidel2"},
      {service("Gpidel2", {{"Gpidel2", "BoardNum", 1}}),
       {{g1, "BoardName", "TEST-GPIB"}, {g1, "IoAddress", 0x2C0}, {g1, "IrqNo", 9}, {g1, "MyAddress", 30},
        {g1, "MasterMode", 1}, {g1, "DmaCh", 3}, {g1, "DmaMode", 2}, {g1, "HandshakeTiming", 2000},
        {g1, "ObjectName", "GPIB000"}}});
  const char* c1 = "Cntdel05\\BoardNumber1";
  add(5, {"Cntdel05"},
      {service("Cntdel05", {{"Cntdel05", "BoardNum", 1}}),
       {{c1, "BoardName", "TEST-CNT"}, {c1, "IoAddress", 0x240}, {c1, "IrqNo", 10}, {c1, "Dma", 6},
        {c1, "ObjectName", "CNT000"}}});
  const char* m1 = "Stpdel01\\BoardNumber1";
  add(6, {"Stpdel01"},
      {service("Stpdel01", {{"Stpdel01", "BoardNum", 1}}),
       {{m1, "BoardName", "TEST-SMC"}, {m1, "IoAddress", 0x280}, {m1, "IrqNo1", 12}, {m1, "IrqNo2", 15},
        {m1, "AxisNum", 4}, {m1, "bBaseENHMode", 1}, {m1, "ObjectName", "SMC000"},
        {"Stpdel01\\BoardNumber1\\AxisNumber1", "ObjectName", "AXIS-X"},
        {"Stpdel01\\BoardNumber1\\AxisNumber4", "ObjectName", "AXIS-U"}}});
  const char* p1 = "Comdel\\BoardInfo\\BoardNumber1";
  add(7, {"Comdel"},
      {service("Comdel", {}),
       {{p1, "BoardName", "TEST-COM"}, {p1, "IoAddress", 0x3E8}, {p1, "IrqNo", 5}, {p1, "ChannelFirst", 5},
        {p1, "ChannelLast", 8}, {p1, "BoardID", 1}, {p1, "ObjectName1", "COM-A"}, {p1, "ForceFifoEnable", 0},
        {p1, "RxFIFO", 4}, {p1, "TxFIFO", 2}}});
  add(10, {"Moddel00"},
      {service("Moddel00", {{"Moddel00", "BoardNum", 1}}),
       {{"Moddel00\\BoardNumber1", "BoardName", "TEST-MOD"}, {"Moddel00\\BoardNumber1", "ObjectName", "MOD000"}}});
  return cases;
}

class KindRoundTrip : public RegistryTest, public ::testing::WithParamInterface<KindCase> {};

TEST_P(KindRoundTrip, LoadWipeStoreGivesBackEveryValue) {
  const KindCase& c = GetParam();
  WriteAll(c.values);
  EXPECT_EQ(tarnix::LoadKindImage(c.kind), 8);

  tarnix::WipeKindRegistry(c.kind);
  for (const char* s : c.services) EXPECT_FALSE(KeyExists(ServicePath(s))) << s;

  EXPECT_EQ(tarnix::StoreKindImage(c.kind), 0);
  for (const Value& v : c.values) {
    const bool text = std::holds_alternative<const char*>(v.data);
    const auto expected = text ? std::variant<int32_t, std::string>(std::get<const char*>(v.data))
                               : std::variant<int32_t, std::string>(std::get<int32_t>(v.data));
    EXPECT_EQ(Read(v.key, v.name, text), expected) << v.key << "\\" << v.name;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryKind, KindRoundTrip, ::testing::ValuesIn(kindCases()),
                         [](const auto& info) { return "Kind" + std::to_string(info.param.kind); });

}  // namespace
}  // namespace tarnixtest
