// The NI digital lines over the stand-in's loopback register.
#include "ni_fixture.h"

using nitest::NiStandIn;

namespace {

TEST_F(NiStandIn, DigitalLinesFollowTheOutputMask) {
  SelectBoard(12, 0, "Dev1");
  OpenDigitalIO(0x0F0F, 0);
  EXPECT_TRUE(logged("DAQmxCreateDOChan(Dev1/port0/line0,Dev1/port0/line1,Dev1/port0/line2,Dev1/port0/line3,"
                     "Dev1/port1/line0,Dev1/port1/line1,Dev1/port1/line2,Dev1/port1/line3,,1)"))
      << log();
  EXPECT_TRUE(logged("DAQmxCreateDIChan(Dev1/port0/line4,Dev1/port0/line5,Dev1/port0/line6,Dev1/port0/line7,,1)"));

  WriteDigitalOut(0xA5, 0);
  EXPECT_EQ(hook<nisim::LinesProc>("NisimLines")("Dev1"), 0x0A05u);
  hook<nisim::SetLinesProc>("NisimSetLines")("Dev1", 0x0050);
  DWORD value = 0;
  ReadDigitalIn(&value, 0);
  EXPECT_EQ(value, 0x5u);
  DigitalNop(1);

  // Reopening ends the tasks open before; a stop ends them too.
  OpenDigitalIO(0x0F0F, 0);
  EXPECT_EQ(liveTasks(), 2);
  StopSampling(nullptr);
  EXPECT_EQ(liveTasks(), 0);
}

// With every line an output there is no input list, and so no input task.
TEST_F(NiStandIn, AnAllOutputMaskMakesNoInputTask) {
  SelectBoard(12, 0, "Dev1");
  OpenDigitalIO(0x0FFF, 0);
  EXPECT_FALSE(logged("DAQmxCreateDIChan"));
  EXPECT_EQ(liveTasks(), 1);
  DWORD value = 77;
  ReadDigitalIn(&value, 0);
  EXPECT_EQ(value, 77u);
}

}  // namespace
