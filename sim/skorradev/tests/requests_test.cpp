// The request frame: sizes, device numbers, faults, and the one-request
// functions of the board.
#include "skorradev_fixture.h"

class SkorradevRequestTest : public SkorradevTest {
 protected:
  void SetUp() override {
    SkorradevTest::SetUp();
    h1 = open(1);
    h2 = open(2);
    ASSERT_NE(h1, INVALID_HANDLE_VALUE);
    ASSERT_NE(h2, INVALID_HANDLE_VALUE);
  }
  HANDLE h1 = nullptr, h2 = nullptr;
};

TEST_F(SkorradevRequestTest, CapabilitiesAndPciInformationNameTheModel) {
  SkorradevDeviceInfoReply info{1, {}};
  ASSERT_EQ(request(h1, SKDF_DEVICE_INFO, info), 0u);
  EXPECT_EQ(info.info[SKDI_MODEL], 4591u);
  EXPECT_EQ(info.info[SKDI_RESOLUTION], 16u);
  EXPECT_EQ(info.info[SKDI_SINGLE_CHANNELS], 32u);
  EXPECT_NE(info.info[SKDI_RANGE_MASK] & 0x80000u, 0u);
  EXPECT_EQ(info.info[SKDI_CLOCK_KIND], 1u);
  EXPECT_NE(info.info[SKDI_PERIOD_ONE], 0u);

  SkorradevPciInfo pci{2, {}};
  ASSERT_EQ(request(h2, SKDF_PCI_INFO, pci), 0u);
  EXPECT_EQ(pci.value[0], 4597u);    // reply dword 1: model / subsystem id
  EXPECT_EQ(pci.value[10], 0x2890u);  // reply dword 11: PCI device id

  SkorradevMoreInfoReply more{1, 0, 0, {}};
  ASSERT_EQ(request(h1, SKDF_MORE_DEVICE_INFO, more), 0u);
  EXPECT_EQ(more.model, 4591);
  EXPECT_EQ((more.variant >> 10) & 7, 2);
  EXPECT_EQ(more.variant & 0x7F, 58);

  SkorradevVersionReply version{1, {}};
  ASSERT_EQ(request(h1, SKDF_VERSION, version), 0u);
  EXPECT_LT(std::strlen(version.text[0]), 16u);
  EXPECT_LT(std::strlen(version.text[1]), 16u);
}

TEST_F(SkorradevRequestTest, ATestRecordMakesTheBoardAnotherModelUntilItIsTakenBack) {
  SkorradevDeviceInfoReply own{1, {}};
  ASSERT_EQ(request(h1, SKDF_DEVICE_INFO, own), 0u);
  SkorradevDeviceInfoReply other = own;
  other.info[SKDI_MODEL] = 4809;
  other.info[1] = 1;
  other.info[SKDI_RESOLUTION] = 12;
  other.info[60] = 0x60;  // a dword the board does not read is reported as given
  ASSERT_TRUE(SkorradevSimSetDeviceInfo(1, other.info));
  SkorradevDeviceInfoReply info{1, {}};
  ASSERT_EQ(request(h1, SKDF_DEVICE_INFO, info), 0u);
  EXPECT_EQ(std::memcmp(info.info, other.info, sizeof info.info), 0);
  SkorradevPciInfo pci{1, {}};
  ASSERT_EQ(request(h1, SKDF_PCI_INFO, pci), 0u);
  EXPECT_EQ(pci.value[0], 4809u);
  SkorradevMoreInfoReply more{1, 0, 0, {}};
  ASSERT_EQ(request(h1, SKDF_MORE_DEVICE_INFO, more), 0u);
  EXPECT_EQ(more.model, 4809);
  EXPECT_EQ(more.variant, 1);

  // A run samples at the record's resolution.
  SkorradevSimSetManualClock(1, TRUE);
  auto cfg = normalConfig(1, {1}, 10, 1);
  ASSERT_EQ(request(h1, SKDF_SET_CONFIG, cfg), 0u);
  ASSERT_EQ(start(h1, 1), 0u);
  EXPECT_FALSE(SkorradevSimSetDeviceInfo(1, nullptr));  // not while it samples
  ASSERT_TRUE(SkorradevSimAdvance(1, 10));
  uint16_t data[10] = {};
  SkorradevDataRequest read{1, 10, reinterpret_cast<uintptr_t>(data)};
  ASSERT_EQ(request(h1, SKDF_READ_DATA, read), 0u);
  EXPECT_EQ(data[9], SkorradevSimSample(1, 1, 9, 12));

  ASSERT_TRUE(SkorradevSimSetDeviceInfo(1, nullptr));
  info.head = 1;
  ASSERT_EQ(request(h1, SKDF_DEVICE_INFO, info), 0u);
  EXPECT_EQ(std::memcmp(info.info, own.info, sizeof info.info), 0);
}

TEST_F(SkorradevRequestTest, WrongSizesFailTheCallAndLeaveTheBoardAlone) {
  DWORD record[600] = {1};
  DWORD done = 0;
  struct Bad {
    DWORD function, in, out;
  };
  for (Bad b : {Bad{SKDF_STATUS, 12, 16}, {SKDF_STATUS, 16, 12}, {SKDF_DEVICE_INFO, 376, 380},
                {SKDF_SET_CONFIG, 2116, 2120}, {SKDF_READ_DATA, 12, 12}, {SKDF_INPUT_AD, 144, 144},
                {SKDF_INTERRUPT_WAIT, 4, 4}, {SKDF_SET_ANALOG_TRG_DAC, 12, 12}}) {
    SetLastError(0);
    EXPECT_FALSE(SkorradevDeviceIoControl(h1, code(b.function), record, b.in, record, b.out, &done, nullptr))
        << std::hex << b.function;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << std::hex << b.function;
  }
  EXPECT_EQ(SkorradevSimRequestCount(1, SKDF_SET_CONFIG), 1u);
  EXPECT_EQ(status(h1, 1).state, SKORRADEV_STATE_STOPPED);
}

TEST_F(SkorradevRequestTest, FunctionsTheDriverLacksFailAsInvalidFunction) {
  DWORD record[4] = {1};
  for (DWORD c : {SKORRADEV_NT_CODE(0xAF0, 0), SKORRADEV_NT_CODE(0xB0D, 0), 0xAF6u,
                  SKORRADEV_NT_CODE(0xAC8, METHOD_OUT_DIRECT)}) {
    SetLastError(0);
    EXPECT_FALSE(SkorradevDeviceIoControl(h1, c, record, 12, record, 12, nullptr, nullptr)) << std::hex << c;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION)) << std::hex << c;
  }
}

TEST_F(SkorradevRequestTest, ARequestForAnotherDeviceIsRefusedByStatus) {
  SkorradevStatusReply s{2, 0, 0, 0};
  EXPECT_EQ(request(h1, SKDF_STATUS, s), SKORRADEV_STATUS_UNKNOWN_DEVICE);
  EXPECT_EQ(s.state, 0u);
}

TEST_F(SkorradevRequestTest, InjectedFaultsFailTheCallOrTheReply) {
  ASSERT_TRUE(SkorradevSimSetFault(1, SKDF_STATUS, TRUE, ERROR_BUSY));
  ASSERT_TRUE(SkorradevSimSetFault(1, SKDF_DEVICE_INFO, FALSE, 0xC0001002u));
  SkorradevStatusReply s{1, 0, 0, 0};
  SetLastError(0);
  EXPECT_FALSE(SkorradevDeviceIoControl(h1, code(SKDF_STATUS), &s, 16, &s, 16, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUSY));
  SkorradevDeviceInfoReply info{1, {}};
  EXPECT_EQ(request(h1, SKDF_DEVICE_INFO, info), 0xC0001002u);
  EXPECT_EQ(status(h2, 2).state, SKORRADEV_STATE_STOPPED);  // the other board is untouched
  EXPECT_EQ(SkorradevSimRequestCount(1, SKDF_STATUS), 1u);

  ASSERT_TRUE(SkorradevSimClearFaults(1));
  EXPECT_EQ(status(h1, 1).state, SKORRADEV_STATE_STOPPED);
}

TEST_F(SkorradevRequestTest, RegistersKeepWhatIsWrittenAtTheirWidth) {
  DWORD done = 0;
  SkorradevRegisterWrite w{0x10, 0x12345678};
  ASSERT_TRUE(SkorradevDeviceIoControl(h1, code(SKDF_IO_BYTE_WRITE), &w, 8, nullptr, 0, &done, nullptr));
  EXPECT_EQ(done, 0u);
  w = {0x10, 0xA5A5A5A5};
  ASSERT_TRUE(SkorradevDeviceIoControl(h1, code(SKDF_MEM_DWORD_WRITE), &w, 8, nullptr, 0, &done, nullptr));
  auto read = [&](DWORD function, DWORD offset) {
    DWORD value = offset;
    EXPECT_TRUE(SkorradevDeviceIoControl(h1, code(function), &value, 4, &value, 4, &done, nullptr));
    return value;
  };
  EXPECT_EQ(read(SKDF_IO_DWORD_READ, 0x10), 0x78u);  // the byte write kept 8 bits
  EXPECT_EQ(read(SKDF_MEM_WORD_READ, 0x10), 0xA5A5u);
  EXPECT_EQ(read(SKDF_MEM_DWORD_READ, 0x10), 0xA5A5A5A5u);
  EXPECT_EQ(read(SKDF_IO_DWORD_READ, 0x14), 0u);
}

TEST_F(SkorradevRequestTest, SettingsReadBackAsWritten) {
  EXPECT_EQ(plain(h1, SKDF_OUTPUT_DO, 8, {1, 0x5A})[0], 0u);
  EXPECT_EQ(plain(h1, SKDF_INPUT_DI, 8, {1})[1], 0x5Au);
  plain(h1, SKDF_SET_FUNCTION, 12, {1, 3, 77});
  EXPECT_EQ(plain(h1, SKDF_GET_FUNCTION, 8, {1, 3})[1], 77u);
  EXPECT_EQ(plain(h1, SKDF_GET_FUNCTION, 8, {1, 4})[1], 0u);
  plain(h1, SKDF_SET_BASE_OSC, 16, {1, 2, 400, 800});
  const auto osc = plain(h1, SKDF_GET_BASE_OSC, 16, {1});
  EXPECT_EQ(osc[1], 2u);
  EXPECT_EQ(osc[3], 800u);
  plain(h1, SKDF_ADJUST_VR_WRITE, 24, {1, 1, 2, 3, 99});
  EXPECT_EQ(plain(h1, SKDF_ADJUST_VR_READ, 24, {1, 1, 2, 3})[1], 99u);
  EXPECT_EQ(plain(h1, SKDF_SET_FILTER, 8, {1, 6})[0], SKORRADEV_STATUS_BAD_CONFIG);
  EXPECT_EQ(plain(h1, SKDF_SET_FILTER, 8, {1, 5})[0], 0u);
  EXPECT_EQ(plain(h1, SKDF_GET_FILTER, 8, {1})[1], 5u);
  // 12 bytes in, 8 out.
  DWORD dac[3] = {1, 2, 3};
  DWORD done = 0;
  ASSERT_TRUE(SkorradevDeviceIoControl(h1, code(SKDF_SET_ANALOG_TRG_DAC), dac, 12, dac, 8, &done, nullptr));
  EXPECT_EQ(done, 8u);
  EXPECT_EQ(dac[0], 0u);
}

TEST_F(SkorradevRequestTest, DigitalPatternsHoldEightValuesAtMost) {
  SkorradevDiPattern p{1, 9, {1, 2, 3, 4, 5, 6, 7, 8}};
  EXPECT_EQ(request(h1, SKDF_MEM_SET_DI_PATTERN, p), SKORRADEV_STATUS_BAD_ARGUMENT);
  p = {1, 3, {10, 20, 30, 40, 50, 60, 70, 80}};
  EXPECT_EQ(request(h1, SKDF_MEM_SET_DI_PATTERN, p), 0u);
  SkorradevDiPattern back{1, 0, {}};
  EXPECT_EQ(request(h1, SKDF_MEM_GET_DI_PATTERN, back), 0u);
  EXPECT_EQ(back.value[0], 10u);  // reply dword 2
  EXPECT_EQ(back.value[2], 30u);
  EXPECT_EQ(back.value[3], 0u);  // beyond the count nothing is kept
}

TEST_F(SkorradevRequestTest, SingleConversionsWriteOneValuePerListEntry) {
  uint16_t values[4] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
  // 4591 has 32 single-ended channels: the long form is the one it takes.
  SkorradevInputAdLong longForm{};
  longForm.head = 1;
  longForm.count = 2;
  longForm.mode = 1;
  longForm.list[0] = {3, 0x80000};
  longForm.list[1] = {30, 0x80000};
  longForm.values = reinterpret_cast<uintptr_t>(values);
  EXPECT_EQ(request(h1, SKDF_INPUT_AD, longForm), 0u);
  EXPECT_EQ(values[0], SkorradevSimSample(1, 3, 0, 16));
  EXPECT_EQ(values[1], SkorradevSimSample(1, 30, 0, 16));
  EXPECT_EQ(values[2], 0xFFFF);

  SkorradevInputAdShort shortForm{};
  shortForm.head = 1;
  shortForm.count = 1;
  shortForm.mode = 1;
  shortForm.list[0] = {1, 0x80000};
  shortForm.values = reinterpret_cast<uintptr_t>(values);
  const SkorradevInputAdShort one = shortForm;
  EXPECT_EQ(request(h1, SKDF_INPUT_AD, shortForm), SKORRADEV_STATUS_BAD_ARGUMENT);
  shortForm = one;
  shortForm.head = 2;  // 4597: 16 channels, the short form
  EXPECT_EQ(request(h2, SKDF_INPUT_AD, shortForm), 0u);
  EXPECT_EQ(values[0], SkorradevSimSample(2, 1, 0, 12));

  shortForm = {};
  shortForm.head = 2;
  shortForm.count = 17;  // more pairs than the record holds
  shortForm.mode = 3;
  shortForm.values = reinterpret_cast<uintptr_t>(values);
  EXPECT_EQ(request(h2, SKDF_INPUT_AD, shortForm), SKORRADEV_STATUS_BAD_ARGUMENT);
  shortForm = one;
  shortForm.head = 2;
  shortForm.values = 0;
  EXPECT_EQ(request(h2, SKDF_INPUT_AD, shortForm), SKORRADEV_STATUS_NULL_BUFFER);
}

TEST_F(SkorradevRequestTest, LowVoltageFunctionsBelongToOneModel) {
  EXPECT_EQ(plain(h1, SKDF_TEMPERATURE, 8, {1})[0], SKORRADEV_STATUS_NOT_AVAILABLE);
  EXPECT_EQ(plain(h1, SKDF_LV_START, 12, {1, 0, 0xFFFFFFFFu})[0], SKORRADEV_STATUS_NOT_AVAILABLE);

  declareBoard(4, 4555, 4);
  SkorradevSimReset();
  HANDLE lv = open(4);
  ASSERT_NE(lv, INVALID_HANDLE_VALUE);
  EXPECT_EQ(plain(lv, SKDF_TEMPERATURE, 8, {4})[1] & 0xFF, 0x64u);
  EXPECT_EQ(plain(lv, SKDF_LV_SET_CONFIG, 20, {4, 4, 1, 16, 2})[0], SKORRADEV_STATUS_BAD_ARGUMENT);
  EXPECT_EQ(plain(lv, SKDF_LV_SET_CONFIG, 20, {4, 3, 1, 16, 2})[0], 0u);
  const auto back = plain(lv, SKDF_LV_GET_CONFIG, 16, {4, 3});
  EXPECT_EQ(back[2], 16u);
  EXPECT_EQ(back[3], 2u);
}
