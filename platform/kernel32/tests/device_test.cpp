#include <platform/device.h>
#include <windows.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// Codes of the test driver.
constexpr DWORD kEcho = CTL_CODE(FILE_DEVICE_UNKNOWN, 0x800, METHOD_BUFFERED, FILE_ANY_ACCESS);
constexpr DWORD kStatus = CTL_CODE(FILE_DEVICE_UNKNOWN, 0x801, METHOD_BUFFERED, FILE_ANY_ACCESS);
constexpr DWORD kPend = CTL_CODE(FILE_DEVICE_UNKNOWN, 0x802, METHOD_BUFFERED, FILE_ANY_ACCESS);
constexpr DWORD kPendSuccess = CTL_CODE(FILE_DEVICE_UNKNOWN, 0x803, METHOD_BUFFERED, FILE_ANY_ACCESS);
constexpr DWORD kPendDirect = CTL_CODE(FILE_DEVICE_UNKNOWN, 0x894, METHOD_IN_DIRECT, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
constexpr DWORD kPendNoCancel = CTL_CODE(FILE_DEVICE_UNKNOWN, 0x804, METHOD_BUFFERED, FILE_ANY_ACCESS);

// A driver that echoes, answers with a chosen status, or keeps requests
// for the test to complete.
struct TestDriver {
  PlatDeviceDriver driver{};
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<PlatRequest*> queue;
  std::vector<std::string> calls;  // create / cleanup / close, in order
  std::atomic<int> cancels{0};
  std::atomic<LONG> createStatus{PLAT_STATUS_SUCCESS};
  std::atomic<ULONG_PTR> echoInformation{0};  // 0: the input size
  std::atomic<int> controls{0};                // device-control requests seen
  void* lastOutput = nullptr;
  void* lastSystem = nullptr;

  TestDriver() {
    driver.context = this;
    driver.create = [](PlatFile* file) { return of(file).onCreate(); };
    driver.cleanup = [](PlatFile* file) { of(file).onCleanup(); };
    driver.close = [](PlatFile* file) { of(file).record("close"); };
    driver.deviceControl = [](PlatRequest* request) { return of(request->file).onControl(request); };
  }

  static TestDriver& of(PlatFile* file) { return *static_cast<TestDriver*>(file->driver->context); }

  void record(const char* what) {
    std::lock_guard<std::mutex> lock(mutex);
    calls.push_back(what);
  }

  LONG onCreate() {
    record("create");
    return createStatus.load();
  }

  // Requests without a cancel routine are finished here, as drivers do.
  void onCleanup() {
    record("cleanup");
    std::deque<PlatRequest*> left;
    {
      std::lock_guard<std::mutex> lock(mutex);
      left.swap(queue);
    }
    for (PlatRequest* request : left) PlatCompleteRequest(request, PLAT_STATUS_CANCELLED, 0);
  }

  static void onCancel(PlatRequest* request) {
    TestDriver& self = of(request->file);
    {
      std::lock_guard<std::mutex> lock(self.mutex);
      std::erase(self.queue, request);
    }
    ++self.cancels;
    PlatCompleteRequest(request, PLAT_STATUS_CANCELLED, 0);
  }

  void keep(PlatRequest* request, bool cancellable) {
    PlatMarkRequestPending(request);
    {
      std::lock_guard<std::mutex> lock(mutex);
      lastOutput = request->outputBuffer;
      lastSystem = request->systemBuffer;
      queue.push_back(request);
    }
    changed.notify_all();
    if (!cancellable) return;
    PlatSetCancelRoutine(request, onCancel);
    if (PlatRequestCancelled(request) && PlatSetCancelRoutine(request, nullptr) != nullptr) onCancel(request);
  }

  LONG onControl(PlatRequest* request) {
    ++controls;
    auto* bytes = static_cast<unsigned char*>(request->systemBuffer);
    switch (request->code) {
      case kEcho:
        for (DWORD i = 0; i < std::max(request->inputSize, request->outputSize); ++i) bytes[i] = bytes[i] + 1;
        request->information = echoInformation.load() != 0 ? echoInformation.load() : request->inputSize;
        return PLAT_STATUS_SUCCESS;
      case kStatus: {
        LONG status;
        std::memcpy(&status, bytes, sizeof status);
        bytes[0] = 0xEE;  // must not reach the caller on an error
        request->information = sizeof status;
        return status;
      }
      case kPend:
      case kPendDirect:
        keep(request, true);
        return PLAT_STATUS_PENDING;
      case kPendSuccess:
        keep(request, true);
        return PLAT_STATUS_SUCCESS;
      case kPendNoCancel:
        keep(request, false);
        return PLAT_STATUS_PENDING;
      default:
        return PLAT_STATUS_INVALID_DEVICE_REQUEST;
    }
  }

  // The oldest kept request, taken back from cancellation; nullptr after 5 s.
  PlatRequest* take() {
    std::unique_lock<std::mutex> lock(mutex);
    if (!changed.wait_for(lock, std::chrono::seconds(5), [&] { return !queue.empty(); })) return nullptr;
    PlatRequest* request = queue.front();
    queue.pop_front();
    PlatSetCancelRoutine(request, nullptr);
    return request;
  }

  size_t queued() {
    std::lock_guard<std::mutex> lock(mutex);
    return queue.size();
  }
};

class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    name_ = std::string("TestDev") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ASSERT_TRUE(PlatRegisterDevice(name_.c_str(), &driver_.driver));
  }
  void TearDown() override { PlatUnregisterDevice(name_.c_str()); }

  HANDLE open(DWORD flags = FILE_FLAG_OVERLAPPED, const char* prefix = "\\\\.\\") {
    std::string path = prefix + name_;
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, flags, nullptr);
  }

  static OVERLAPPED withEvent() {
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);  // set: the call must reset it
    return overlapped;
  }

  std::string name_;
  TestDriver driver_;
};

TEST_F(DeviceTest, OpensByNameWithoutRegardToCase) {
  HANDLE unknown = CreateFileA("\\\\.\\NoSuchDevice", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(unknown, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

  std::string upper = "\\\\.\\" + name_;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  HANDLE byUpper = CreateFileA(upper.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(byUpper, INVALID_HANDLE_VALUE);
  HANDLE byQuestion = open(0, "\\\\?\\");
  ASSERT_NE(byQuestion, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(byUpper));
  EXPECT_TRUE(CloseHandle(byQuestion));

  EXPECT_FALSE(PlatRegisterDevice(upper.c_str() + 4, &driver_.driver));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
}

TEST_F(DeviceTest, DriverMayRefuseTheOpen) {
  driver_.createStatus = PLAT_STATUS_ACCESS_DENIED;
  EXPECT_EQ(open(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  driver_.createStatus = PLAT_STATUS_SUCCESS;
  HANDLE device = open();
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  CloseHandle(device);

  ASSERT_TRUE(PlatUnregisterDevice(name_.c_str()));
  EXPECT_EQ(open(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(DeviceTest, BufferedRequestCopiesInAndBackAtMostTheOutputSize) {
  HANDLE device = open(0);
  ASSERT_NE(device, INVALID_HANDLE_VALUE);

  // One buffer in and out, as the callers use it.
  unsigned char block[4] = {1, 2, 3, 4};
  DWORD returned = 0;
  ASSERT_TRUE(DeviceIoControl(device, kEcho, block, 4, block, 4, &returned, nullptr));
  EXPECT_EQ(returned, 4u);
  EXPECT_EQ(block[0], 2);
  EXPECT_EQ(block[3], 5);

  // The driver reports more than the caller's output holds.
  driver_.echoInformation = 8;
  unsigned char in[2] = {10, 20};
  unsigned char out[8];
  std::memset(out, 0x55, sizeof out);
  ASSERT_TRUE(DeviceIoControl(device, kEcho, in, 2, out, 4, &returned, nullptr));
  EXPECT_EQ(returned, 8u) << "bytes returned is the driver's count";
  EXPECT_EQ(out[0], 11);
  EXPECT_EQ(out[1], 21);
  EXPECT_EQ(out[2], 1) << "system buffer starts zeroed";
  EXPECT_EQ(out[4], 0x55) << "nothing written past the output size";
  EXPECT_EQ(in[0], 10) << "input untouched";
  CloseHandle(device);
}

TEST_F(DeviceTest, FailingStatusesMapToWin32ErrorsAndCopyNothingBack) {
  HANDLE device = open(0);
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  const struct {
    LONG status;
    DWORD error;
  } cases[] = {
      {PLAT_STATUS_NOT_IMPLEMENTED, ERROR_INVALID_FUNCTION},
      {PLAT_STATUS_CANCELLED, ERROR_OPERATION_ABORTED},
      {PLAT_STATUS_BUFFER_TOO_SMALL, ERROR_INSUFFICIENT_BUFFER},
      {PLAT_STATUS_INVALID_PARAMETER, ERROR_INVALID_PARAMETER},
      {PLAT_STATUS_INVALID_USER_BUFFER, ERROR_INVALID_USER_BUFFER},
      {PLAT_STATUS_INVALID_DEVICE_REQUEST, ERROR_INVALID_FUNCTION},
      {PLAT_STATUS_INSUFFICIENT_RESOURCES, ERROR_NO_SYSTEM_RESOURCES},
      {static_cast<LONG>(0xC0001234), ERROR_GEN_FAILURE},
  };
  for (const auto& c : cases) {
    LONG block = c.status;
    DWORD returned = 0;
    EXPECT_FALSE(DeviceIoControl(device, kStatus, &block, sizeof block, &block, sizeof block, &returned, nullptr));
    EXPECT_EQ(GetLastError(), c.error) << std::hex << c.status;
    EXPECT_EQ(block, c.status) << "an error result is not copied back";
    EXPECT_EQ(PlatStatusToWin32Error(c.status), c.error);
  }
  LONG ok = PLAT_STATUS_SUCCESS;
  DWORD returned = 0;
  EXPECT_TRUE(DeviceIoControl(device, kStatus, &ok, sizeof ok, &ok, sizeof ok, &returned, nullptr));
  EXPECT_EQ(ok & 0xFF, 0xEE) << "a success result is copied back";
  EXPECT_EQ(PlatStatusToWin32Error(PLAT_STATUS_SUCCESS), static_cast<DWORD>(ERROR_SUCCESS));

  DWORD unknownCode = CTL_CODE(FILE_DEVICE_UNKNOWN, 0x9FF, METHOD_BUFFERED, FILE_ANY_ACCESS);
  EXPECT_FALSE(DeviceIoControl(device, unknownCode, nullptr, 0, nullptr, 0, &returned, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
  CloseHandle(device);
}

TEST_F(DeviceTest, BadArgumentsFailCleanly) {
  DWORD returned = 0;
  EXPECT_FALSE(DeviceIoControl(reinterpret_cast<HANDLE>(0x7FFFFFF0), kEcho, nullptr, 0, nullptr, 0, &returned,
                               nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  EXPECT_FALSE(DeviceIoControl(event, kEcho, nullptr, 0, nullptr, 0, &returned, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  CloseHandle(event);

  HANDLE device = open(0);
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(DeviceIoControl(device, kEcho, nullptr, 4, nullptr, 0, &returned, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOACCESS));
  EXPECT_FALSE(GetOverlappedResult(device, nullptr, &returned, TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(CancelIoEx(device, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_FOUND)) << "nothing pending";
  EXPECT_TRUE(CancelIo(device));
  CloseHandle(device);
}

TEST_F(DeviceTest, PendingRequestCompletedFromAnotherThreadFillsBufferAndSignalsEvent) {
  HANDLE device = open();
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  OVERLAPPED overlapped = withEvent();
  unsigned char out[16];
  std::memset(out, 0x5A, sizeof out);  // a copy past Information would show
  DWORD returned = 0xDEAD;
  unsigned char in[2] = {7, 8};
  EXPECT_FALSE(DeviceIoControl(device, kPend, in, 2, out, sizeof out, &returned, &overlapped));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
  EXPECT_EQ(overlapped.Internal, STATUS_PENDING_VALUE);
  EXPECT_FALSE(HasOverlappedIoCompleted(&overlapped));
  EXPECT_EQ(WaitForSingleObject(overlapped.hEvent, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "reset at the call";
  EXPECT_FALSE(GetOverlappedResult(device, &overlapped, &returned, FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_INCOMPLETE));

  std::thread completer([&] {
    PlatRequest* request = driver_.take();
    ASSERT_NE(request, nullptr);
    auto* system = static_cast<unsigned char*>(request->systemBuffer);
    EXPECT_EQ(system[0], 7) << "input copied in at the call";
    for (int i = 0; i < 6; ++i) system[i] = static_cast<unsigned char>(0xA0 + i);
    PlatCompleteRequest(request, PLAT_STATUS_SUCCESS, 6);
  });
  EXPECT_EQ(WaitForSingleObject(overlapped.hEvent, 5000), WAIT_OBJECT_0);
  completer.join();
  EXPECT_TRUE(HasOverlappedIoCompleted(&overlapped));
  EXPECT_EQ(overlapped.Internal, 0u);
  EXPECT_EQ(overlapped.InternalHigh, 6u);
  EXPECT_EQ(out[0], 0xA0);
  EXPECT_EQ(out[5], 0xA5);
  for (size_t i = 6; i < sizeof out; ++i) EXPECT_EQ(out[i], 0x5A) << "only Information bytes are copied back: " << i;
  ASSERT_TRUE(GetOverlappedResult(device, &overlapped, &returned, TRUE));
  EXPECT_EQ(returned, 6u);
  CloseHandle(overlapped.hEvent);
  CloseHandle(device);
}

// A caller's buffer that is gone at the call, or by the time the driver
// completes (on the driver's thread), fails the call, not the process.
TEST_F(DeviceTest, CallerBufferOutOfReachFailsTheCallWithNoAccess) {
  HANDLE device = open();
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  auto* pages = static_cast<unsigned char*>(
      mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(pages, MAP_FAILED);
  unsigned char* kept = pages;
  unsigned char* lost = pages + page;  // given up by the caller
  const struct {
    const char* what;
    DWORD code;
    unsigned char* in;
    unsigned char* out;
    bool lostAfterTheCall;  // overlapped: between ERROR_IO_PENDING and the completion
    bool driverCalled;
  } cases[] = {
      {"buffered input", kEcho, lost, kept, false, false},
      {"direct input", kPendDirect, lost, kept, false, false},
      {"output of a completion at the call", kEcho, kept, lost, false, true},
      {"output of a pending completion", kPend, kept, lost, true, true},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(mprotect(lost, page, c.lostAfterTheCall ? PROT_READ | PROT_WRITE : PROT_NONE), 0);
    const int controls = driver_.controls.load();
    OVERLAPPED overlapped = withEvent();
    DWORD returned = 0xDEAD;
    BOOL ok = DeviceIoControl(device, c.code, c.in, 8, c.out, 8, &returned, c.lostAfterTheCall ? &overlapped : nullptr);
    if (c.lostAfterTheCall) {
      EXPECT_FALSE(ok);
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING)) << c.what;
      ASSERT_EQ(mprotect(lost, page, PROT_NONE), 0);
      std::thread([&] {
        PlatRequest* request = driver_.take();
        ASSERT_NE(request, nullptr);
        PlatCompleteRequest(request, PLAT_STATUS_SUCCESS, 8);
      }).join();
      EXPECT_EQ(WaitForSingleObject(overlapped.hEvent, 0), WAIT_OBJECT_0) << c.what;
      ok = GetOverlappedResult(device, &overlapped, &returned, FALSE);
    }
    EXPECT_FALSE(ok) << c.what;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOACCESS)) << c.what;
    EXPECT_EQ(driver_.controls.load() - controls, c.driverCalled ? 1 : 0) << c.what;
    if (c.driverCalled) {
      EXPECT_EQ(returned, 0u) << c.what;
    }
    CloseHandle(overlapped.hEvent);
  }
  munmap(pages, 2 * page);
  CloseHandle(device);
}

TEST_F(DeviceTest, SuccessWhileStillPendingReturnsTrueAndCompletesLater) {
  HANDLE device = open();
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  OVERLAPPED overlapped = withEvent();
  DWORD out = 0;
  DWORD returned = 0;
  EXPECT_TRUE(DeviceIoControl(device, kPendSuccess, nullptr, 0, &out, sizeof out, &returned, &overlapped));
  EXPECT_EQ(overlapped.Internal, STATUS_PENDING_VALUE) << "still pending";
  EXPECT_EQ(WaitForSingleObject(overlapped.hEvent, 0), static_cast<DWORD>(WAIT_TIMEOUT));

  PlatRequest* request = driver_.take();
  ASSERT_NE(request, nullptr);
  const DWORD value = 0x12345678;
  std::memcpy(request->systemBuffer, &value, sizeof value);
  PlatCompleteRequest(request, PLAT_STATUS_SUCCESS, sizeof value);
  EXPECT_EQ(WaitForSingleObject(overlapped.hEvent, 0), WAIT_OBJECT_0);
  EXPECT_EQ(out, value);
  EXPECT_EQ(overlapped.InternalHigh, sizeof value);
  CloseHandle(overlapped.hEvent);
  CloseHandle(device);
}

TEST_F(DeviceTest, DirectRequestHandsTheCallersOutputBufferToTheDriver) {
  HANDLE device = open();
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  OVERLAPPED overlapped = withEvent();
  std::vector<DWORD> ring(64, 0);
  EXPECT_FALSE(DeviceIoControl(device, kPendDirect, ring.data(), 256, ring.data(), 256, nullptr, &overlapped));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
  PlatRequest* request = driver_.take();
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(request->method, static_cast<DWORD>(METHOD_IN_DIRECT));
  EXPECT_EQ(request->outputBuffer, ring.data());
  EXPECT_NE(request->systemBuffer, ring.data()) << "the input travels as a copy";
  // The driver writes while the request stays pending.
  static_cast<DWORD*>(request->outputBuffer)[10] = 99;
  EXPECT_EQ(ring[10], 99u);
  PlatCompleteRequest(request, PLAT_STATUS_SUCCESS, 0);
  EXPECT_EQ(WaitForSingleObject(overlapped.hEvent, 0), WAIT_OBJECT_0);
  CloseHandle(overlapped.hEvent);
  CloseHandle(device);
}

TEST_F(DeviceTest, CancelIoCancelsEveryPendingRequestCancelIoExOne) {
  HANDLE device = open();
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  OVERLAPPED records[3] = {withEvent(), withEvent(), withEvent()};
  for (OVERLAPPED& record : records) {
    EXPECT_FALSE(DeviceIoControl(device, kPend, nullptr, 0, nullptr, 0, nullptr, &record));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
  }
  ASSERT_TRUE(CancelIoEx(device, &records[1]));
  EXPECT_EQ(driver_.cancels.load(), 1);
  EXPECT_EQ(WaitForSingleObject(records[1].hEvent, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(records[0].hEvent, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  DWORD returned = 0;
  EXPECT_FALSE(GetOverlappedResult(device, &records[1], &returned, TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
  EXPECT_FALSE(CancelIoEx(device, &records[1]));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_FOUND));

  EXPECT_TRUE(CancelIo(device));
  EXPECT_EQ(driver_.cancels.load(), 3);
  EXPECT_EQ(driver_.queued(), 0u);
  for (OVERLAPPED& record : records) {
    EXPECT_EQ(static_cast<DWORD>(record.Internal), static_cast<DWORD>(PLAT_STATUS_CANCELLED));
    CloseHandle(record.hEvent);
  }
  CloseHandle(device);
}

TEST_F(DeviceTest, ClosingTheLastHandleCancelsThenCleansUpThenCloses) {
  HANDLE device = open();
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  HANDLE second = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), device, GetCurrentProcess(), &second, 0, FALSE,
                              DUPLICATE_SAME_ACCESS));
  OVERLAPPED cancellable = withEvent();
  OVERLAPPED plain = withEvent();
  EXPECT_FALSE(DeviceIoControl(device, kPend, nullptr, 0, nullptr, 0, nullptr, &cancellable));
  EXPECT_FALSE(DeviceIoControl(device, kPendNoCancel, nullptr, 0, nullptr, 0, nullptr, &plain));

  EXPECT_TRUE(CloseHandle(device));
  EXPECT_EQ(driver_.cancels.load(), 0) << "another handle still holds the file";
  SetLastError(1234);
  EXPECT_TRUE(CloseHandle(second));
  EXPECT_EQ(GetLastError(), 1234u) << "a successful close leaves the last error alone";
  EXPECT_EQ(driver_.cancels.load(), 1);
  EXPECT_EQ(WaitForSingleObject(cancellable.hEvent, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(plain.hEvent, 0), WAIT_OBJECT_0) << "finished by the cleanup";
  EXPECT_EQ(static_cast<DWORD>(plain.Internal), static_cast<DWORD>(PLAT_STATUS_CANCELLED));
  std::lock_guard<std::mutex> lock(driver_.mutex);
  EXPECT_EQ(driver_.calls, (std::vector<std::string>{"create", "cleanup", "close"}));
  CloseHandle(cancellable.hEvent);
  CloseHandle(plain.hEvent);
}

TEST_F(DeviceTest, CallWithoutOverlappedBlocksUntilCompletionEvenOnAnOverlappedHandle) {
  for (DWORD flags : {DWORD{FILE_FLAG_OVERLAPPED}, DWORD{0}}) {
    HANDLE device = open(flags);
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    std::atomic<bool> returned{false};
    DWORD out = 0;
    DWORD count = 0;
    BOOL ok = FALSE;
    std::thread caller([&] {
      ok = DeviceIoControl(device, kPend, nullptr, 0, &out, sizeof out, &count, nullptr);
      returned = true;
    });
    PlatRequest* request = driver_.take();
    ASSERT_NE(request, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(returned.load()) << "the call waits for the completion";
    const DWORD value = 42;
    std::memcpy(request->systemBuffer, &value, sizeof value);
    PlatCompleteRequest(request, PLAT_STATUS_SUCCESS, sizeof value);
    caller.join();
    EXPECT_TRUE(ok);
    EXPECT_EQ(out, 42u);
    EXPECT_EQ(count, sizeof value);
    CloseHandle(device);
  }
}

TEST_F(DeviceTest, BlockingCallEndsWhenAnotherThreadCancelsIt) {
  HANDLE device = open();
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  BOOL ok = TRUE;
  DWORD error = 0;
  std::thread caller([&] {
    ok = DeviceIoControl(device, kPend, nullptr, 0, nullptr, 0, nullptr, nullptr);
    error = GetLastError();
  });
  std::unique_lock<std::mutex> lock(driver_.mutex);
  ASSERT_TRUE(driver_.changed.wait_for(lock, std::chrono::seconds(5), [&] { return !driver_.queue.empty(); }));
  lock.unlock();
  EXPECT_TRUE(CancelIo(device));
  caller.join();
  EXPECT_FALSE(ok);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_OPERATION_ABORTED));
  CloseHandle(device);
}

TEST_F(DeviceTest, WithoutAnEventTheFileHandleIsWaitedOn) {
  HANDLE device = open();
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  OVERLAPPED overlapped{};
  DWORD out = 0;
  EXPECT_FALSE(DeviceIoControl(device, kPend, nullptr, 0, &out, sizeof out, nullptr, &overlapped));
  EXPECT_EQ(WaitForSingleObject(device, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  std::thread completer([&] {
    PlatRequest* request = driver_.take();
    ASSERT_NE(request, nullptr);
    PlatCompleteRequest(request, PLAT_STATUS_SUCCESS, 3);
  });
  DWORD returned = 0;
  EXPECT_TRUE(GetOverlappedResult(device, &overlapped, &returned, TRUE));
  completer.join();
  EXPECT_EQ(returned, 3u);
  EXPECT_EQ(WaitForSingleObject(device, 0), WAIT_OBJECT_0);
  CloseHandle(device);
}

TEST_F(DeviceTest, EndOfTheIssuingThreadCancelsItsRequests) {
  HANDLE device = open();
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  OVERLAPPED overlapped = withEvent();
  DWORD issuer = 0;
  std::thread([&] {
    issuer = GetCurrentThreadId();
    EXPECT_FALSE(DeviceIoControl(device, kPend, nullptr, 0, nullptr, 0, nullptr, &overlapped));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
  }).join();
  EXPECT_EQ(driver_.cancels.load(), 1);
  EXPECT_EQ(WaitForSingleObject(overlapped.hEvent, 0), WAIT_OBJECT_0);
  DWORD returned = 0;
  EXPECT_FALSE(GetOverlappedResult(device, &overlapped, &returned, FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
  EXPECT_NE(issuer, 0u);
  CloseHandle(overlapped.hEvent);
  CloseHandle(device);
}

TEST_F(DeviceTest, RequestCarriesItsOriginAndCancelAfterCompletionIsHarmless) {
  HANDLE device = open();
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  OVERLAPPED overlapped = withEvent();
  EXPECT_FALSE(DeviceIoControl(device, kPend, nullptr, 0, nullptr, 0, nullptr, &overlapped));
  PlatRequest* request = driver_.take();
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(request->handle, device);
  EXPECT_EQ(request->threadId, GetCurrentThreadId());
  EXPECT_EQ(request->majorFunction, PLAT_REQUEST_DEVICE_CONTROL);
  EXPECT_EQ(request->code, kPend);
  EXPECT_EQ(request->file->handle, device);
  EXPECT_EQ(std::string(request->file->deviceName), name_);
  PlatCompleteRequest(request, PLAT_STATUS_SUCCESS, 0);
  EXPECT_FALSE(CancelIoEx(device, &overlapped));
  EXPECT_EQ(driver_.cancels.load(), 0);
  CloseHandle(overlapped.hEvent);
  CloseHandle(device);
}

}  // namespace
