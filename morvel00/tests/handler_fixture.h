// One board opened through the probe build of the driver, so that a test
// can put the record into a state whose handler is another's (a running
// input), and send requests or pend waits with the owner's handle.
#pragma once
#include "driver_fixture.h"

class HandlerTest : public DriverTest {
 protected:
  void SetUp() override {
    DriverTest::SetUp();
    ASSERT_EQ(start({{{board()}}}, morvel00test::kService, "Morvel00Probe"), STATUS_SUCCESS);
    morvel00::XanDeviceExtension* ext = probeExtension();
    ASSERT_NE(ext, nullptr);
    rec_ = &ext->records[0];
    h_ = open();
    ASSERT_EQ(openGroup(h_, 1), XAN_OK);
    boards_.at(0)->SetTrace(true);
  }
  virtual morvel00test::BoardEntry board() { return morvel00test::DefaultBoard(); }

  struct Wait {
    XanRequest record{};
    OVERLAPPED overlapped{};
    Wait() { overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr); }
    ~Wait() { CloseHandle(overlapped.hEvent); }
    bool done() const { return WaitForSingleObject(overlapped.hEvent, 0) == WAIT_OBJECT_0; }
  };
  bool pend(Wait& w, uint32_t offset) {
    w.record.head.handle = value(h_);
    const DWORD size = XanRecordSize(offset);
    return DeviceIoControl(h_, XanCode(offset), &w.record, size, &w.record, size, nullptr, &w.overlapped);
  }
  // The request with the owner's handle; its record as it came back.
  XanRequest request(uint32_t offset, XanRequest r = {}) {
    r.head.handle = value(h_);
    EXPECT_TRUE(send(h_, offset, r).has_value());
    return r;
  }
  morvelboard::Registers registers() { return boards_.at(0)->Snapshot(); }
  // Port writes since the last call, as {offset, value}.
  std::vector<std::pair<uint8_t, uint32_t>> writes() {
    std::vector<std::pair<uint8_t, uint32_t>> out;
    for (const auto& a : boards_.at(0)->TakeTrace()) {
      if (a.write) out.emplace_back(a.offset, a.value);
    }
    return out;
  }

  morvel00::XanBoardRecord* rec_ = nullptr;
  HANDLE h_ = nullptr;
};
