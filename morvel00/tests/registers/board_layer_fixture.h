// Simulated boards plugged on the kernel layer's bus in the manual clock
// mode, and a board record describing them, for the register routines and
// board operations to drive through READ_PORT_* / WRITE_PORT_*.
#pragma once
#include <gtest/gtest.h>
#include <installer.h>
#include <morvelboard.h>
#include <ntkrnl/ntkrnl_host.h>
#include <platform/hardware_bus.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "board_record.h"

namespace morvel00 {

class BoardLayerTest : public ::testing::Test {
 protected:
  static constexpr uint16_t kBase = 0xD000;

  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "boardlayer_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    ::setenv("ORVANE_REGISTRY", (dir_ + "/registry.sqlite").c_str(), 1);
    plat::bus::SetClockMode(plat::bus::ClockMode::Manual);
    plat::bus::UnplugAll();
    rec = std::make_unique<XanBoardRecord>();
    rec->interruptLine = 9;
  }
  void TearDown() override {
    boards.clear();
    plat::bus::UnplugAll();
    ::unsetenv("ORVANE_REGISTRY");
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  // Plugs a board of `model` as the record's next board; tracing is on.
  morvelboard::MorvelBoard& addBoard(const char* model = "MVA-1216PCI", uint16_t inputs = 16) {
    const unsigned b = static_cast<unsigned>(rec->boardCount);
    morvelboard::BoardSpec spec = *morvelboard::SpecForModel(model);
    spec.ioBase = static_cast<uint16_t>(kBase + 0x10 * b);
    spec.interruptLine = 9;
    auto board = morvelboard::PlugBoard({0, 4 + b, 0}, spec);
    EXPECT_NE(board, nullptr);
    board->SetTrace(true);
    boards.push_back(board);
    rec->ioBase[b] = spec.ioBase;
    rec->boardType[b] = static_cast<uint16_t>(spec.boardType);
    rec->inputChannels[b] = inputs;
    rec->inputTotal = static_cast<uint16_t>(rec->inputTotal + inputs);
    rec->boardCount = static_cast<int16_t>(b + 1);
    if (b == 0) rec->memorySamples = morvelboard::MemorySamples(spec.boardType);
    return *board;
  }
  morvelboard::MorvelBoard& board(unsigned b = 0) { return *boards.at(b); }

  std::vector<morvelboard::PortAccess> trace(unsigned b = 0) { return board(b).TakeTrace(); }
  // The trace as {offset, value} of the writes only.
  std::vector<std::pair<int, uint32_t>> writes(unsigned b = 0) {
    std::vector<std::pair<int, uint32_t>> out;
    for (const auto& a : trace(b)) {
      if (a.write) out.emplace_back(a.offset, a.value);
    }
    return out;
  }
  // Lets the machine (and the boards' clocks) run on.
  static void advance(uint64_t ns) { plat::bus::Advance(ns); }

  std::unique_ptr<XanBoardRecord> rec;
  std::vector<std::shared_ptr<morvelboard::MorvelBoard>> boards;

 private:
  std::string dir_;
};

}  // namespace morvel00
