// The driver services and the configuration driver's own service key.
#include <tarnix.h>

#include "registry/kind_registry.h"
#include "registry_fixture.h"

namespace tarnixtest {
namespace {

class Services : public RegistryTest {};

TEST_F(Services, AServiceThatCannotBeOpenedIsNeitherStoppedNorDeleted) {
  EXPECT_EQ(tarnix::StopDriverService("NoSuchDriver"), 0);
  EXPECT_EQ(tarnix::DeleteDriverService("NoSuchDriver"), 1);
}

TEST_F(Services, TheConfigurationServiceKeyIsWrittenAndRemovedWhole) {
  WriteAll(std::vector<Value>{{"DnkConfig\\Enum", "Count", 1}, {"Tarnix\\Enum", "Count", 1}});
  EXPECT_EQ(tarnix::CreateConfigServiceKey(), 0);
  EXPECT_EQ(ReadNumber("Tarnix", "ErrorControl"), 1);
  EXPECT_EQ(Read("Tarnix", "Group", true), (std::variant<int32_t, std::string>("Extended Base")));
  EXPECT_EQ(ReadNumber("Tarnix", "Start"), 2);
  EXPECT_EQ(ReadNumber("Tarnix", "Type"), 1);

  EXPECT_EQ(tarnix::RemoveConfigService(), 0);
  EXPECT_FALSE(KeyExists(ServicePath("Tarnix")));
  EXPECT_FALSE(KeyExists(ServicePath("DnkConfig")));
  EXPECT_NE(tarnix::RemoveConfigService(), 0);  // nothing left to delete
}

// Only mode 1 writes the key; every other mode answers what the removal did.
TEST_F(Services, TheConfigurationServiceExportWritesTheKeyOnlyInModeOne) {
  const struct {
    int32_t mode;
    LONG result;
    bool key;
  } steps[] = {{0, ERROR_FILE_NOT_FOUND, false}, {1, kDnkOk, true}, {2, kDnkOk, false}, {1, kDnkOk, true},
               {-1, kDnkOk, false}, {2, ERROR_FILE_NOT_FOUND, false}};
  for (const auto& step : steps) {
    EXPECT_EQ(DnkConfigCreateConfigReg(step.mode), step.result) << step.mode;
    EXPECT_EQ(KeyExists(ServicePath("Tarnix")), step.key) << step.mode;
  }
}

TEST_F(Services, TheConfigurationServiceKeyReportsAFailedWrite) {
  BreakStore();
  EXPECT_EQ(tarnix::CreateConfigServiceKey(), 5);
}

}  // namespace
}  // namespace tarnixtest
