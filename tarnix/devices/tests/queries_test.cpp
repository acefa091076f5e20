// The resource, version, bus and module requests as a configuration program
// sends them through the exports.
#include <tarnix.h>

#include <cstring>
#include <functional>
#include <utility>

#include "devices/config_device.h"
#include "devices/pnp_text.h"
#include "devices_fixture.h"

namespace {

using namespace devices_test;
namespace cfg = tarnixcfg;

int32_t g_list[3][20];
int32_t g_counts[3];

LONG pci() {
  g_counts[0] = g_counts[1] = g_counts[2] = 20;
  return DnkConfigGetPciResource(0x1C5E, 0x0122, 0, g_list[0], &g_counts[0], g_list[1], &g_counts[1], g_list[2],
                                 &g_counts[2]);
}
LONG pciNt() {
  g_counts[0] = g_counts[1] = g_counts[2] = 20;
  return DnkConfigGetPciResourceNT(0x1C5E, 0x0122, 0, g_list[0], &g_counts[0], g_list[1], &g_counts[1], g_list[2],
                                   &g_counts[2]);
}
LONG pcCard() {
  g_counts[0] = g_counts[1] = g_counts[2] = 20;
  return DnkConfigGetPcmciaResource("DORNELL-GPCARD-1A2B\\1", g_list[0], &g_counts[0], g_list[1], &g_counts[1],
                                    g_list[2], &g_counts[2]);
}
LONG isa() {
  g_counts[0] = g_counts[1] = g_counts[2] = 20;
  return DnkConfigGetIsaResource("0003", g_list[0], &g_counts[0], g_list[1], &g_counts[1], g_list[2], &g_counts[2]);
}
LONG version() {
  int32_t v = 0;
  return DnkConfigGetPciVersion(0x1C5E, 0x0121, 3, &v);
}
LONG busQuery() { return DnkConfigIsSB(); }
LONG moduleList() {
  cfg::ModuleListRecord r;
  return DnkConfigGetFlnDevice(&r);
}

struct FormCase {
  const GenerationCase* generation;
  const char* call;
  std::function<LONG()> send;
  const char* device;  // nullptr: nothing sent
  DWORD code;
  DWORD size;
};

class FormTest : public DevicesTest, public ::testing::WithParamInterface<FormCase> {};

TEST_P(FormTest, GoesToTheGenerationsDeviceWithItsCodeAndRecord) {
  const FormCase& c = GetParam();
  use(*c.generation);
  const LONG answer = c.send();
  const std::vector<cfg::SeenRequest> log = cfg::RequestLog();
  if (c.device == nullptr) {
    EXPECT_EQ(answer, -1);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(cfg::OpenCount(), 0);
    return;
  }
  ASSERT_EQ(log.size(), 1u);
  EXPECT_STREQ(log[0].device.c_str(), c.device);
  EXPECT_EQ(log[0].code, c.code);
  EXPECT_EQ(log[0].size, c.size);
}

const FormCase kForms[] = {
    {&k9x, "Pci", pci, cfg::kVxdName, cfg::k9xPciResources, 52},
    {&k9x, "PciNt", pciNt, cfg::kNtName, cfg::kNtPciResources, 56},
    {&k9x, "PcCard", pcCard, cfg::kVxdName, cfg::k9xPcCardResources, 48},
    {&k9x, "Isa", isa, nullptr, 0, 0},
    {&k9x, "Version", version, cfg::kVxdName, cfg::k9xPciVersion, 20},
    {&k9x, "Bus", busQuery, cfg::kVxdName, cfg::k9xBusQuery, 4},
    {&k9x, "Modules", moduleList, cfg::kVxdName, cfg::k9xModuleList, 64},
    {&kNt4, "Pci", pci, cfg::kNtName, cfg::kNtPciResources, 56},
    {&kNt4, "PcCard", pcCard, cfg::kNtName, cfg::kNtPcCardResources, 48},
    {&kNt4, "Isa", isa, nullptr, 0, 0},
    {&kNt4, "Version", version, cfg::kNtName, cfg::kNtPciVersion, 20},
    {&kNt4, "Bus", busQuery, cfg::kNtName, cfg::kNtBusQuery, 4},
    {&kNt4, "Modules", moduleList, cfg::kNtName, cfg::kNtModuleList, 64},
    {&kNt5, "Pci", pci, cfg::kWdmName, cfg::kNtPciResources, 56},
    {&kNt5, "PcCard", pcCard, cfg::kWdmName, cfg::kNtPcCardResources, 48},
    {&kNt5, "Isa", isa, cfg::kWdmName, cfg::kNtIsaResources, 48},
    {&kNt5, "Version", version, cfg::kWdmName, cfg::kNtPciVersion, 20},
    {&kNt5, "Bus", busQuery, cfg::kNtName, cfg::kNtBusQuery, 4},
    {&kNt5, "Modules", moduleList, cfg::kNtName, cfg::kNtModuleList, 64},
};
INSTANTIATE_TEST_SUITE_P(Generations, FormTest, ::testing::ValuesIn(kForms),
                         [](const auto& info) { return std::string(info.param.generation->label) + info.param.call; });

using QueriesTest = DevicesTest;

TEST_F(QueriesTest, ListsComeBackAscendingEvenWhenValuesLieFarApart) {
  int32_t io[4], irq[4], memory[4];
  int32_t ioCount = 4, irqCount = 4, memoryCount = 4;
  // Identifiers reach the NT driver cut to 16 bits.
  ASSERT_EQ(DnkConfigGetPciResource(0x11C5E, 0x10122, 0x10000, io, &ioCount, irq, &irqCount, memory, &memoryCount), 0);
  EXPECT_EQ((std::vector<int32_t>(io, io + ioCount)), (std::vector<int32_t>{0xD000, 0xD100}));
  EXPECT_EQ((std::vector<int32_t>(irq, irq + irqCount)), (std::vector<int32_t>{5, 9, 11}));
  EXPECT_EQ((std::vector<int32_t>(memory, memory + memoryCount)),
            (std::vector<int32_t>{static_cast<int32_t>(0xF0000000u), 0x10000000, 0x70000000}));
}

TEST_F(QueriesTest, ACountBeyondTheRoomSentIsCutToTheRoom) {
  cfg::Inventory m = cfg::SampleInventory();
  m.overstatesCounts = true;
  ASSERT_TRUE(cfg::Install(m));
  int32_t irq[3] = {0, 0, -7};
  int32_t irqCount = 2;
  ASSERT_EQ(DnkConfigGetPciResource(0x1C5E, 0x0122, 0, nullptr, nullptr, irq, &irqCount, nullptr, nullptr), 0);
  EXPECT_EQ(irqCount, 2);
  EXPECT_EQ((std::vector<int32_t>{irq[0], irq[1], irq[2]}), (std::vector<int32_t>{5, 11, -7}));
}

TEST_F(QueriesTest, NoDriverOrAFailedRequestAnswers2WithZeroCounts) {
  struct Case {
    const char* what;
    std::function<void()> arrange;
    LONG answer;
  } cases[] = {
      {"no driver", [] { cfg::Remove(); }, 2},
      {"call fails", [] { cfg::SetFault(cfg::kNtPciResources, cfg::Failure::CallFails); }, 2},
      {"driver's result", [] { cfg::SetFault(cfg::kNtPciResources, cfg::Failure::ResultFails, 5); }, 5},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(cfg::Install(cfg::SampleInventory()));
    c.arrange();
    EXPECT_EQ(pci(), c.answer) << c.what;
    EXPECT_EQ((std::vector<int32_t>(g_counts, g_counts + 3)), (std::vector<int32_t>{0, 0, 0})) << c.what;
  }
  int32_t v = 99;
  cfg::Remove();
  EXPECT_EQ(DnkConfigGetPciVersion(0x1C5E, 0x0121, 3, &v), 2);
  EXPECT_EQ(v, 0);
}

TEST_F(QueriesTest, AHardwareKeyTooLongForTheNtBufferIsRefusedUnsent) {
  const std::string fits(cfg::kLongestInstanceName, 'K');
  int32_t io[2], ioCount = 2;
  EXPECT_EQ(DnkConfigGetPcmciaResource(fits.c_str(), io, &ioCount, nullptr, nullptr, nullptr, nullptr), 1);
  ASSERT_EQ(cfg::RequestLog().size(), 1u);
  EXPECT_EQ(cfg::RequestLog()[0].instanceName, fits);
  const std::string tooLong = fits + "X";
  for (auto query : {DnkConfigGetPcmciaResource, DnkConfigGetIsaResource}) {
    ioCount = 2;
    EXPECT_EQ(query(tooLong.c_str(), io, &ioCount, nullptr, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(ioCount, 0);
  }
  EXPECT_EQ(cfg::RequestLog().size(), 1u);
}

TEST_F(QueriesTest, A98GpibCardUnder9xGetsItsFixedAddress) {
  use(k9x);
  ASSERT_TRUE(cfg::WritePnpRegistry(cfg::SampleInventory(), cfg::Generation::Win9x));
  int32_t io[4], ioCount = 4;
  ASSERT_EQ(DnkConfigGetPcmciaResource("PCMCIA\\DORNELL-GPCARD-1A2B\\0", io, &ioCount, nullptr, nullptr, nullptr,
                                       nullptr),
            0);
  EXPECT_EQ(ioCount, 1);
  EXPECT_EQ(io[0], 193);
  // The description is cut at its first blank from the eighth character on.
  for (const auto& [description, cut] :
       {std::pair{"DORNELL AD12-16(PCI)", "DORNELL"}, {"A B C D E F", "A B C D"}, {"A B C D", "A B C D"}}) {
    EXPECT_EQ(tarnix::CutDescription(description), cut) << description;
  }
}

TEST_F(QueriesTest, BusQueryAndModuleListWithAndWithoutTheDriver) {
  cfg::ModuleListRecord r;
  std::memset(&r, 0x55, sizeof r);
  EXPECT_EQ(DnkConfigIsSB(), 10);
  EXPECT_EQ(DnkConfigGetFlnDevice(&r), 1);
  EXPECT_EQ(r.modules[1].classId, 2);
  EXPECT_EQ(r.modules[0].classId, 0);
  cfg::SetFault(cfg::kNtModuleList, cfg::Failure::CallFails);
  cfg::SetFault(cfg::kNtBusQuery, cfg::Failure::CallFails);
  EXPECT_EQ(DnkConfigIsSB(), 0);
  EXPECT_EQ(DnkConfigGetFlnDevice(&r), 1);
  EXPECT_EQ(r.modules[1].classId, 0);
  cfg::Remove();
  std::memset(&r, 0x55, sizeof r);
  EXPECT_EQ(DnkConfigGetFlnDevice(&r), -1);
  EXPECT_EQ(r.modules[7].typeId, 0);
}

}  // namespace
