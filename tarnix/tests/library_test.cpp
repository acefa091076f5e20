// The library as a configuration program meets it: loaded by its module
// name, every export found by its ordinal.
#include <gtest/gtest.h>
#include <windows.h>

#include <tarnix.h>

namespace {

TEST(TarnixLibrary, EveryOrdinalFindsItsExport) {
  HMODULE module = LoadLibraryA("Tarnix.dll");
  ASSERT_NE(module, nullptr);
  int found = 0;
  for (WORD ordinal = 2; ordinal <= 52; ++ordinal) {
    if (GetProcAddress(module, MAKEINTRESOURCEA(ordinal)) != nullptr) ++found;
  }
  EXPECT_EQ(found, 51);
  EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(1)), nullptr);
  EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(2)), GetProcAddress(module, "DnkConfigLoadFile"));
  EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(52)), GetProcAddress(module, "DnkConfigGetPciResourceNT"));
  FreeLibrary(module);
}

}  // namespace
