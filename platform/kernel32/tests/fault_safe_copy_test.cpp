#include <platform/fault_safe_copy.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "kernel32/fault_safe_copy_ways.h"

namespace {

// By the system's own copy and by the pipe the layer falls back to.
TEST(FaultSafeCopyTest, AnswersAStatusWhereAPlainCopyWouldFault) {
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  const size_t writable = 32 * page;  // more than a pipe holds at once
  // Writable, read-only, no access.
  auto* region = static_cast<char*>(
      mmap(nullptr, writable + 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(region, MAP_FAILED);
  ASSERT_EQ(mprotect(region + writable, page, PROT_READ), 0);
  ASSERT_EQ(mprotect(region + writable + page, page, PROT_NONE), 0);
  std::vector<char> local(writable);
  for (size_t i = 0; i < local.size(); ++i) local[i] = static_cast<char>(i * 7 + 1);
  using Way = LONG (*)(void* to, const void* from, size_t length, bool toCaller);
  const Way ways[] = {
      [](void* to, const void* from, size_t length, bool toCaller) {
        return toCaller ? plat::CopyToCaller(to, from, length) : plat::CopyFromCaller(to, from, length);
      },
      [](void* to, const void* from, size_t length, bool) { return plat::copyThroughPipe(to, from, length); },
  };
  const struct {
    char* caller;
    size_t length;
    bool toCaller;
    LONG status;
  } cases[] = {
      {region, writable, true, PLAT_STATUS_SUCCESS},
      {region + writable - 8, 16, true, PLAT_STATUS_ACCESS_VIOLATION},  // part of it would land: still a failure
      {region + writable - page, 2 * page, true, PLAT_STATUS_ACCESS_VIOLATION},  // the pipe's read stops short
      {region + writable, 16, true, PLAT_STATUS_ACCESS_VIOLATION},      // read-only
      {region + writable, 16, false, PLAT_STATUS_SUCCESS},
      {region + writable + page, 16, false, PLAT_STATUS_ACCESS_VIOLATION},
      {region + writable + page, 16, true, PLAT_STATUS_ACCESS_VIOLATION},
      {nullptr, 4, false, PLAT_STATUS_ACCESS_VIOLATION},
      {nullptr, 0, true, PLAT_STATUS_SUCCESS},
  };
  for (size_t way = 0; way < std::size(ways); ++way) {
    for (const auto& c : cases) {
      std::fill(region, region + writable, 0);
      void* to = c.toCaller ? c.caller : local.data();
      const void* from = c.toCaller ? local.data() : c.caller;
      EXPECT_EQ(ways[way](to, from, c.length, c.toCaller), c.status)
          << way << ": " << static_cast<void*>(c.caller) << " + " << c.length << (c.toCaller ? " to" : " from");
      if (c.status == PLAT_STATUS_SUCCESS && c.length != 0) {
        EXPECT_EQ(std::memcmp(to, from, c.length), 0) << way;
      }
    }
  }
  munmap(region, writable + 2 * page);
}

}  // namespace
