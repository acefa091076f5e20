// The board functions against FAKE00: every record as the driver receives
// it, byte for byte; the support table's refusals; what comes back after a
// failed request.
#include <gtest/gtest.h>

#include <functional>

#include "morvel_fixture.h"

namespace morvel::testing {
namespace {

struct Put {
  std::size_t at;
  std::size_t width;
  uint64_t value;
};

// The record the driver must see: zero but for the handle and the fields.
void expectRecord(const Logged& got, uint32_t offset, uint32_t handle, std::vector<Put> fields, std::size_t size = 0) {
  std::vector<unsigned char> want(size != 0 ? size : XanRecordSize(offset), 0);
  std::memcpy(want.data(), &handle, 4);
  for (const Put& p : fields) std::memcpy(want.data() + p.at, &p.value, p.width);
  EXPECT_EQ(got.offset, offset);
  EXPECT_EQ(got.record, want);
}

uint16_t gValues[4], gChannels[4];
int16_t gRangeChannels[4], gRanges[4];
uint16_t gWord;
uint32_t gDword;
uint8_t gByte;
uint64_t a(const void* p) { return reinterpret_cast<uintptr_t>(p); }

struct Row {
  const char* name;
  std::function<LONG(XanHandle)> call;
  uint32_t offset;
  std::vector<Put> fields;
  std::size_t size = 0;
};

#define AT(type, field) offsetof(type, field), sizeof(type::field)

const std::vector<Row>& rows() {
  static XanIoParams io{gValues, gChannels, 3};
  static XanReadBufParams read{5, 7, a(gValues)};
  static XanInpBackParams inBack{gValues, gChannels, 2, 0, 99, 1, 40};
  static XanOutBackParams outBack{gValues, gChannels, 2, 8, 0xFFFFFFFF, 2, 50};
  static const std::vector<Row> table = {
      {"XanInp", [](XanHandle h) { return XanInp(h, &io); }, XAN_INP,
       {{AT(XanSingleIoRecord, valuesAddress), a(gValues)}, {AT(XanSingleIoRecord, channelListAddress), a(gChannels)},
        {AT(XanSingleIoRecord, count), 3}}},
      {"XanOut", [](XanHandle h) { return XanOut(h, &io); }, XAN_OUT,
       {{AT(XanSingleIoRecord, valuesAddress), a(gValues)}, {AT(XanSingleIoRecord, channelListAddress), a(gChannels)},
        {AT(XanSingleIoRecord, count), 3}}},
      {"XanReadBuf", [](XanHandle h) { return XanReadBuf(h, &read); }, XAN_READ_BUF,
       {{AT(XanReadBufRecord, startPosition), 5}, {AT(XanReadBufRecord, scans), 7},
        {AT(XanReadBufRecord, arrayAddress), a(gValues)}}},
      {"XanInpBack", [](XanHandle h) { return XanInpBack(h, 1, &inBack, 0x100, 0x400, 0x200, 0x401); }, XAN_INP_BACK,
       {{AT(XanBackRecord, mode), 1}, {AT(XanBackRecord, windowA), 0x100}, {AT(XanBackRecord, messageA), 0x400},
        {AT(XanBackRecord, windowB), 0x200}, {AT(XanBackRecord, messageB), 0x401},
        {AT(XanBackRecord, dataAddress), a(gValues)}, {AT(XanBackRecord, channelListAddress), a(gChannels)},
        {AT(XanBackRecord, count), 2}, {AT(XanBackRecord, scansOrRepeat), 99}, {AT(XanBackRecord, timeBase), 1},
        {AT(XanBackRecord, clockCount), 40}}},
      {"XanOutBack", [](XanHandle h) { return XanOutBack(h, 3, &outBack, 0x100, 0x400, 0x200, 0x401); },
       XAN_OUT_BACK,
       {{AT(XanBackRecord, mode), 3}, {AT(XanBackRecord, windowA), 0x100}, {AT(XanBackRecord, messageA), 0x400},
        {AT(XanBackRecord, windowB), 0x200}, {AT(XanBackRecord, messageB), 0x401},
        {AT(XanBackRecord, dataAddress), a(gValues)}, {AT(XanBackRecord, channelListAddress), a(gChannels)},
        {AT(XanBackRecord, count), 2}, {AT(XanBackRecord, samplesPerChannel), 8},
        {AT(XanBackRecord, scansOrRepeat), 0xFFFFFFFF}, {AT(XanBackRecord, timeBase), 2},
        {AT(XanBackRecord, clockCount), 50}}},
      {"XanSetGain", [](XanHandle h) { return XanSetGain(h, 1, 2, 3); }, XAN_SET_GAIN,
       {{AT(XanSetGainRecord, gainMode), 1}, {AT(XanSetGainRecord, channel), 2}, {AT(XanSetGainRecord, gainCode), 3}}},
      {"XanRange", [](XanHandle h) { return XanRange(h, gRangeChannels, gRanges, 4); }, XAN_RANGE,
       {{AT(XanRangeRecord, channelListAddress), a(gRangeChannels)}, {AT(XanRangeRecord, rangeListAddress), a(gRanges)},
        {AT(XanRangeRecord, count), 4}}},
      {"XanRelay", [](XanHandle h) { return XanRelay(h, 1, 0x22222, 3, 4); }, XAN_RELAY,
       {{AT(XanRelayRecord, value6), 1}, {AT(XanRelayRecord, value8), 0x22222}, {AT(XanRelayRecord, value12), 3},
        {AT(XanRelayRecord, value14), 4}}},
      {"XanDI", [](XanHandle h) { return XanDI(h, 0x0102, &gWord); }, XAN_DI, {{AT(XanDigitalRecord, portSelector), 0x0102}}},
      {"XanDO", [](XanHandle h) { return XanDO(h, 0x0201, 0x55); }, XAN_DO,
       {{AT(XanDigitalRecord, portSelector), 0x0201}, {AT(XanDigitalRecord, value), 0x55}}},
      {"XanSts", [](XanHandle h) { return XanSts(h, &gWord, &gDword, &gWord); }, XAN_STS, {}},
      {"XanStop", [](XanHandle h) { return XanStop(h); }, XAN_STOP, {}},
      {"XanReset", [](XanHandle h) { return XanReset(h); }, XAN_BOARD_RESET, {}},
      {"XanIsDataReady", [](XanHandle h) { return XanIsDataReady(h, &gWord); }, XAN_IS_DATA_READY,
       {{AT(XanAddressRecord, address), a(&gWord)}}},
      {"XanOpenCntGate", [](XanHandle h) { return XanOpenCntGate(h, 0x300, 0x500); }, XAN_OPEN_CNT_GATE,
       {{AT(XanCntGateRecord, window), 0x300}, {AT(XanCntGateRecord, message), 0x500}}},
      {"XanCloseCntGate", [](XanHandle h) { return XanCloseCntGate(h); }, XAN_CLOSE_CNT_GATE, {}},
      {"XanSetCntData", [](XanHandle h) { return XanSetCntData(h, 2, 0x1234); }, XAN_SET_CNT_DATA,
       {{AT(XanValueRecord, counter), 2}, {AT(XanValueRecord, value), 0x1234}}},
      {"XanGetCntData", [](XanHandle h) { return XanGetCntData(h, 1, &gDword); }, XAN_GET_CNT_DATA,
       {{AT(XanAddressRecord, counter), 1}, {AT(XanAddressRecord, address), a(&gDword)}}},
      {"XanGetCntSts", [](XanHandle h) { return XanGetCntSts(h, &gByte); }, XAN_GET_CNT_STS,
       {{AT(XanAddressRecord, address), a(&gByte)}}},
      {"XanResetCntSts", [](XanHandle h) { return XanResetCntSts(h); }, XAN_RESET_CNT_STS, {}},
      {"XanSetCntCommand", [](XanHandle h) { return XanSetCntCommand(h, 0x36); }, XAN_SET_CNT_COMMAND, {{6, 1, 0x36}}},
      {"XanIsCntDataReady", [](XanHandle h) { return XanIsCntDataReady(h, &gByte); }, XAN_IS_CNT_DATA_READY,
       {{AT(XanAddressRecord, address), a(&gByte)}}},
      {"XanLatchCntData", [](XanHandle h) { return XanLatchCntData(h); }, XAN_LATCH_CNT_DATA, {}},
      {"XanChangeCntErrLimit", [](XanHandle h) { return XanChangeCntErrLimit(h, 9); }, XAN_CHANGE_CNT_ERR_LIMIT,
       {{AT(XanSmallRecord, value), 9}}},
      {"XanSetCntDataB", [](XanHandle h) { return XanSetCntDataB(h, 2, 200); }, XAN_SET_CNT_DATA_B,
       {{AT(XanSetCntDataBRecord, counter), 2}, {AT(XanSetCntDataBRecord, value), 200}}},
      {"XanGetCntDataB", [](XanHandle h) { return XanGetCntDataB(h, 1, &gWord); }, XAN_GET_CNT_DATA_B,
       {{AT(XanAddressRecord, counter), 1}, {AT(XanAddressRecord, address), a(&gWord)}}},
      {"XanMemoryReset", [](XanHandle h) { return XanMemoryReset(h); }, XAN_MEMORY_RESET, {}},
      {"XanSetWriteAddress", [](XanHandle h) { return XanSetWriteAddress(h, 0xABCDE); }, XAN_SET_WRITE_ADDRESS,
       {{AT(XanValueRecord, value), 0xABCDE}}},
      {"XanGetWriteAddress", [](XanHandle h) { return XanGetWriteAddress(h, &gDword); }, XAN_GET_WRITE_ADDRESS,
       {{AT(XanAddressRecord, address), a(&gDword)}}},
      {"XanSetReadAddress", [](XanHandle h) { return XanSetReadAddress(h, 0x12345); }, XAN_SET_READ_ADDRESS,
       {{AT(XanValueRecord, value), 0x12345}}},
      {"XanGetReadAddress", [](XanHandle h) { return XanGetReadAddress(h, &gDword); }, XAN_GET_READ_ADDRESS,
       {{AT(XanAddressRecord, address), a(&gDword)}}},
      {"XanGetTrgWriteAddress", [](XanHandle h) { return XanGetTrgWriteAddress(h, &gDword); },
       XAN_GET_TRG_WRITE_ADDRESS, {{AT(XanAddressRecord, address), a(&gDword)}}},
      {"XanGetAIData", [](XanHandle h) { return XanGetAIData(h, 100, gValues); }, XAN_GET_AI_DATA,
       {{AT(XanGetAIDataRecord, number), 100}, {AT(XanGetAIDataRecord, arrayAddress), a(gValues)}}},
      {"XanSetRange", [](XanHandle h) { return XanSetRange(h, 1, 1, 5, 27); }, XAN_SET_RANGE,
       {{AT(XanSetRangeRecord, direction), 1}, {AT(XanSetRangeRecord, scope), 1}, {AT(XanSetRangeRecord, channel), 5},
        {AT(XanSetRangeRecord, rangeCode), 27}}},
      {"XanGetRange", [](XanHandle h) { return XanGetRange(h, 1, 0, 5, &gWord); }, XAN_GET_RANGE,
       {{AT(XanGetRangeRecord, direction), 1}, {AT(XanGetRangeRecord, channel), 5},
        {AT(XanGetRangeRecord, codeAddress), a(&gWord)}}},
      {"XanSetAI", [](XanHandle h) { return XanSetAI(h, 3, 4); }, XAN_SET_AI,
       {{AT(XanSetAIRecord, value6), 3}, {AT(XanSetAIRecord, value8), 4}}},
  };
  return table;
}

using RequestFamilyTest = MorvelTest;

// Index 8 has every family, so every function sends its request. Each row
// gets a fresh open, so no notification thread of an earlier row is busy.
TEST_F(RequestFamilyTest, EveryFunctionSendsItsRecordFieldForField) {
  for (const Row& row : rows()) {
    SCOPED_TRACE(row.name);
    const XanHandle h = open(8);
    fake.clearLog();
    EXPECT_EQ(row.call(h), XAN_OK);
    const std::vector<Logged> log = fake.log();
    ASSERT_FALSE(log.empty());
    expectRecord(log[0], row.offset, h, row.fields, row.size);
  }
}

// The driver answers 12 bytes: the buffer must hold them. The head is not
// sent; the value sits at +2.
TEST_F(RequestFamilyTest, BinaryToVoltSendsTwelveBytesAndSucceeds) {
  const XanHandle h = open();
  fake.answer(XAN_BINARY_TO_VOLT, 1280);
  EXPECT_EQ(XanBinaryToVolt(h, 0x0ABC, nullptr), XAN_OK);
  const std::vector<unsigned char> want = {0, 0, 0xBC, 0x0A, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(fake.log().back().record, want);
}

TEST_F(RequestFamilyTest, AFamilyTheIndexLacksAnswersItsResultWithoutARequest) {
  struct Case {
    uint16_t index;
    const char* name;
    LONG result;
  };
  const std::vector<Case> cases = {
      {1, "XanInp", 801},          {1, "XanInpBack", 801},  {1, "XanReadBuf", 786},        {1, "XanSetGain", 807},
      {1, "XanRange", 810},        {1, "XanRelay", 0},      {1, "XanIsDataReady", 826},    {1, "XanGetCntSts", 825},
      {1, "XanOpenCntGate", 825},  {1, "XanMemoryReset", -1}, {1, "XanGetAIData", -1},    {1, "XanSetAI", -1},
      {20, "XanOutBack", 802},     {20, "XanRelay", 0},     {20, "XanRange", 810},         {12, "XanDI", 808},
      {12, "XanDO", 809},          {12, "XanInp", 801},
  };
  XanHandle handles[56] = {};
  for (const Case& c : cases) {
    if (handles[c.index] == 0) handles[c.index] = open(c.index);
    const auto row = std::find_if(rows().begin(), rows().end(), [&](const Row& r) { return r.name == std::string(c.name); });
    ASSERT_NE(row, rows().end()) << c.name;
    fake.clearLog();
    EXPECT_EQ(row->call(handles[c.index]), c.result) << c.name << " on " << c.index;
    EXPECT_TRUE(fake.log().empty()) << c.name << " on " << c.index;
  }
}

TEST_F(RequestFamilyTest, AFailedStatusRequestStoresZerosAndSkipsAMissingOutput) {
  const XanHandle h = open();
  fake.refuse(XAN_STS);
  uint16_t state = 0xFFFF;
  uint32_t count = 0xFFFFFFFF;
  EXPECT_EQ(XanSts(h, &state, &count, nullptr), XAN_E_CALL);
  EXPECT_EQ(state, 0);
  EXPECT_EQ(count, 0u);
}

// Each layout's fields land where the request has them; only mode 0 sends
// the repeat count.
TEST_F(RequestFamilyTest, BoardMemoryInputMapsEachLayout) {
  const XanHandle h = open();
  using R = XanInpBdMemRecord;
  auto common = [](uint16_t mode) {
    return std::vector<Put>{{AT(R, mode), mode},         {AT(R, windowA), 0x11},     {AT(R, messageA), 0x401},
                            {AT(R, windowB), 0x22},      {AT(R, messageB), 0x402},
                            {AT(R, channelListAddress), a(gChannels)}, {AT(R, channelCount), 2},
                            {AT(R, samplesPerChannel), 1000}};
  };
  auto with = [](std::vector<Put> v, std::vector<Put> more) {
    v.insert(v.end(), more.begin(), more.end());
    return v;
  };
  XanInpBdMemParams p{};
  for (uint16_t mode : {0, 1}) {
    p.modes01 = {a(gChannels), 2, 1000, 1, 77, 39, 5000, 1, 1, 0, 3};
    fake.clearLog();
    ASSERT_EQ(XanInpBdMem(h, mode, &p, 0x11, 0x401, 0x22, 0x402), XAN_OK);
    std::vector<Put> fields = with(common(mode), {{AT(R, triggerEdge), 1}, {AT(R, delayCount), 77},
                                                  {AT(R, scanClock), 39}, {AT(R, samplingClock), 5000},
                                                  {AT(R, clockSource), 1}, {AT(R, memoryRing), 1}});
    if (mode == 0) fields.push_back({AT(R, repeatCount), 3});
    expectRecord(fake.log()[0], XAN_INP_BD_MEM, h, fields);
  }
  p.modes23 = {a(gChannels), 2, 1000, 1, 2000, 1000, 66, 40, 6000, 1, 1, 1, 0};
  fake.clearLog();
  ASSERT_EQ(XanInpBdMem(h, 2, &p, 0x11, 0x401, 0x22, 0x402), XAN_OK);
  expectRecord(fake.log()[0], XAN_INP_BD_MEM, h,
               with(common(2), {{AT(R, triggerChannel), 1}, {AT(R, triggerLevel1), 2000}, {AT(R, triggerLevel2), 1000},
                                {AT(R, delayCount), 66}, {AT(R, scanClock), 40}, {AT(R, samplingClock), 6000},
                                {AT(R, clockSource), 1}, {AT(R, triggerDirection), 1}, {AT(R, memoryRing), 1}}));
  p.above3 = {a(gChannels), 2, 1000, 41, 7000, 1, 1, 0};
  fake.clearLog();
  ASSERT_EQ(XanInpBdMem(h, 4, &p, 0x11, 0x401, 0x22, 0x402), XAN_OK);
  expectRecord(fake.log()[0], XAN_INP_BD_MEM, h,
               with(common(4), {{AT(R, scanClock), 41}, {AT(R, samplingClock), 7000}, {AT(R, clockSource), 1},
                                {AT(R, memoryRing), 1}}));
  EXPECT_EQ(fake.log().size(), 1u);  // started by software: no thread, no wait
}

}  // namespace
}  // namespace morvel::testing
