#include <windows.h>
#include <gtest/gtest.h>

#include <cstdint>

TEST(GlobalMemory, ZeroedFixedBlockIsItsOwnAddressAndIsFreedOnce) {
  auto* block = static_cast<uint8_t*>(GlobalAlloc(GPTR, 4096));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % alignof(std::max_align_t), 0u);
  for (int i = 0; i < 4096; ++i) ASSERT_EQ(block[i], 0) << i;
  block[4095] = 1;
  EXPECT_EQ(GlobalFree(block), nullptr);
  // A second free would hand the heap a block it has given away.
  EXPECT_EQ(GlobalFree(block), block);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  int local = 0;
  EXPECT_EQ(GlobalFree(&local), &local);
}

TEST(GlobalMemory, OnlyFixedBlocksAreGiven) {
  SetLastError(0);
  EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, 16), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  HGLOBAL empty = GlobalAlloc(GMEM_FIXED, 0);
  EXPECT_NE(empty, nullptr);
  EXPECT_EQ(GlobalFree(empty), nullptr);
}
