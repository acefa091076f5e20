// Digital lines, the input filter and port I/O as an application meets
// them on every road: outputs toggled and read back through the inputs
// they are wired to.
#include <gtest/gtest.h>
#include <halvik.h>

#include "installed_halvik.h"

namespace {

class DigitalIoTest : public InstalledHalvik {
 protected:
  void SetUp() override {
    InstalledHalvik::SetUp();
    install();
    open();
  }
  short openDevice(const char* name) {
    short id = -1;
    EXPECT_EQ(entry<decltype(&XanInit)>("XanInit")(name, &id), 0) << name;
    return id;
  }
};

TEST_F(DigitalIoTest, OutputsToggledAreReadBackOnEachRoad) {
  auto doBit = entry<decltype(&XanOutputDoBit)>("XanOutputDoBit");
  auto doByte = entry<decltype(&XanOutputDoByte)>("XanOutputDoByte");
  auto diBit = entry<decltype(&XanInputDiBit)>("XanInputDiBit");
  auto diByte = entry<decltype(&XanInputDiByte)>("XanInputDiByte");
  for (const char* name : {"HVA1", "DEMO0", "HVU00"}) {
    SCOPED_TRACE(name);
    const short id = openDevice(name);
    short bit = -1, byte = -1;
    ASSERT_EQ(doByte(id, 1, 0x5A), 0);
    ASSERT_EQ(doBit(id, 8, 1), 0);
    ASSERT_EQ(doBit(id, 9, 0), 0);
    EXPECT_EQ(diByte(id, 1, &byte), 0);
    EXPECT_EQ(byte, 0x59);
    EXPECT_EQ(diBit(id, 12, &bit), 0);
    EXPECT_EQ(bit, 1);
    EXPECT_EQ(diBit(id, 13, &bit), 0);
    EXPECT_EQ(bit, 0);
  }
}

TEST_F(DigitalIoTest, TheKernelDriverKeepsTheFilterOfPointZeroFive) {
  auto setFilter = entry<decltype(&XanSetDiFilter)>("XanSetDiFilter");
  auto getFilter = entry<decltype(&XanGetDiFilter)>("XanGetDiFilter");
  const short kernel = openDevice("HVA1"), device = openDevice("DEMO0");
  float value = -1;
  ASSERT_EQ(setFilter(kernel, -1, 0.05f), 0);
  EXPECT_EQ(getFilter(kernel, -1, &value), 0);
  EXPECT_EQ(value, 0.05f);
  ASSERT_EQ(setFilter(kernel, -1, 2.9f), 0);
  EXPECT_EQ(getFilter(kernel, -1, &value), 0);
  EXPECT_EQ(value, 2.0f);
  ASSERT_EQ(setFilter(device, -1, 0.05f), 0);
  EXPECT_EQ(getFilter(device, -1, &value), 0);
  EXPECT_EQ(value, 0.0f);
}

TEST_F(DigitalIoTest, PortsKeepWhatIsWrittenInEachSpaceAndDirectionIsTheVirtualDevices) {
  auto outW = entry<decltype(&XanOutpW)>("XanOutpW");
  auto outD = entry<decltype(&XanOutpD)>("XanOutpD");
  auto inB = entry<decltype(&XanInpB)>("XanInpB");
  auto inW = entry<decltype(&XanInpW)>("XanInpW");
  auto inD = entry<decltype(&XanInpD)>("XanInpD");
  const short kernel = openDevice("HVA1"), device = openDevice("DEMO0");
  LONG v = -1;
  ASSERT_EQ(outW(kernel, 1, 0x10, 0x1234), 0);
  EXPECT_EQ(inB(kernel, 1, 0x10, &v), 0);
  EXPECT_EQ(v, 0x34);
  EXPECT_EQ(inW(kernel, 1, 0x10, &v), 0);
  EXPECT_EQ(v, 0x1234);
  EXPECT_EQ(inW(kernel, 0, 0x10, &v), 0);
  EXPECT_EQ(v, 0);
  ASSERT_EQ(outD(device, 0, 4, -2), 0);
  EXPECT_EQ(inD(device, 0, 4, &v), 0);
  EXPECT_EQ(v, -2);

  LONG address = 0;
  EXPECT_EQ(entry<decltype(&XanGetAddress)>("XanGetAddress")(kernel, 0, &address), 0);
  EXPECT_EQ(address, 0xD000);
  auto setDir = entry<decltype(&XanSetDioDirection)>("XanSetDioDirection");
  auto getDir = entry<decltype(&XanGetDioDirection)>("XanGetDioDirection");
  ASSERT_EQ(setDir(device, 5), 0);
  EXPECT_EQ(getDir(device, &v), 0);
  EXPECT_EQ(v, 5);
  EXPECT_EQ(setDir(kernel, 5), 20001);
}

}  // namespace
