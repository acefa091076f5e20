// The driver loader: start from the service key, unload, and what a driver
// that leaves things behind gets reported.
#include "kernel_fixture.h"

using LoaderTest = KernelTest;

namespace {

HANDLE openDevice() {
  return CreateFileA(ntktest::kDevicePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

bool nothingLeft(const NTK_LEFTOVERS& l) {
  return l.PoolAllocations + l.TimersSet + l.DpcsQueued + l.InterruptsConnected + l.Devices + l.SymbolicLinks == 0;
}

}  // namespace

TEST_F(LoaderTest, ADriverStartsAndUnloadsWithoutLeftovers) {
  plugCard();
  installDriver();
  SIZE_T bytesBefore = 0;
  const ULONG before = NtkPoolOutstanding(&bytesBefore);
  ASSERT_EQ(NtkStartDriver(ntktest::kService, nullptr), STATUS_SUCCESS);
  EXPECT_EQ(NtkStartDriver(ntktest::kService, nullptr), STATUS_IMAGE_ALREADY_LOADED);
  HANDLE device = openDevice();
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  CloseHandle(device);
  NTK_LEFTOVERS left{};
  ASSERT_EQ(NtkUnloadDriver(ntktest::kService, &left), STATUS_SUCCESS);
  EXPECT_TRUE(nothingLeft(left));
  SIZE_T bytesAfter = 0;
  EXPECT_EQ(NtkPoolOutstanding(&bytesAfter), before);
  EXPECT_EQ(bytesAfter, bytesBefore);
  EXPECT_EQ(openDevice(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(NtkUnloadDriver(ntktest::kService, nullptr), STATUS_OBJECT_NAME_NOT_FOUND);
}

TEST_F(LoaderTest, AServiceThatCannotStartSaysWhy) {
  struct Case {
    const char* image;  // nullptr: no service key
    NTSTATUS status;
  } cases[] = {
      {nullptr, STATUS_OBJECT_NAME_NOT_FOUND},
      {"no_such_driver", STATUS_DRIVER_UNABLE_TO_LOAD},
      {"ntktestcard", STATUS_PROCEDURE_NOT_FOUND},  // a library without DriverEntry
  };
  for (const Case& c : cases) {
    if (c.image != nullptr) installDriver(ntktest::kNoFault, c.image);
    EXPECT_EQ(NtkStartDriver(ntktest::kService, nullptr), c.status) << (c.image ? c.image : "no key");
  }
}

TEST_F(LoaderTest, WhatAFailedStartOrASloppyUnloadLeavesIsTakenDownAndReported) {
  plugCard();
  installDriver(ntktest::kFailEntryLeavingDevice);
  NTK_LEFTOVERS left{};
  EXPECT_EQ(NtkStartDriver(ntktest::kService, &left), STATUS_UNSUCCESSFUL);
  EXPECT_EQ(left.Devices, 1u);
  EXPECT_EQ(left.SymbolicLinks, 1u);
  EXPECT_EQ(openDevice(), INVALID_HANDLE_VALUE);

  // A second load of the image is charged only with its own leak.
  installDriver(ntktest::kSloppyUnload);
  for (int load = 1; load <= 2; ++load) {
    ASSERT_EQ(NtkStartDriver(ntktest::kService, nullptr), STATUS_SUCCESS);
    ASSERT_EQ(NtkUnloadDriver(ntktest::kService, &left), STATUS_SUCCESS);
    EXPECT_EQ(left.TimersSet, 1u) << load;
    EXPECT_EQ(left.PoolAllocations, 1u) << load;
    EXPECT_EQ(left.PoolBytes, 64u) << load;
    EXPECT_EQ(left.InterruptsConnected + left.Devices + left.SymbolicLinks, 0u) << load;
  }
}

// Once per process: the test runs in a process of its own.
TEST_F(LoaderTest, TheFirstOpenOfAnUnknownDeviceStartsTheAutoStartDrivers) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  plugCard();
  installDriver(ntktest::kNoFault, "ntktestdrv", 2);
  EXPECT_EXIT(
      {
        HANDLE device = openDevice();
        const bool opened = device != INVALID_HANDLE_VALUE;
        CloseHandle(device);
        const bool once = NtkStartAutoStartDrivers() == 0;
        NTK_LEFTOVERS left{};
        const bool unloaded = NtkUnloadDriver(ntktest::kService, &left) == STATUS_SUCCESS && nothingLeft(left);
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);  // the child ends before its TearDown
        std::exit(opened && once && unloaded ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}
