// Both serial units through the library's exports, each on a simulated
// unit behind a pseudo-terminal that COM3 is mapped to.
#include <gtest/gtest.h>
#include <serialunit.h>
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "backends/serial/serial_backend.h"
#include "status/message.h"
#include "vekmath.h"

using serialunit::Protocol;
using serialunit::SerialUnit;
using vekmath::messageText;

namespace {

constexpr LONG kChannels = 4;
constexpr int kWaitMs = 10000;

struct Unit {
  LONG code;
  Protocol protocol;
  speed_t speed;
  int zero;
};

constexpr Unit kUnitA = {33, Protocol::Commands, B460800, 0};
constexpr Unit kUnitB = {34, Protocol::Streaming, B115200, 2048};

class SerialUnits : public ::testing::Test {
 protected:
  void TearDown() override {
    StopSampling(nullptr);
    CloseBoard(nullptr);
    unsetenv("ORVANE_COM3");
  }

  // A unit on COM3, the library configured for it.
  LONG setUp(const Unit& unit) {
    sim_ = std::make_unique<SerialUnit>(serialunit::UnitOptions{unit.protocol, kChannels, 0});
    EXPECT_FALSE(sim_->portPath().empty());
    setenv("ORVANE_COM3", sim_->portPath().c_str(), 1);
    SelectBoard(unit.code, 0, "COM3");
    const SHORT list[32] = {1, 2, 3, 4};
    LONG status = -1;
    SetupSampling(kChannels, list, 100, 1, 1000, 0, 0, 0, 0, &status);
    return status;
  }

  LONG start() {
    LONG status = -1;
    StartSampling(&status);
    return status;
  }

  // Reads `scans` scans; status of ReadBlock.
  LONG read(std::vector<SHORT>& block, LONG scans, LONG* running = nullptr) {
    block.assign(static_cast<std::size_t>(kChannels * scans), 0);
    LONG status = -1;
    ReadBlock(block.data(), scans, running, &status);
    return status;
  }

  // Expects block to hold lines 0, 1, ... of the known signal.
  static void expectLines(const Unit& unit, const std::vector<SHORT>& block) {
    for (std::size_t i = 0; i < block.size(); ++i) {
      const int64_t line = static_cast<int64_t>(i / kChannels);
      const int c = static_cast<int>(i % kChannels);
      ASSERT_EQ(block[i], serialunit::valueOf(unit.protocol, line, c) - unit.zero) << "line " << line << " ch " << c;
    }
  }

  std::unique_ptr<SerialUnit> sim_;
};

TEST_F(SerialUnits, BothUnitsDeliverTheirLinesAsScans) {
  const std::string startCommand("START     \r\0", 12);
  std::string tenEnds;
  for (int i = 0; i < 10; ++i) tenEnds += "END       \r";
  for (const Unit& unit : {kUnitA, kUnitB}) {
    SCOPED_TRACE(unit.code);
    ASSERT_EQ(setUp(unit), 0) << messageText();
    EXPECT_EQ(sim_->portSpeed(), unit.speed);
    ASSERT_EQ(start(), 0) << messageText();
    sim_->sendLines(250);
    std::vector<SHORT> block;
    LONG running = 0;
    ASSERT_EQ(read(block, 250, &running), 0) << messageText();
    EXPECT_EQ(running, 1);
    expectLines(unit, block);
    LONG status = -1;
    EXPECT_EQ(StopSampling(&status), 0);
    // Unit A hears its two commands; unit B is sent nothing.
    EXPECT_EQ(sim_->received(), unit.protocol == Protocol::Commands ? startCommand + tenEnds : "");
    CloseBoard(&status);
  }
}

TEST_F(SerialUnits, MalformedLinesAreDroppedAndCounted) {
  ASSERT_EQ(setUp(kUnitB), 0) << messageText();
  ASSERT_EQ(start(), 0) << messageText();
  sim_->sendLines(3);
  sim_->sendText("1,2\r\n1,2,3,4,5\r\n");
  sim_->sendLines(3);
  std::vector<SHORT> block;
  ASSERT_EQ(read(block, 6), 0) << messageText();
  expectLines(kUnitB, block);
  EXPECT_EQ(vekmath::serialDroppedLines(), 2);
}

TEST_F(SerialUnits, StopEndsTheWaitOnASilentUnit) {
  for (const Unit& unit : {kUnitA, kUnitB}) {
    SCOPED_TRACE(unit.code);
    ASSERT_EQ(setUp(unit), 0) << messageText();
    ASSERT_EQ(start(), 0) << messageText();
    ASSERT_TRUE(sim_->waitUntilSending(kWaitMs));
    LONG status = -1;
    EXPECT_EQ(StopSampling(&status), 0);
    LONG running = -1, scans = -1;
    GetSamplingStatus(&running, &scans, &status);
    EXPECT_EQ(running, 0);
    EXPECT_EQ(scans, 0);
    CloseBoard(&status);
  }
}

// An unplugged unit ends the run with the port's failure at once: silence
// for the rest of the run would tell the operator nothing.
TEST_F(SerialUnits, AUnitThatGoesAwayEndsTheRunWithTheComPortStatus) {
  for (const Unit& unit : {kUnitA, kUnitB}) {
    SCOPED_TRACE(unit.code);
    ASSERT_EQ(setUp(unit), 0) << messageText();
    ASSERT_EQ(start(), 0) << messageText();
    sim_->sendLines(150);
    std::vector<SHORT> block;
    ASSERT_EQ(read(block, 150), 0) << messageText();
    expectLines(unit, block);
    sim_->unplug();
    LONG running = 1, scans = 0, status = 0;
    for (int i = 0; i < kWaitMs && running != 0; ++i) {
      GetSamplingStatus(&running, &scans, &status);
      if (running != 0) Sleep(1);
    }
    ASSERT_EQ(running, 0);
    // The status is stored before the run flag falls: ask again.
    GetSamplingStatus(&running, &scans, &status);
    EXPECT_EQ(status, vekmath::kStatusComPort);
    EXPECT_NE(messageText().find("753b\n"), std::string::npos) << messageText();
    StopSampling(&status);
    CloseBoard(&status);
  }
}

TEST_F(SerialUnits, PortsThatCannotServeGiveTheComPortStatus) {
  struct Case {
    const char* name;
    const char* device;
    const char* mapping;  // of COM3
  } const cases[] = {
      {"no such port", "COM3", "/nonexistent/tty"},
      {"opens but takes no port settings", "/dev/null", nullptr},
  };
  const std::string codeLine = "753b\n";  // 30011
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.mapping != nullptr) setenv("ORVANE_COM3", c.mapping, 1);
    SelectBoard(34, 0, c.device);
    const SHORT list[32] = {1};
    LONG status = -1;
    SetupSampling(1, list, 100, 1, 1000, 0, 0, 0, 0, &status);
    EXPECT_EQ(status, vekmath::kStatusComPort);
    EXPECT_NE(messageText().find(codeLine), std::string::npos);
  }
}

TEST_F(SerialUnits, APortHeldElsewhereIsRefused) {
  sim_ = std::make_unique<SerialUnit>(serialunit::UnitOptions{Protocol::Streaming, kChannels, 0});
  setenv("ORVANE_COM3", sim_->portPath().c_str(), 1);
  HANDLE held = CreateFileA("COM3", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  SelectBoard(34, 0, "COM3");
  const SHORT list[32] = {1};
  LONG status = -1;
  SetupSampling(1, list, 100, 1, 1000, 0, 0, 0, 0, &status);
  EXPECT_EQ(status, vekmath::kStatusComPort);
  CloseHandle(held);
}

// Unit B's stop closed its port: a start without a new set-up ends at its
// first read instead of spinning on a dead port.
TEST_F(SerialUnits, UnitBRestartedAfterItsStopEndsWithTheComPortStatus) {
  ASSERT_EQ(setUp(kUnitB), 0) << messageText();
  ASSERT_EQ(start(), 0);
  LONG status = -1;
  StopSampling(&status);
  // The thread's failed read may come before the start reports the last
  // status, or between a read's status check and its run-flag check (which
  // answers the ended run's code); the run flag falls after the status.
  const LONG restarted = start();
  EXPECT_TRUE(restarted == 0 || restarted == vekmath::kStatusComPort) << restarted;
  std::vector<SHORT> block;
  LONG running = -1;
  for (int i = 0; i < kWaitMs && running != 0; ++i) {
    const LONG status = read(block, 10, &running);
    ASSERT_TRUE(status == vekmath::kStatusComPort || status == vekmath::kStatusParameter) << status;
    if (running != 0) Sleep(1);
  }
  EXPECT_EQ(running, 0);
}

// CloseBoard after unit B's stop must not close the port's handle value
// again: by then it may name somebody else's object.
TEST_F(SerialUnits, CloseAfterUnitBsStopLeavesAReusedHandleAlone) {
  constexpr DWORD kPortValue = 0x40000000;
  PlatSetNextHandleValue(kPortValue);
  ASSERT_EQ(setUp(kUnitB), 0) << messageText();
  ASSERT_EQ(start(), 0);
  LONG status = -1;
  StopSampling(&status);
  PlatSetNextHandleValue(kPortValue);
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_EQ(reinterpret_cast<uintptr_t>(event), kPortValue);
  CloseBoard(&status);
  EXPECT_TRUE(SetEvent(event));
  CloseHandle(event);
}

}  // namespace
