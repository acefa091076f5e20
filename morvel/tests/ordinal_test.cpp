// The library as the processing library meets it: loaded by module name and
// bound by ordinal.
#include <gtest/gtest.h>

#include <set>

#include <morvel.h>

namespace {

TEST(OrdinalTest, OrdinalsTwoToFiftyTwoAreDistinctExportsAndTheBoundOnesMatchTheirNames) {
  HMODULE m = LoadLibraryA("Morvel.dll");
  ASSERT_NE(m, nullptr);
  std::set<FARPROC> seen;
  for (WORD ordinal = 2; ordinal <= 52; ++ordinal) {
    FARPROC f = GetProcAddress(m, MAKEINTRESOURCEA(ordinal));
    EXPECT_NE(f, nullptr) << ordinal;
    EXPECT_TRUE(seen.insert(f).second) << ordinal;
  }
  const std::pair<WORD, const char*> bound[] = {{MORVEL_ORD_XanOpen, "XanOpen"},   {MORVEL_ORD_XanInpBdMem, "XanInpBdMem"},
                                                {MORVEL_ORD_XanReadBuf, "XanReadBuf"}, {MORVEL_ORD_XanSts, "XanSts"},
                                                {MORVEL_ORD_XanStop, "XanStop"},   {MORVEL_ORD_XanClose, "XanClose"},
                                                {MORVEL_ORD_XanSetRange, "XanSetRange"}};
  for (auto [ordinal, name] : bound) EXPECT_EQ(GetProcAddress(m, MAKEINTRESOURCEA(ordinal)), GetProcAddress(m, name)) << name;
  auto open = reinterpret_cast<decltype(&XanOpen)>(GetProcAddress(m, MAKEINTRESOURCEA(MORVEL_ORD_XanOpen)));
  XanHandle h = 0;
  EXPECT_EQ(open(&h, 56, 1), 1);
  FreeLibrary(m);
}

}  // namespace
