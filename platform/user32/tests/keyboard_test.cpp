#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

TEST(Keyboard, SubtypeComesFromTheSettingAndTheOtherFlagsAreFixed) {
  struct Case {
    const char* setting;
    int subtype;
  } cases[] = {{nullptr, 0}, {"0x0D01", 0x0D01}, {"3332", 0x0D04}, {"junk", 0}, {"-1", 0}};
  for (const Case& c : cases) {
    if (c.setting) setenv("ORVANE_KEYBOARD_SUBTYPE", c.setting, 1);
    else unsetenv("ORVANE_KEYBOARD_SUBTYPE");
    EXPECT_EQ(GetKeyboardType(1), c.subtype) << (c.setting ? c.setting : "unset");
    EXPECT_EQ(GetKeyboardType(0), 4);
    EXPECT_EQ(GetKeyboardType(2), 12);
  }
  unsetenv("ORVANE_KEYBOARD_SUBTYPE");
  EXPECT_EQ(GetKeyboardType(7), 0);
}
