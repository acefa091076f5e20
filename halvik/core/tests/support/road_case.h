// Table rows for the setting tests: one call on one road, the request it
// must send (code, size, bytes) and the answer it gets.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "fake_roads.h"

namespace halvik::testing {

// Ids of the three devices a RoadsTest registers.
inline constexpr short kKernelId = 1, kVirtualId = 2, kAttachedId = 3;

struct Bytes {
  uint16_t at;
  uint8_t width;
  int64_t value;
};

struct RoadCase {
  const char* what;
  std::function<LONG()> call;
  DWORD code;
  DWORD size;
  std::vector<Bytes> sent;
  std::vector<Bytes> reply = {};
  std::function<bool()> output = nullptr;  // the caller's variable after success
};

// An argument check: the status it gives; a refusal sends nothing, not
// even the ownership check.
struct CheckCase {
  LONG expected;
  std::function<LONG()> call;
};

class RoadsTest : public ::testing::Test {
 protected:
  void expectCheck(const CheckCase& c) {
    roads.ownershipChecks = 0;
    roads.sent.clear();
    EXPECT_EQ(c.call(), c.expected);
    if (c.expected != 0) {
      EXPECT_EQ(roads.ownershipChecks + roads.sent.size(), 0u) << c.expected;
    }
  }

  void SetUp() override {
    roads.addDevice(kKernelId, 1);
    roads.addDevice(kVirtualId, 10);
    roads.addDevice(kAttachedId, 3);
  }

  void expectCase(const RoadCase& c) {
    SCOPED_TRACE(c.what);
    roads.sent.clear();
    roads.reply = [&c](unsigned char* bytes, DWORD) {
      for (const Bytes& b : c.reply) putAt(bytes, b.at, b.width, b.value);
    };
    EXPECT_EQ(c.call(), 0);
    ASSERT_EQ(roads.sent.size(), 1u);
    const Sent& s = roads.sent[0];
    EXPECT_EQ(s.code, c.code);
    EXPECT_EQ(s.bytes.size(), c.size);
    for (const Bytes& b : c.sent) EXPECT_EQ(s.at(b.at, b.width), b.value) << "at " << b.at;
    if (c.output) {
      EXPECT_TRUE(c.output());
    }
  }

  FakeRoads roads;
};

}  // namespace halvik::testing
