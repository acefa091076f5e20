#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>
#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <chrono>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

long msSince(Clock::time_point start) {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// A pseudo-terminal whose slave side is COM7; the test plays the serial unit
// on the master side.
class SerialTest : public ::testing::Test {
 protected:
  void SetUp() override {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master_, 0);
    ASSERT_EQ(::grantpt(master_), 0);
    ASSERT_EQ(::unlockpt(master_), 0);
    ASSERT_EQ(::setenv("ORVANE_COM7", ::ptsname(master_), 1), 0);
  }
  void TearDown() override {
    if (port_ != INVALID_HANDLE_VALUE) CloseHandle(port_);
    ::close(master_);
    ::unsetenv("ORVANE_COM7");
  }

  HANDLE openPort(const char* name = "COM7") {
    return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  }
  void openAndSetTimeouts(DWORD interval, DWORD multiplier, DWORD constant) {
    port_ = openPort();
    ASSERT_NE(port_, INVALID_HANDLE_VALUE);
    COMMTIMEOUTS timeouts{interval, multiplier, constant, 0, 1000};
    ASSERT_TRUE(SetCommTimeouts(port_, &timeouts));
  }
  void send(const char* bytes) { ASSERT_EQ(::write(master_, bytes, strlen(bytes)), static_cast<ssize_t>(strlen(bytes))); }
  // Waits (bounded) until the port has `count` bytes queued.
  void waitQueued(DWORD count) {
    COMSTAT status{};
    for (int i = 0; i < 500; ++i) {
      ASSERT_TRUE(ClearCommError(port_, nullptr, &status));
      if (status.cbInQue >= count) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    FAIL() << "bytes did not arrive";
  }

  int master_ = -1;
  HANDLE port_ = INVALID_HANDLE_VALUE;
};

TEST_F(SerialTest, PortOpensByMappedNameAndOnlyOnce) {
  port_ = openPort();
  ASSERT_NE(port_, INVALID_HANDLE_VALUE);
  EXPECT_EQ(openPort("\\\\.\\com7"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  ASSERT_TRUE(CloseHandle(port_));
  port_ = openPort("\\\\.\\COM7");
  EXPECT_NE(port_, INVALID_HANDLE_VALUE) << "closing frees the port";
}

TEST_F(SerialTest, MissingOrNonTerminalDeviceIsNotFound) {
  ASSERT_EQ(::setenv("ORVANE_COM9", "/nonexistent/tty", 1), 0);
  EXPECT_EQ(openPort("COM9"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  ASSERT_EQ(::setenv("ORVANE_COM9", "/dev/null", 1), 0);
  EXPECT_EQ(openPort("COM9"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  ::unsetenv("ORVANE_COM9");
}

TEST_F(SerialTest, CommStateRoundTripsWhatThePortKeeps) {
  port_ = openPort();
  ASSERT_NE(port_, INVALID_HANDLE_VALUE);
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  ASSERT_TRUE(GetCommState(port_, &dcb));
  for (DWORD baud : {DWORD{CBR_115200}, DWORD{460800}, DWORD{CBR_9600}}) {
    dcb.BaudRate = baud;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = 0;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.XonChar = 0x21;
    ASSERT_TRUE(SetCommState(port_, &dcb)) << baud;
    DCB back{};
    ASSERT_TRUE(GetCommState(port_, &back));
    EXPECT_EQ(back.BaudRate, baud);
    EXPECT_EQ(back.ByteSize, 8);
    EXPECT_EQ(back.Parity, NOPARITY);
    EXPECT_EQ(back.StopBits, ONESTOPBIT);
    EXPECT_EQ(back.fOutxCtsFlow, 0u);
    EXPECT_EQ(back.fDtrControl, static_cast<DWORD>(DTR_CONTROL_DISABLE)) << "flags stay as set";
    EXPECT_EQ(back.XonChar, 0x21);
  }
  // Stop bits are kept by a pseudo-terminal too (it forces 8 bits, no parity).
  dcb.StopBits = TWOSTOPBITS;
  ASSERT_TRUE(SetCommState(port_, &dcb));
  DCB back{};
  ASSERT_TRUE(GetCommState(port_, &back));
  EXPECT_EQ(back.StopBits, TWOSTOPBITS);
}

TEST_F(SerialTest, UnsupportedSettingsAreRefusedAndChangeNothing) {
  port_ = openPort();
  ASSERT_NE(port_, INVALID_HANDLE_VALUE);
  DCB good{};
  ASSERT_TRUE(GetCommState(port_, &good));
  good.BaudRate = CBR_115200;
  ASSERT_TRUE(SetCommState(port_, &good));
  const struct {
    DWORD baud;
    BYTE size, parity, stop;
  } bad[] = {{12345, 8, NOPARITY, ONESTOPBIT},     {CBR_14400, 8, NOPARITY, ONESTOPBIT},
             {CBR_9600, 9, NOPARITY, ONESTOPBIT},  {CBR_9600, 4, NOPARITY, ONESTOPBIT},
             {CBR_9600, 8, MARKPARITY, ONESTOPBIT}, {CBR_9600, 8, NOPARITY, ONE5STOPBITS}};
  for (const auto& b : bad) {
    DCB dcb = good;
    dcb.BaudRate = b.baud;
    dcb.ByteSize = b.size;
    dcb.Parity = b.parity;
    dcb.StopBits = b.stop;
    EXPECT_FALSE(SetCommState(port_, &dcb)) << b.baud;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  DCB back{};
  ASSERT_TRUE(GetCommState(port_, &back));
  EXPECT_EQ(back.BaudRate, static_cast<DWORD>(CBR_115200));
  EXPECT_FALSE(SetCommState(port_, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(SetCommTimeouts(port_, nullptr));

  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  EXPECT_FALSE(GetCommState(event, &back));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  CloseHandle(event);
}

TEST_F(SerialTest, TimeoutsRoundTrip) {
  port_ = openPort();
  ASSERT_NE(port_, INVALID_HANDLE_VALUE);
  COMMTIMEOUTS set{1000, 0, 1000, 0, 1000};
  ASSERT_TRUE(SetCommTimeouts(port_, &set));
  COMMTIMEOUTS back{};
  ASSERT_TRUE(GetCommTimeouts(port_, &back));
  EXPECT_EQ(back.ReadIntervalTimeout, 1000u);
  EXPECT_EQ(back.ReadTotalTimeoutConstant, 1000u);
  EXPECT_EQ(back.WriteTotalTimeoutConstant, 1000u);
  EXPECT_TRUE(SetupComm(port_, 4096, 4096));
}

TEST_F(SerialTest, TotalTimeoutReturnsTheBytesThatCameWithShortCount) {
  openAndSetTimeouts(0, 0, 150);
  send("abc");
  char buffer[16] = {};
  DWORD got = 0;
  const auto start = Clock::now();
  ASSERT_TRUE(ReadFile(port_, buffer, sizeof buffer, &got, nullptr));
  EXPECT_EQ(got, 3u);
  EXPECT_EQ(std::string(buffer, got), "abc");
  EXPECT_GE(msSince(start), 120) << "waited for the rest until the total limit";

  // Nothing at all: TRUE with no bytes at the limit.
  ASSERT_TRUE(ReadFile(port_, buffer, sizeof buffer, &got, nullptr));
  EXPECT_EQ(got, 0u);
}

TEST_F(SerialTest, IntervalTimeoutEndsTheReadAfterTheLastByte) {
  openAndSetTimeouts(60, 0, 0);  // no total limit
  send("xy");
  waitQueued(2);
  char buffer[16];
  DWORD got = 0;
  ASSERT_TRUE(ReadFile(port_, buffer, sizeof buffer, &got, nullptr));
  EXPECT_EQ(got, 2u);

  // The interval only starts with the first byte: a late first byte still
  // arrives.
  std::thread late([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    send("z");
  });
  ASSERT_TRUE(ReadFile(port_, buffer, sizeof buffer, &got, nullptr));
  late.join();
  EXPECT_EQ(got, 1u);
  EXPECT_EQ(buffer[0], 'z');
}

TEST_F(SerialTest, ReadEndsAsSoonAsTheCountIsThere) {
  openAndSetTimeouts(1000, 0, 1000);  // the settings the acquisition code uses
  send("12345");
  char buffer[5];
  DWORD got = 0;
  const auto start = Clock::now();
  ASSERT_TRUE(ReadFile(port_, buffer, sizeof buffer, &got, nullptr));
  EXPECT_EQ(got, 5u);
  EXPECT_LT(msSince(start), 900) << "no wait once every byte came";
}

TEST_F(SerialTest, MaxIntervalWithZeroTotalsReturnsAtOnce) {
  openAndSetTimeouts(MAXDWORD, 0, 0);
  char buffer[16];
  DWORD got = 99;
  ASSERT_TRUE(ReadFile(port_, buffer, sizeof buffer, &got, nullptr));
  EXPECT_EQ(got, 0u);
  send("hi");
  waitQueued(2);
  ASSERT_TRUE(ReadFile(port_, buffer, sizeof buffer, &got, nullptr));
  EXPECT_EQ(got, 2u);
}

TEST_F(SerialTest, ZeroTimeoutsWaitForEveryByte) {
  openAndSetTimeouts(0, 0, 0);
  char buffer[4];
  DWORD got = 0;
  BOOL ok = FALSE;
  std::atomic<bool> done{false};
  std::thread reader([&] {
    ok = ReadFile(port_, buffer, sizeof buffer, &got, nullptr);
    done = true;
  });
  send("ab");
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_FALSE(done.load()) << "half the bytes do not end the read";
  send("cd");
  reader.join();
  EXPECT_TRUE(ok);
  EXPECT_EQ(std::string(buffer, got), "abcd");
}

TEST_F(SerialTest, ClosingThePortEndsABlockedRead) {
  openAndSetTimeouts(0, 0, 0);
  HANDLE port = port_;
  char buffer[4];
  DWORD got = 0;
  BOOL ok = TRUE;
  DWORD error = 0;
  std::thread reader([&] {
    ok = ReadFile(port, buffer, sizeof buffer, &got, nullptr);
    error = GetLastError();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // let the reader block
  ASSERT_TRUE(CloseHandle(port_));
  port_ = INVALID_HANDLE_VALUE;
  reader.join();
  EXPECT_FALSE(ok);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_OPERATION_ABORTED));
}

TEST_F(SerialTest, WriteReachesTheOtherEnd) {
  openAndSetTimeouts(0, 0, 0);
  DWORD sent = 0;
  ASSERT_TRUE(WriteFile(port_, "\x01\x02hello\r\n", 9, &sent, nullptr));
  EXPECT_EQ(sent, 9u);
  std::string received;
  for (int i = 0; i < 100 && received.size() < 9; ++i) {
    pollfd fd{master_, POLLIN, 0};
    ASSERT_GT(::poll(&fd, 1, 2000), 0);
    char chunk[16];
    ssize_t n = ::read(master_, chunk, sizeof chunk);
    ASSERT_GT(n, 0);
    received.append(chunk, static_cast<size_t>(n));
  }
  EXPECT_EQ(received, std::string("\x01\x02hello\r\n", 9)) << "raw: no line-end translation";
}

TEST_F(SerialTest, ClearCommErrorCountsQueuedBytesAndPurgeDropsThem) {
  openAndSetTimeouts(MAXDWORD, 0, 0);
  send("12345678");
  waitQueued(8);
  DWORD errors = 99;
  COMSTAT status{};
  ASSERT_TRUE(ClearCommError(port_, &errors, &status));
  EXPECT_EQ(errors, 0u);
  EXPECT_EQ(status.cbInQue, 8u);
  ASSERT_TRUE(PurgeComm(port_, PURGE_RXCLEAR | PURGE_RXABORT));
  ASSERT_TRUE(ClearCommError(port_, nullptr, &status));
  EXPECT_EQ(status.cbInQue, 0u);
  char buffer[8];
  DWORD got = 99;
  ASSERT_TRUE(ReadFile(port_, buffer, sizeof buffer, &got, nullptr));
  EXPECT_EQ(got, 0u);
  EXPECT_FALSE(PurgeComm(port_, 0x100));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

// An unplugged device hangs its tty up; each call that would tell the
// caller what arrived fails, where a count of 0 would pass for silence.
TEST_F(SerialTest, AHungUpLineFailsTheCountAndTheRead) {
  openAndSetTimeouts(MAXDWORD, 0, 0);
  char buffer[8];
  DWORD got = 0;
  COMSTAT status{};
  EXPECT_TRUE(ClearCommError(port_, nullptr, &status)) << "an open, silent line";
  EXPECT_TRUE(ReadFile(port_, buffer, sizeof buffer, &got, nullptr));
  ::close(master_);
  master_ = -1;
  struct Row {
    const char* call;
    bool read;
    COMMTIMEOUTS timeouts;
  } const rows[] = {
      {"ClearCommError", false, {MAXDWORD, 0, 0, 0, 0}},
      {"ReadFile, what is there now", true, {MAXDWORD, 0, 0, 0, 0}},
      {"ReadFile, the units' time-outs", true, {1000, 0, 1000, 0, 1000}},
      {"ReadFile, until every byte came", true, {0, 0, 0, 0, 0}},
  };
  for (Row row : rows) {
    SCOPED_TRACE(row.call);
    ASSERT_TRUE(SetCommTimeouts(port_, &row.timeouts));
    SetLastError(0);
    const BOOL ok = row.read ? ReadFile(port_, buffer, sizeof buffer, &got, nullptr)
                             : ClearCommError(port_, nullptr, &status);
    EXPECT_FALSE(ok);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_GEN_FAILURE));
  }
}

}  // namespace
