// The trace lines of the frame, byte for byte: tight and spaced exports,
// getters' values, the ownership check's own line, and exports that write
// fewer lines.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "halvik.h"
#include "status_texts.h"
#include "support/road_case.h"
#include "trace_log.h"

namespace {

namespace fs = std::filesystem;
using namespace halvik;
using namespace halvik::testing;

class FrameTraceTest : public RoadsTest {
 protected:
  void SetUp() override {
    RoadsTest::SetUp();
    root_ = fs::temp_directory_path() / ("frame_trace_test." + std::to_string(::getpid()));
    fs::create_directories(root_);
    ::setenv("ORVANE_ROOT", root_.c_str(), 1);
    char folder[MAX_PATH];
    GetSystemDirectoryA(folder, sizeof folder);
    CreateDirectoryA(folder, nullptr);
    path_ = std::string(folder) + "\\halvik.log";
    TraceLogNames names;
    std::string tag = "_frame" + std::to_string(::getpid());
    names.record += tag;
    names.view += tag;
    SetTraceLogNames(names);
    ASSERT_EQ(StartDebugLog(0, 1000), 0);
    SetDebugLogTimePrefix(0);
    SetDebugLogProcessPrefix(0);
    SetDebugLogThreadPrefix(0);
  }
  void TearDown() override {
    CloseDebugLog();
    ::unsetenv("ORVANE_ROOT");
    fs::remove_all(root_);
  }
  // The lines after the header.
  std::string body() {
    CloseDebugLog();
    HANDLE f = CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           0, nullptr);
    std::string text(GetFileSize(f, nullptr), '\0');
    DWORD got = 0;
    ReadFile(f, text.data(), static_cast<DWORD>(text.size()), &got, nullptr);
    CloseHandle(f);
    size_t cpu = text.find("- cpu ");
    return cpu == std::string::npos ? text : text.substr(text.find("\r\n", cpu) + 2);
  }

  fs::path root_;
  std::string path_;
};

TEST_F(FrameTraceTest, EveryExitTracesTheStatusItReturns) {
  char text[256];
  float clock;
  roads.reply = [](unsigned char* bytes, DWORD size) {
    if (size == 20) putAt(bytes, 8, 4, 0x30302E31);  // "1.00"
    if (size == 12) putAt(bytes, 4, 4, 0x82);        // an event mask
  };
  LONG mask = 0;
  XanGetErrorString(0, text);
  XanGetErrorString(0, nullptr);
  XanSetEcuSignal(kKernelId, -1, 0);
  XanSetEcuSignal(7, 0, 0);
  XanGetDeviceRevision(kVirtualId, text);
  XanSetAoRepeatMode(kKernelId, 0);  // success: no line
  XanSetAoRepeatMode(kKernelId, 2);  // failure: its end line only
  XanGetAiMinSamplingClock(kKernelId, nullptr);  // no lines at all
  XanGetAiMinSamplingClock(kKernelId, &clock);
  XanGetAiEvent(kVirtualId, nullptr, &mask);
  roads.ownershipStatus = 20003;
  XanSetEcuSignal(kKernelId, 0, 0);
  roads.ownershipStatus = 0;
  roads.failKernelCode = ~0u;
  XanSetEcuSignal(kKernelId, 0, 0);

  EXPECT_EQ(body(),
            "XanGetErrorString Start :ErrorCode=0\r\n"
            "XanGetErrorString End :Ret=0, ErrorString=" + statusText(0, userLanguage()) + "\r\n"
            "XanGetErrorString Start :ErrorCode=0\r\n"
            "XanGetErrorString End :Ret=10180\r\n"
            "XanSetEcuSignal Start :Id=1, Destination=-1, Source=0\r\n"
            "XanSetEcuSignal End :Ret=17000\r\n"
            "XanSetEcuSignal Start :Id=7, Destination=0, Source=0\r\n"
            "XanSetEcuSignal End :Ret=10001\r\n"
            "XanGetDeviceRevision Start : Id=2\r\n"
            "XanGetDeviceRevision End : Ret=0, Revision=1.00\r\n"
            "XanSetAoRepeatMode End :Ret=13860\r\n"
            "XanGetAiEvent Start :Id=2\r\n"
            "XanGetAiEvent End :Ret=0, *hWnd=0H, *AiEvent=82H\r\n"
            "XanSetEcuSignal Start :Id=1, Destination=0, Source=0\r\n"
            "CheckMultiProcess :Ret=20003\r\n"
            "XanSetEcuSignal Start :Id=1, Destination=0, Source=0\r\n"
            "CheckMultiProcess :Ret=10002\r\n");
}

}  // namespace
