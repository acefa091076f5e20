// The 8254 family: refused requests leave the counters alone, the gate
// opens only when every check passes, and its events reach the window.
#include "handler_fixture.h"
#include "library_fixture.h"

namespace {

class CounterLibraryTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    openGroupOf({morvel00test::DefaultBoard()});
  }
  // Counter 2 counts down steadily: counters 0 and 1 divide the 4 MHz
  // clock by 2 each.
  void counterTwoRuns(uint32_t count2) {
    ASSERT_EQ(XanSetCntData(h_, 0, 2), 0);
    ASSERT_EQ(XanSetCntData(h_, 1, 2), 0);
    ASSERT_EQ(XanSetCntData(h_, 2, count2), 0);
  }
  // A window for the messages, and constant levels on channels 2 and 5.
  void createWindow(const char* className) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = className;
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, className, "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    windowValue_ = static_cast<XanWindow>(reinterpret_cast<uintptr_t>(window_));
    for (unsigned c : {2u, 5u}) boards_.at(0)->SetWaveform(c, level_);
  }
  void TearDown() override {
    if (h_ != 0) XanClose(h_);
    h_ = 0;
    if (window_ != nullptr) DestroyWindow(window_);
    LibraryTest::TearDown();
  }
  // Runs the clock until `message` comes with wParam 0, for at most 8 s of board time.
  bool messageCame(UINT message) {
    MSG m{};
    for (int step = 0; step < 80'000; ++step) {
      while (PeekMessageA(&m, window_, message, message, PM_REMOVE)) {
        if (m.wParam == 0) return true;
      }
      plat::bus::Advance(100'000);
      if (step % 10 == 0) Sleep(1);
    }
    return false;
  }

  const morvelboard::Waveform level_{morvelboard::Waveform::Shape::Constant, 0.3, 0, 1};
  HWND window_ = nullptr;
  XanWindow windowValue_ = 0;
};

TEST_F(CounterLibraryTest, ARefusedCountProgramsNoCounter) {
  const struct {
    uint8_t counter;
    uint32_t count;
    LONG result;
  } refused[] = {{3, 1000, XAN_E_COUNTER}, {1, 1, XAN_E_COUNT}, {0, 65536, XAN_E_COUNT}};
  writes();
  for (const auto& c : refused) {
    EXPECT_EQ(XanSetCntData(h_, c.counter, c.count), c.result) << int{c.counter} << " " << c.count;
    EXPECT_TRUE(writes().empty()) << int{c.counter} << " " << c.count;
  }
  EXPECT_EQ(XanSetCntData(h_, 1, 1000), 0);
  // Each counter gets its control word and then its last count, counter
  // 1 the new one; a count written to a counter also passes on to the
  // higher ones until their own control word comes.
  const std::vector<std::pair<uint8_t, uint32_t>> expected = {
      {14, 0x34}, {8, 0},     {8, 0},     {10, 0}, {10, 0}, {12, 0},    {12, 0},    {14, 0x74},
      {10, 0xE8}, {10, 0x03}, {12, 0xE8}, {12, 3}, {14, 0xB4}, {12, 0}, {12, 0}};
  EXPECT_EQ(writes(), expected);

  // The largest counts taken, and the first byte value past them.
  EXPECT_EQ(XanSetCntData(h_, 2, 65535), 0);
  EXPECT_EQ(XanSetCntDataB(h_, 2, 255), 0);
  EXPECT_EQ(XanSetCntDataB(h_, 2, 256), XAN_E_COUNT);
}

// As many overflows as the error limit are reported as such; the next one
// closes the gate.
TEST_F(CounterLibraryTest, TheOverflowsOfTheErrorLimitAreAcceptedAndTheNextClosesTheGate) {
  ASSERT_EQ(XanChangeCntErrLimit(h_, 2), 0);
  counterTwoRuns(10);
  ASSERT_EQ(XanOpenCntGate(h_, 0, 0), 0);
  for (int16_t expected : {2, 2, 1}) {
    plat::bus::Advance(100'000);  // counter 2 runs through 0 again
    XanRequest r{};
    r.head.handle = h_;
    ASSERT_TRUE(send(reinterpret_cast<HANDLE>(uintptr_t{h_}), XAN_CNT_STATUS, r));
    EXPECT_EQ(r.cntNotify.state, expected);
  }
  EXPECT_FALSE(registers().gateOpen);
}

TEST_F(CounterLibraryTest, ACountReadAfterTheReadyTestIsTheCurrentOne) {
  counterTwoRuns(60000);
  ASSERT_EQ(XanOpenCntGate(h_, 0, 0), 0);
  plat::bus::Advance(10'000);
  uint32_t before = 0, after = 0;
  uint8_t ready = 0;
  ASSERT_EQ(XanGetCntData(h_, 2, &before), 0);
  ASSERT_EQ(XanIsCntDataReady(h_, &ready), 0);
  EXPECT_EQ(ready, 1);
  plat::bus::Advance(100'000);
  ASSERT_EQ(XanGetCntData(h_, 2, &after), 0);
  EXPECT_GE(before - after, 20u) << "the count latched by the ready test was read instead";
  EXPECT_EQ(XanCloseCntGate(h_), 0);
}

TEST_F(CounterLibraryTest, TheGateMessageReachesTheWindowAndTheOverflowClosesTheGate) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "CounterTestWindow";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "CounterTestWindow", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  counterTwoRuns(10);
  ASSERT_EQ(XanOpenCntGate(h_, static_cast<XanWindow>(reinterpret_cast<uintptr_t>(window)), 0x500), 0);
  MSG m{};
  bool got = false;
  for (int i = 0; i < 5000 && !got; ++i) {
    plat::bus::Advance(20'000);
    got = PeekMessageA(&m, window, 0, 0, PM_REMOVE) != 0;
    if (!got) Sleep(1);
  }
  ASSERT_TRUE(got);
  EXPECT_EQ(m.message, 0x500u);
  // Counter 2 ran on past its flag, and no overflow is accepted.
  EXPECT_FALSE(registers().gateOpen);
  XanClose(h_);
  h_ = 0;
  DestroyWindow(window);
}

// The closed gate's last event is handled by the library's counter thread
// while the caller goes on: it must not close or take the pacer of the
// background input started next.
TEST_F(CounterLibraryTest, ABackgroundInputAfterANotifyingGateRunsWhole) {
  createWindow("CounterThenBackWindow");
  uint16_t list[2] = {2, 5}, single[2] = {};
  XanIoParams io{single, list, 2};
  ASSERT_EQ(XanInp(h_, &io), 0);
  ASSERT_EQ(XanSetCntData(h_, 0, 4), 0);
  ASSERT_EQ(XanSetCntData(h_, 1, 1000), 0);
  ASSERT_EQ(XanSetCntData(h_, 2, 10), 0);
  ASSERT_EQ(XanOpenCntGate(h_, 0, 0), 0);
  plat::bus::Advance(25'000'000);
  uint32_t count = 0;
  uint8_t flag = 0;
  ASSERT_EQ(XanGetCntData(h_, 2, &count), 0);
  ASSERT_EQ(XanGetCntSts(h_, &flag), 0);
  ASSERT_EQ(XanResetCntSts(h_), 0);
  ASSERT_EQ(XanCloseCntGate(h_), 0);
  ASSERT_EQ(XanOpenCntGate(h_, windowValue_, 0x500), 0);
  ASSERT_TRUE(messageCame(0x500));
  ASSERT_EQ(XanCloseCntGate(h_), 0);

  std::vector<uint16_t> data(2 * 20, 0xAAAA);
  XanInpBackParams bp{data.data(), list, 2, 0, 20, 1, 2000};
  ASSERT_EQ(XanInpBack(h_, 0, &bp, windowValue_, 0x401, 0, 0), 0);
  EXPECT_TRUE(messageCame(0x401));
  uint16_t state = 99;
  uint32_t scans = 0;
  EXPECT_EQ(XanSts(h_, &state, &scans, nullptr), 0);
  EXPECT_EQ(state, XAN_STATE_FINISHED);
  EXPECT_EQ(scans, 20u);
  for (size_t i = 0; i < data.size(); ++i) EXPECT_EQ(data[i], morvelboard::SignalValue(level_, 12, 0)) << i;
}

// The other order: once a background or board-memory input has ended or
// been stopped, the gate's interrupts are the counter's, and its message
// must come. Each row has a message of its own, as the last gate's close
// posts one too, and threads of its own: a gate's open resumes its thread
// once, and the last row's may not have parked yet.
TEST_F(CounterLibraryTest, ANotifyingGateAfterAnInputGetsItsMessage) {
  createWindow("InputThenCounterWindow");
  uint16_t list[2] = {2, 5};
  const struct {
    bool boardMemory, stop;
    uint16_t message;
  } rows[] = {{false, false, 0x500}, {false, true, 0x501}, {true, false, 0x502}, {true, true, 0x503}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << (row.boardMemory ? "board memory " : "background ")
                                    << (row.stop ? "stopped" : "finished"));
    std::vector<uint16_t> data(2 * 20, 0);
    if (row.boardMemory) {
      // Started at once; free running (-1 samples) until stopped.
      XanInpBdMemParams mp{};
      mp.above3.channelList = reinterpret_cast<uintptr_t>(list);
      mp.above3.channelCount = 2;
      mp.above3.samplesPerChannel = row.stop ? -1 : 10;
      mp.above3.scanClock = 399;
      mp.above3.samplingClock = 3999;
      ASSERT_EQ(XanInpBdMem(h_, 4, &mp, 0, 0, 0, 0), 0);
      plat::bus::Advance(3'000'000);
      uint16_t state = 99;
      uint32_t count = 0;
      ASSERT_EQ(XanSts(h_, &state, &count, nullptr), 0);
      ASSERT_EQ(state, row.stop ? XAN_STATE_STARTED : XAN_STATE_FINISHED);
      if (row.stop) {
        ASSERT_EQ(XanStop(h_), 0);
      }
    } else {
      XanInpBackParams bp{data.data(), list, 2, 0, 20, 1, 2000};
      ASSERT_EQ(XanInpBack(h_, 0, &bp, windowValue_, 0x401, 0, 0), 0);
      if (row.stop) {
        ASSERT_EQ(XanStop(h_), 0);
      } else {
        ASSERT_TRUE(messageCame(0x401));
      }
    }
    counterTwoRuns(10);
    ASSERT_EQ(XanOpenCntGate(h_, windowValue_, row.message), 0);
    EXPECT_TRUE(messageCame(row.message));
    ASSERT_EQ(XanCloseCntGate(h_), 0);
    ASSERT_EQ(XanClose(h_), 0);
    ASSERT_EQ(XanOpen(&h_, 20, 1), 0);
  }
}

TEST_F(HandlerTest, ARefusedGateOpenLeavesTheGateFreeForTheNextOpen) {
  XanRequest open{};
  open.cntGate.message = 1024;
  rec_->state = XAN_STATE_RUNNING;
  EXPECT_EQ(request(XAN_OPEN_CNT_GATE, open).cntGate.result, XAN_E_BUSY);
  open.cntGate.message = 1023;
  rec_->state = XAN_STATE_FINISHED;
  EXPECT_EQ(request(XAN_OPEN_CNT_GATE, open).cntGate.result, XAN_E_MESSAGE);
  EXPECT_FALSE(registers().gateOpen);

  open.cntGate.message = 0;
  EXPECT_EQ(request(XAN_OPEN_CNT_GATE, open).cntGate.result, XAN_OK);
  EXPECT_TRUE(registers().gateOpen);
  EXPECT_EQ(request(XAN_OPEN_CNT_GATE, open).cntGate.result, XAN_E_GATE_OPEN);
  EXPECT_EQ(request(XAN_CLOSE_CNT_GATE).head.result, XAN_OK);
  EXPECT_FALSE(registers().gateOpen);
  EXPECT_EQ(request(XAN_OPEN_CNT_GATE, open).cntGate.result, XAN_OK);
}

}  // namespace
