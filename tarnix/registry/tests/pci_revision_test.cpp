// The revision of a PCI function found by its multi-function child name.
#include "registry/pci_revision.h"
#include "registry_fixture.h"

namespace tarnixtest {
namespace {

class PciRevision : public RegistryTest {};

TEST_F(PciRevision, TheNameIsMatchedAgainstThePairsThatExist) {
  ASSERT_EQ(tarnix::WriteRegValue("Enum\\PCI\\VEN_1C5E&DEV_0121\\BUS_00&DEV_0A", REG_SZ, "HWRevision", "3", 0), 0);
  ASSERT_EQ(tarnix::WriteRegValue("Enum\\PCI\\VEN_1C5E&DEV_0121&X\\0A", REG_SZ, "HWRevision", "12", 0), 0);
  ASSERT_EQ(tarnix::CreateRegKey("Enum\\PCI\\VEN_1C5E&DEV_0122\\BUS_00"), 0);
  const struct {
    const char* name;
    int32_t revision;
  } cases[] = {
      {"PCI&VEN_1C5E&DEV_0121&BUS_00&DEV_0A", 3},
      {"PCI&VEN_1C5E&DEV_0121&X&0A", 12},
      {"PCI&VEN_1C5E&DEV_0122&BUS_00", 0},  // no HWRevision
      {"PCI&VEN_1C5E&DEV_0121&bus_00&DEV_0A", 0},
      {"PCI&VEN_1C5E&DEV_0999&BUS_00", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(tarnix::ReadPciRevision(c.name), c.revision) << c.name;
}

}  // namespace
}  // namespace tarnixtest
