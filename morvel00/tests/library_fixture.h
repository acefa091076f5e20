// A group opened through the older library's exports against the real
// driver and its simulated boards.
#pragma once
#include <morvel.h>

#include "driver_fixture.h"

class LibraryTest : public DriverTest {
 protected:
  // Starts one group of `boards` and opens it; traces the first board.
  void openGroupOf(const std::vector<morvel00test::BoardEntry>& boards) {
    ASSERT_EQ(start({{boards}}), STATUS_SUCCESS);
    ASSERT_EQ(XanOpen(&h_, 20, 1), 0);
    boards_.at(0)->SetTrace(true);
  }
  void TearDown() override {
    if (h_ != 0) XanClose(h_);
    DriverTest::TearDown();
  }
  morvelboard::Registers registers(size_t board = 0) { return boards_.at(board)->Snapshot(); }
  // Port writes since the last call, as {offset, value}.
  std::vector<std::pair<uint8_t, uint32_t>> writes() {
    std::vector<std::pair<uint8_t, uint32_t>> out;
    for (const auto& a : boards_.at(0)->TakeTrace()) {
      if (a.write) out.emplace_back(a.offset, a.value);
    }
    return out;
  }

  XanHandle h_ = 0;
};
