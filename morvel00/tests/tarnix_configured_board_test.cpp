// The configuration library and the older boards meet only in the
// registry: a board list saved by the configuration library is what the
// driver starts from and what the older library opens by name.
#include <gtest/gtest.h>
#include <installer.h>
#include <morvel.h>
#include <ntkrnl/ntkrnl_host.h>
#include <tarnix.h>
#include <tarnix_records.h>

#include <cstring>

#include "library_state.h"
#include "support/driver_setup.h"

namespace {

morvelboard::Waveform levelOf(unsigned c) { return {morvelboard::Waveform::Shape::Constant, 0.05 * (c + 2), 0, 1}; }

TEST(TarnixConfiguredBoard, ASavedListStartsTheDriverAndTheBoardOpensByItsObjectName) {
  morvel00test::FreshMachine machine;
  tarnix::Library().serviceSettleMs = 0;
  const morvel00test::BoardEntry entry = morvel00test::DefaultBoard(0x340, 7);
  auto board = morvelboard::PlugBoard(entry.slot, entry.spec);
  for (unsigned c = 0; c < 16; ++c) board->SetWaveform(c, levelOf(c));

  static tarnix::BoardList<tarnix::AnalogBoardRecord> list;
  list = {};
  list.count = 1;
  tarnix::AnalogBoardRecord& r = list.records[0];
  r.head = {0, 1, 1, {}};
  std::strcpy(r.head.boardName, entry.spec.model.c_str());
  r.ioAddress = entry.spec.ioBase;
  r.irqNo = entry.spec.interruptLine;
  r.dma = r.memoryAddress = -1;
  r.boardId = entry.spec.boardId;
  r.slotNo = -1;
  std::strcpy(r.objectName, "AIBOARD1");
  ASSERT_EQ(DnkConfigSaveListData(2, &list), kDnkOk);
  EXPECT_EQ(DnkConfigIsDriverStarted("Morvel00"), 1);

  XanHandle h = 0;
  ASSERT_EQ(XanOpenEx("aiboard1", &h), 0);
  uint16_t channels[2] = {3, 9};
  uint16_t values[2] = {};
  XanIoParams io{values, channels, 2};
  ASSERT_EQ(XanInp(h, &io), 0);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(values[i], morvelboard::SignalValue(levelOf(channels[i]), 12, 0)) << i;
  EXPECT_EQ(XanClose(h), 0);

  // What was saved loads back (its resources would come from the
  // configuration driver, which this machine has not).
  static tarnix::BoardList<tarnix::AnalogBoardRecord> loaded;
  EXPECT_EQ(DnkConfigLoadListData(2, &loaded, 0), kDnkOk);
  ASSERT_EQ(loaded.count, 1u);
  EXPECT_STREQ(loaded.records[0].head.boardName, entry.spec.model.c_str());
  EXPECT_STREQ(loaded.records[0].objectName, "AIBOARD1");

  // Removing the kind stops the driver with its services.
  EXPECT_EQ(DnkConfigDeleteDnkReg(2), kDnkOk);
  EXPECT_EQ(DnkConfigIsDriverStarted("Morvel00"), 0);
  XanHandle gone = 0;
  EXPECT_NE(XanOpenEx("AIBOARD1", &gone), 0);
}

}  // namespace
