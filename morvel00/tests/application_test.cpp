// A program on the older library from the first open to the unload: the
// board opened by index and by name, single, background and board-memory
// input down to the simulated registers and interrupts, every value the
// board's known signal, stopped and closed; afterwards the pool holds
// nothing more than before the driver started.
#include <morvel.h>
#include <ntkrnl/ntkrnl_host.h>

#include <chrono>
#include <string>
#include <vector>

#include "driver_fixture.h"

namespace {

morvelboard::Waveform levelOf(unsigned c) { return {morvelboard::Waveform::Shape::Constant, 0.06 * (c + 1), 0, 1}; }
uint16_t countOf(unsigned c) { return morvelboard::SignalValue(levelOf(c), 12, 0); }

// Runs the machine in steps of 100 us until `done` holds; the library's
// threads copy what a completed wait brought in between. Gives up after
// ten seconds of real time.
template <typename Done>
bool runUntil(Done done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    plat::bus::Advance(100'000);
    Sleep(1);
  }
  return true;
}

TEST_F(DriverTest, AProgramRunsEveryInputOfABoardAndLeavesNothingBehind) {
  SIZE_T bytesBefore = 0;
  const ULONG blocksBefore = NtkPoolOutstanding(&bytesBefore);
  ASSERT_EQ(startOneBoard(), STATUS_SUCCESS);
  for (unsigned c = 0; c < 16; ++c) boards_.at(0)->SetWaveform(c, levelOf(c));
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE,
                            (std::string("SYSTEM\\CurrentControlSet\\Services\\") + morvel00test::kService +
                             "\\GroupNumber1")
                                .c_str(),
                            0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "ObjectName", 0, REG_SZ, reinterpret_cast<const BYTE*>("AIBOARD1"), 9);
  RegCloseKey(key);

  XanHandle byIndex = 0, byName = 0;
  ASSERT_EQ(XanOpen(&byIndex, 20, 1), 0);
  ASSERT_EQ(XanOpenEx("AIBOARD1", &byName), 0);
  EXPECT_EQ(byName, byIndex);  // one board, one handle
  const XanHandle h = byIndex;
  uint16_t list[3] = {6, 1, 6};  // a repeat too

  // Single input: one conversion, values in list order.
  uint16_t single[3] = {};
  XanIoParams io{single, list, 3};
  ASSERT_EQ(XanInp(h, &io), 0);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(single[i], countOf(list[i])) << i;

  // Background input: a scan per pacer tick of 200 us, copied out by the
  // library's data thread. The notification thread copies the whole buffer
  // once more at the end and then posts its message: only after that
  // message is the buffer the caller's alone.
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "ApplicationTestWindow";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  const auto windowValue = static_cast<XanWindow>(reinterpret_cast<uintptr_t>(window));
  constexpr uint16_t kEndMessage = 0x500;
  std::vector<uint16_t> back(3 * 8, 0xAAAA);
  XanInpBackParams bp{back.data(), list, 3, 0, 8, 1, 200};
  ASSERT_EQ(XanInpBack(h, 0, &bp, windowValue, kEndMessage, 0, 0), 0);
  uint16_t state = 99;
  uint32_t count = 0;
  bool ended = false;
  EXPECT_TRUE(runUntil([&] {
    MSG m{};
    while (PeekMessageA(&m, window, kEndMessage, kEndMessage, PM_REMOVE)) ended = ended || m.wParam == 0;
    XanSts(h, &state, &count, nullptr);
    return ended && state == XAN_STATE_FINISHED && count == 8;
  }));
  DestroyWindow(window);
  for (size_t i = 0; i < back.size(); ++i) EXPECT_EQ(back[i], countOf(list[i % 3])) << i;

  // Board-memory input, free running: the board samples into its memory
  // until stopped, and the memory is read in whole scans.
  XanInpBdMemParams mp{};
  mp.above3.channelList = reinterpret_cast<uintptr_t>(list);
  mp.above3.channelCount = 3;
  mp.above3.samplesPerChannel = -1;
  mp.above3.scanClock = 399;
  mp.above3.samplingClock = 3999;
  ASSERT_EQ(XanInpBdMem(h, 4, &mp, 0, 0, 0, 0), 0);
  EXPECT_TRUE(runUntil([&] {
    XanSts(h, &state, &count, nullptr);
    return count >= 30;
  }));
  EXPECT_EQ(state, XAN_STATE_STARTED);  // what the processing library waits on
  std::vector<uint16_t> memory(30, 0xAAAA);
  XanReadBufParams read{0, 10, reinterpret_cast<uintptr_t>(memory.data())};
  ASSERT_EQ(XanReadBuf(h, &read), 0);
  for (size_t i = 0; i < memory.size(); ++i) EXPECT_EQ(memory[i], countOf(list[i % 3])) << i;
  EXPECT_EQ(XanStop(h), 0);
  EXPECT_TRUE(runUntil([&] {
    XanSts(h, &state, &count, nullptr);
    return state == XAN_STATE_STOPPED;
  }));

  EXPECT_EQ(XanClose(byName), 0);
  EXPECT_EQ(XanClose(byIndex), 0);
  NTK_LEFTOVERS left{};
  ASSERT_EQ(NtkUnloadDriver(service_.c_str(), &left), STATUS_SUCCESS);
  started_ = false;
  EXPECT_EQ(left.PoolAllocations + left.TimersSet + left.DpcsQueued + left.InterruptsConnected + left.Devices +
                left.SymbolicLinks,
            0u);
  SIZE_T bytesAfter = 0;
  EXPECT_EQ(NtkPoolOutstanding(&bytesAfter), blocksBefore);
  EXPECT_EQ(bytesAfter, bytesBefore);
}

}  // namespace
