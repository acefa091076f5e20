// The older library over the real driver: a board opened by index and by
// its object name reaches the simulated board and is closed again.
#include <morvel.h>

#include <cstring>
#include <string>

#include "driver_fixture.h"

namespace {

void NameGroup(const char* service, int group, const char* name) {
  const std::string path = std::string("SYSTEM\\CurrentControlSet\\Services\\") + service + "\\GroupNumber" +
                           std::to_string(group);
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "ObjectName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                 static_cast<DWORD>(std::strlen(name) + 1));
  RegCloseKey(key);
}

TEST_F(DriverTest, TheLibraryOpensABoardByIndexAndByNameThroughTheDriver) {
  ASSERT_EQ(startOneBoard(), STATUS_SUCCESS);
  NameGroup(morvel00test::kService, 1, "AIBOARD1");

  XanHandle byIndex = 0;
  ASSERT_EQ(XanOpen(&byIndex, 20, 1), 0);
  EXPECT_NE(byIndex, 0u);
  EXPECT_EQ(XanClose(byIndex), 0);

  XanHandle byName = 0;
  ASSERT_EQ(XanOpenEx("aiboard1", &byName), 0);
  EXPECT_NE(byName, 0u);
  EXPECT_EQ(XanClose(byName), 0);

  // A group the driver has no board for, and a name nobody configured.
  XanHandle none = 0;
  EXPECT_NE(XanOpen(&none, 20, 2), 0);
  EXPECT_NE(XanOpenEx("NOSUCHBOARD", &none), 0);
}

}  // namespace
