// The service control manager: services as registry keys, and a kernel
// driver started, queried and stopped through the kernel layer.
#include <functional>

#include "registry_fixture.h"

namespace {

// The kernel layer's test driver (platform/ntkrnl/tests/libs).
constexpr const char* kDriverService = "NtkTestDrv";
constexpr const char* kDriverImage = "ntktestdrv";
constexpr const char* kDriverKey = "SYSTEM\\CurrentControlSet\\Services\\NtkTestDrv";

struct Handle {
  SC_HANDLE value;
  explicit Handle(SC_HANDLE h) : value(h) {}
  ~Handle() {
    if (value != nullptr) CloseServiceHandle(value);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  operator SC_HANDLE() const { return value; }
};

class ServicesTest : public RegistryTest {
 protected:
  SC_HANDLE createDriver(DWORD access = SERVICE_ALL_ACCESS, DWORD start = SERVICE_DEMAND_START) {
    return CreateServiceA(manager_, kDriverService, nullptr, access, SERVICE_KERNEL_DRIVER, start,
                          SERVICE_ERROR_NORMAL, kDriverImage, nullptr, nullptr, nullptr, nullptr, nullptr);
  }
  DWORD state(SC_HANDLE service) {
    SERVICE_STATUS status{};
    EXPECT_TRUE(QueryServiceStatus(service, &status));
    return status.dwCurrentState;
  }

  Handle manager_{OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)};
};

DWORD readDword(HKEY key, const char* name) {
  DWORD value = 0xDEAD;
  DWORD size = sizeof value;
  RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
  return value;
}

}  // namespace

TEST_F(ServicesTest, CreatingWritesTheServiceKeyAndASecondCreateFindsItExists) {
  ASSERT_NE(manager_.value, nullptr);
  EXPECT_LT(reinterpret_cast<uintptr_t>(manager_.value), uintptr_t{1} << 31);
  Handle service(createDriver(SERVICE_ALL_ACCESS, SERVICE_AUTO_START));
  ASSERT_NE(service.value, nullptr);

  HKEY key = nullptr;
  ASSERT_EQ(open(kDriverKey, key), ERROR_SUCCESS);
  EXPECT_EQ(readDword(key, "Type"), SERVICE_KERNEL_DRIVER);
  EXPECT_EQ(readDword(key, "Start"), SERVICE_AUTO_START);
  EXPECT_EQ(readDword(key, "ErrorControl"), SERVICE_ERROR_NORMAL);
  EXPECT_EQ(getString(key, "ImagePath"), kDriverImage);
  EXPECT_EQ(getString(key, "DisplayName"), kDriverService);
  RegCloseKey(key);

  Handle again(createDriver());
  EXPECT_EQ(again.value, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_EXISTS));
}

TEST_F(ServicesTest, ADriverServiceStartsRunsStopsAndIsDeleted) {
  Handle service(createDriver());
  ASSERT_NE(service.value, nullptr);
  EXPECT_EQ(state(service), SERVICE_STOPPED);
  ASSERT_TRUE(StartServiceA(service, 0, nullptr)) << GetLastError();
  EXPECT_FALSE(StartServiceA(service, 0, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_ALREADY_RUNNING));

  Handle query(OpenServiceA(manager_, "ntktestDRV", SERVICE_QUERY_STATUS));
  ASSERT_NE(query.value, nullptr);
  EXPECT_EQ(state(query), SERVICE_RUNNING);

  SERVICE_STATUS status{};
  ASSERT_TRUE(ControlService(service, SERVICE_CONTROL_STOP, &status)) << GetLastError();
  EXPECT_EQ(status.dwCurrentState, SERVICE_STOPPED);
  EXPECT_EQ(state(query), SERVICE_STOPPED);
  EXPECT_FALSE(ControlService(service, SERVICE_CONTROL_STOP, &status));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));

  ASSERT_TRUE(DeleteService(service));
  HKEY key = nullptr;
  EXPECT_EQ(open(kDriverKey, key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(OpenServiceA(manager_, kDriverService, SERVICE_ALL_ACCESS), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
  // Handles open on the deleted service: no start, no second delete.
  EXPECT_FALSE(StartServiceA(service, 0, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_MARKED_FOR_DELETE));
  EXPECT_FALSE(DeleteService(service));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_MARKED_FOR_DELETE));
  // The name is free again at once.
  Handle fresh(createDriver());
  EXPECT_NE(fresh.value, nullptr);
}

TEST_F(ServicesTest, CallsThatCannotBeServedSayWhy) {
  Handle service(createDriver());
  Handle queryOnly(OpenServiceA(manager_, kDriverService, SERVICE_QUERY_STATUS));
  Handle connectOnly(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  auto create = [&](SC_HANDLE manager, const char* name, DWORD type, DWORD start, const char* image) {
    return CreateServiceA(manager, name, nullptr, SERVICE_ALL_ACCESS, type, start, 0, image, nullptr, nullptr,
                          nullptr, nullptr, nullptr);
  };
  Handle disabled(create(manager_, "Disabled", SERVICE_KERNEL_DRIVER, SERVICE_DISABLED, kDriverImage));
  Handle noModule(create(manager_, "NoModule", SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, "no_such_driver"));
  Handle process(create(manager_, "Process", SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, "prog"));
  struct Case {
    const char* what;
    std::function<bool()> call;  // true when the call succeeded
    DWORD error;
  } cases[] = {
      {"start without the right", [&] { return StartServiceA(queryOnly, 0, nullptr) != FALSE; },
       ERROR_ACCESS_DENIED},
      {"start a disabled driver", [&] { return StartServiceA(disabled, 0, nullptr) != FALSE; },
       ERROR_SERVICE_DISABLED},
      {"start a missing module", [&] { return StartServiceA(noModule, 0, nullptr) != FALSE; },
       ERROR_FILE_NOT_FOUND},
      {"start a process service", [&] { return StartServiceA(process, 0, nullptr) != FALSE; },
       ERROR_NOT_SUPPORTED},
      {"a manager as service", [&] { return StartServiceA(manager_, 0, nullptr) != FALSE; },
       ERROR_INVALID_HANDLE},
      {"pause a driver", [&] { return ControlService(service, 2, nullptr) != FALSE; },
       ERROR_INVALID_SERVICE_CONTROL},
      {"open an unknown service",
       [&] { return Handle(OpenServiceA(manager_, "Unknown", SERVICE_ALL_ACCESS)).value != nullptr; },
       ERROR_SERVICE_DOES_NOT_EXIST},
      {"a name with a backslash",
       [&] { return Handle(create(manager_, "A\\B", SERVICE_KERNEL_DRIVER, 3, kDriverImage)).value != nullptr; },
       ERROR_INVALID_NAME},
      {"create through a connect-only manager",
       [&] { return Handle(create(connectOnly, "Other", SERVICE_KERNEL_DRIVER, 3, kDriverImage)).value != nullptr; },
       ERROR_ACCESS_DENIED},
      {"close an unknown handle",
       [] { return CloseServiceHandle(reinterpret_cast<SC_HANDLE>(uintptr_t{0x7FFFFFF0})) != FALSE; },
       ERROR_INVALID_HANDLE},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_FALSE(c.call()) << c.what;
    EXPECT_EQ(GetLastError(), c.error) << c.what;
  }
}
