// Module loading, exports and DllMain, through the small modtest* libraries
// (tests/libs): modtestb and modtestd link modtesta, modtestc is linked
// into this program, modtestfail refuses its attach.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>

#include <platform/debug_sink.h>

extern "C" int ModTestAttachCount();  // of modtestc, linked
extern "C" HINSTANCE ModTestInstance();

namespace {

class DebugLines {
 public:
  DebugLines() { PlatSetDebugSink(&DebugLines::collect, this); }
  ~DebugLines() { PlatSetDebugSink(nullptr, nullptr); }
  DebugLines(const DebugLines&) = delete;
  DebugLines& operator=(const DebugLines&) = delete;

  // The lines of the modtest libraries, in order.
  std::vector<std::string> events() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
  }

 private:
  // The libraries write "<tag> attach"; the layer's own notes are longer.
  static void collect(const char* text, void* self) {
    auto* lines = static_cast<DebugLines*>(self);
    std::string line(text);
    if (std::count(line.begin(), line.end(), ' ') != 1) return;
    std::lock_guard<std::mutex> lock(lines->mutex_);
    lines->lines_.push_back(line);
  }
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

// Through void(*)(), the cast between unrelated function types that
// -Wcast-function-type accepts.
using AnyFunction = void (*)();

template <class F>
F function(HMODULE module, LPCSTR name) {
  return reinterpret_cast<F>(reinterpret_cast<AnyFunction>(GetProcAddress(module, name)));
}

std::string tagOf(HMODULE module) {
  auto tag = function<const char* (*)()>(module, "ModTestTag");
  return tag != nullptr ? tag() : "";
}

int attachCountOf(HMODULE module) {
  auto count = function<int (*)()>(module, "ModTestAttachCount");
  return count != nullptr ? count() : -1;
}

HINSTANCE instanceOf(HMODULE module) {
  auto instance = function<HINSTANCE (*)()>(module, "ModTestInstance");
  return instance != nullptr ? instance() : nullptr;
}

std::string fileNameOf(HMODULE module) {
  char buffer[MAX_PATH * 4];
  DWORD length = GetModuleFileNameA(module, buffer, sizeof buffer);
  return std::string(buffer, length);
}

bool isLoaded(LPCSTR name) { return GetModuleHandleA(name) != nullptr; }

TEST(ModuleLoading, NameCaseFolderAndExtensionNameOneLibrary) {
  HMODULE a = LoadLibraryA("modtesta.dll");
  ASSERT_NE(a, nullptr);
  EXPECT_LT(reinterpret_cast<uintptr_t>(a), 0x80000000u);
  EXPECT_EQ(tagOf(a), "a");
  const char* names[] = {"MODTESTA.DLL", "ModTestA", "modtesta.", "C:\\Windows\\system32\\ModTestA.Dll",
                         "..\\lib\\modtesta.dll"};
  for (const char* name : names) EXPECT_EQ(LoadLibraryA(name), a) << name;
  EXPECT_EQ(GetModuleHandleA("MoDtEsTa.DlL"), a);
  EXPECT_EQ(attachCountOf(a), 1);
  EXPECT_EQ(fileNameOf(a).substr(fileNameOf(a).rfind('/')), "/libmodtesta.so");
  for (size_t i = 0; i < std::size(names); ++i) EXPECT_TRUE(FreeLibrary(a));
  EXPECT_TRUE(isLoaded("modtesta")) << "one reference is still held";
  EXPECT_TRUE(FreeLibrary(a));
  SetLastError(0);
  EXPECT_EQ(GetModuleHandleA("modtesta"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_FALSE(FreeLibrary(a)) << "the module is gone";
}

TEST(ModuleLoading, MissingLibraryGivesModNotFound) {
  const char* names[] = {"nosuchlibrary.dll", "", ".dll", "C:\\Windows\\", "modtest"};
  for (const char* name : names) {
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA(name), nullptr) << name;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND)) << name;
    SetLastError(0);
    EXPECT_EQ(GetModuleHandleA(name), nullptr) << name;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND)) << name;
  }
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
  EXPECT_EQ(LoadLibraryExA("nosuchlibrary.dll", nullptr, LOAD_WITH_ALTERED_SEARCH_PATH), nullptr);
  EXPECT_FALSE(FreeLibrary(nullptr));
}

TEST(ModuleLoading, LibraryPathIsSearchedFirst) {
  std::string builtA = fileNameOf(GetModuleHandleA("modtestc"));
  builtA = builtA.substr(0, builtA.rfind('/')) + "/libmodtesta.so";
  std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                 ("modules_test_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  // A copy of modtesta under the name of modtestb, which also exists in
  // the build folder: the copy must win.
  std::filesystem::copy_file(builtA, folder / "libmodtestb.so",
                             std::filesystem::copy_options::overwrite_existing);
  std::string list = "/nonexistent-folder::" + folder.string();
  ::setenv("ORVANE_LIBRARY_PATH", list.c_str(), 1);

  HMODULE module = LoadLibraryExA("D:\\Program Files\\Orvane\\MODTESTB.DLL", nullptr, 0);
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(tagOf(module), "a");
  EXPECT_EQ(fileNameOf(module), (folder / "libmodtestb.so").string());
  EXPECT_TRUE(FreeLibrary(module));

  ::unsetenv("ORVANE_LIBRARY_PATH");
  std::filesystem::remove_all(folder);
}

TEST(ModuleFileName, ProgramAndLibraryPathsWithWindowsTruncation) {
  char exe[4096];
  ssize_t exeLength = ::readlink("/proc/self/exe", exe, sizeof exe);
  ASSERT_GT(exeLength, 0);
  EXPECT_EQ(fileNameOf(nullptr), std::string(exe, static_cast<size_t>(exeLength)));
  EXPECT_EQ(fileNameOf(GetModuleHandleA(nullptr)), std::string(exe, static_cast<size_t>(exeLength)));

  HMODULE c = GetModuleHandleA("modtestc.dll");
  std::string path = fileNameOf(c);
  ASSERT_GT(path.size(), 16u);
  EXPECT_EQ(path[0], '/');
  EXPECT_EQ(path.substr(path.size() - 15), "/libmodtestc.so");

  auto size = static_cast<DWORD>(path.size());
  std::vector<char> buffer(path.size() + 8, 'x');
  EXPECT_EQ(GetModuleFileNameA(c, buffer.data(), size + 1), size);
  EXPECT_EQ(std::string(buffer.data()), path);

  // One byte short of room for the terminator: cut, terminated, nSize back.
  std::fill(buffer.begin(), buffer.end(), 'x');
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameA(c, buffer.data(), size), size);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(std::string(buffer.data()), path.substr(0, path.size() - 1));

  std::fill(buffer.begin(), buffer.end(), 'x');
  EXPECT_EQ(GetModuleFileNameA(c, buffer.data(), 5), 5u);
  EXPECT_EQ(std::string(buffer.data()), path.substr(0, 4));
  EXPECT_EQ(buffer[5], 'x') << "nothing written past nSize";

  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameA(c, buffer.data(), 0), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(0x7ffffff0), buffer.data(), 64), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST(GetProcAddress, ByNameFindsOnlyTheLibrarysOwnExports) {
  HMODULE b = LoadLibraryA("modtestb.dll");
  ASSERT_NE(b, nullptr);
  HMODULE a = GetModuleHandleA("modtesta.dll");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(tagOf(b), "b");
  EXPECT_EQ(tagOf(a), "a");
  EXPECT_NE(GetProcAddress(a, "ModTestAOnly"), nullptr);
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(b, "ModTestAOnly"), nullptr) << "an export of the linked library";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(b, "NoSuchExport"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(reinterpret_cast<HMODULE>(0x7ffffff0), "ModTestTag"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(GetProcAddress(nullptr, "ModTestTag"), nullptr);
  EXPECT_TRUE(FreeLibrary(b));
}

TEST(GetProcAddress, ByOrdinalUsesThatLibrarysTable) {
  HMODULE b = LoadLibraryA("modtestb.dll");
  ASSERT_NE(b, nullptr);
  HMODULE a = GetModuleHandleA("modtesta.dll");
  auto tag = function<const char* (*)()>(a, MAKEINTRESOURCE(2));
  ASSERT_NE(tag, nullptr);
  EXPECT_STREQ(tag(), "a");
  EXPECT_EQ(GetProcAddress(a, MAKEINTRESOURCE(4)), GetProcAddress(a, "ModTestAttachCount"));

  const WORD missing[] = {0, 1, 3, 7 /* names no export */, 0xFFFF};
  for (WORD ordinal : missing) {
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(a, MAKEINTRESOURCE(ordinal)), nullptr) << ordinal;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND)) << ordinal;
  }
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(b, MAKEINTRESOURCE(2)), nullptr) << "b has no table; a's is not b's";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  EXPECT_EQ(GetProcAddress(GetModuleHandleA(nullptr), MAKEINTRESOURCE(2)), nullptr);
  EXPECT_TRUE(FreeLibrary(b));
}

TEST(KernelPseudoModule, NamesThisLayerAndItsOwnExportsOnly) {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  ASSERT_NE(kernel, nullptr);
  EXPECT_EQ(GetModuleHandleA("KERNEL32.DLL"), kernel);
  EXPECT_EQ(GetModuleHandleA("kernel32"), kernel);
  EXPECT_EQ(LoadLibraryA("C:\\WINDOWS\\SYSTEM32\\KERNEL32.DLL"), kernel);
  EXPECT_EQ(LoadLibraryA("KERNEL32.DLL"), kernel);
  std::string path = fileNameOf(kernel);
  EXPECT_EQ(path.substr(path.rfind('/')), "/libplatform.so");

  EXPECT_EQ(function<DWORD (*)()>(kernel, "GetLastError"), &GetLastError);
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(kernel, "malloc"), nullptr) << "the C library is not kernel32";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  EXPECT_EQ(GetProcAddress(kernel, "Wow64NoSuchEntry"), nullptr);

  EXPECT_TRUE(FreeLibrary(kernel));
  EXPECT_TRUE(FreeLibrary(kernel));
  EXPECT_TRUE(FreeLibrary(kernel)) << "a linked library stays loaded";
  EXPECT_EQ(function<DWORD (*)()>(kernel, "GetLastError"), &GetLastError);
}

TEST(DllMain, DependencyAttachesFirstAndDetachesLast) {
  DebugLines lines;
  HMODULE b = LoadLibraryA("modtestb.dll");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(lines.events(), (std::vector<std::string>{"a attach", "b attach"}));
  EXPECT_EQ(function<int (*)()>(b, "ModTestAttachesSeenOfA")(), 1);
  EXPECT_TRUE(FreeLibrary(b));
  EXPECT_EQ(lines.events(), (std::vector<std::string>{"a attach", "b attach", "b detach", "a detach"}));
  EXPECT_FALSE(isLoaded("modtestb"));
  EXPECT_FALSE(isLoaded("modtesta"));
}

TEST(DllMain, InstanceIsTheModuleHandle) {
  HMODULE b = LoadLibraryA("modtestb.dll");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(instanceOf(b), b);
  HMODULE a = GetModuleHandleA("modtesta.dll");
  EXPECT_EQ(instanceOf(a), a);
  EXPECT_EQ(ModTestInstance(), GetModuleHandleA("modtestc"));
  EXPECT_TRUE(FreeLibrary(b));
}

TEST(DllMain, LinkedLibraryAttachesOnceWhenAlsoLoadedByName) {
  // modtestc was attached before main.
  EXPECT_EQ(ModTestAttachCount(), 1);
  HMODULE c = LoadLibraryA("ModTestC.dll");
  EXPECT_EQ(c, ModTestInstance());
  EXPECT_EQ(ModTestAttachCount(), 1);
  EXPECT_TRUE(FreeLibrary(c));
  EXPECT_EQ(GetModuleHandleA("modtestc"), c);

  // modtesta, linked by modtestb, then loaded by name as well.
  DebugLines lines;
  HMODULE b = LoadLibraryA("modtestb.dll");
  HMODULE a = LoadLibraryA("modtesta.dll");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(instanceOf(a), a);
  EXPECT_EQ(attachCountOf(a), 1);
  EXPECT_TRUE(FreeLibrary(b));
  EXPECT_EQ(lines.events(), (std::vector<std::string>{"a attach", "b attach", "b detach"}));
  EXPECT_TRUE(FreeLibrary(a));
  EXPECT_EQ(lines.events().back(), "a detach");
}

// Whichever of its holders goes first, a library that a loaded library
// still links stays attached until the last of them goes.
TEST(DllMain, LinkedLibraryStaysAttachedWhileALoadedLibraryLinksIt) {
  const struct {
    const char* second;  // loaded after modtestb
    bool bFreedFirst;
    std::vector<std::string> events;  // once the first is freed
  } rows[] = {
      {"modtestd", true, {"a attach", "b attach", "d attach", "b detach"}},
      {"modtesta", false, {"a attach", "b attach"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.second) + (row.bFreedFirst ? ", modtestb freed first" : " freed first"));
    DebugLines lines;
    HMODULE b = LoadLibraryA("modtestb");
    HMODULE second = LoadLibraryA(row.second);
    ASSERT_NE(b, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(FreeLibrary(row.bFreedFirst ? b : second));
    EXPECT_EQ(lines.events(), row.events);
    EXPECT_EQ(attachCountOf(GetModuleHandleA("modtesta")), 1);
    EXPECT_TRUE(FreeLibrary(row.bFreedFirst ? second : b));
    EXPECT_EQ(lines.events().back(), "a detach");
    EXPECT_FALSE(isLoaded("modtesta"));
  }
}

// Without the flag that leaves the count, the call holds a reference that
// one more FreeLibrary gives back.
TEST(ModuleLoading, GetModuleHandleExCountsAReferenceUnlessToldNot) {
  const struct {
    DWORD flags;
    bool counts;
  } rows[] = {
      {0, true},
      {GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, true},
      {GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, false},
      {GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.flags);
    HMODULE a = LoadLibraryA("modtesta");
    ASSERT_NE(a, nullptr);
    const bool byAddress = (row.flags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) != 0;
    auto inside = reinterpret_cast<LPCSTR>(GetProcAddress(a, "ModTestTag"));
    HMODULE found = nullptr;
    ASSERT_TRUE(GetModuleHandleExA(row.flags, byAddress ? inside : "modtesta", &found));
    EXPECT_EQ(found, a);
    EXPECT_TRUE(FreeLibrary(a));
    EXPECT_EQ(isLoaded("modtesta"), row.counts);
    if (row.counts) {
      EXPECT_TRUE(FreeLibrary(found));
    }
    EXPECT_FALSE(isLoaded("modtesta"));
  }
}

TEST(DllMain, RefusedAttachFailsTheLoadAndUnloads) {
  DebugLines lines;
  for (int round = 0; round < 2; ++round) {
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA("modtestfail.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
    EXPECT_FALSE(isLoaded("modtestfail"));
  }
  EXPECT_EQ(lines.events(),
            (std::vector<std::string>{"fail attach", "fail detach", "fail attach", "fail detach"}));
}

TEST(DllMain, AttachThatStartsAThreadReturns) {
  HMODULE module = LoadLibraryA("modtestthread.dll");
  ASSERT_NE(module, nullptr);
  auto result = reinterpret_cast<DWORD (*)()>(GetProcAddress(module, "ModTestStartedThreadResult"));
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result(), 7u);
  EXPECT_TRUE(FreeLibrary(module));
}

// The attach waits for the thread it started to run, the detach for it
// to call the loader and end: neither may run inside the dynamic loader.
TEST(DllMain, ThreadsTheAttachAndDetachWaitForRun) {
  DebugLines lines;
  HMODULE module = LoadLibraryA("modtestthread.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_EQ(lines.events(), (std::vector<std::string>{"thread attach", "thread started", "thread detach", "thread joined"}));
}

// A program may load and unload a library with the dynamic loader itself:
// that unload is no end of the process either.
TEST(DllMain, AnUnloadByTheDynamicLoaderIsNoProcessEnd) {
  std::string path = fileNameOf(GetModuleHandleA("modtestc"));
  path = path.substr(0, path.rfind('/')) + "/libmodtestb.so";
  DebugLines lines;
  void* b = ::dlopen(path.c_str(), RTLD_NOW);
  ASSERT_NE(b, nullptr);
  ::dlclose(b);
  EXPECT_EQ(lines.events(), (std::vector<std::string>{"a attach", "b attach", "b detach", "a detach"}));
  EXPECT_FALSE(isLoaded("modtestb"));
}

TEST(DllMain, ReloadAttachesAgain) {
  DebugLines lines;
  for (int round = 0; round < 2; ++round) {
    HMODULE a = LoadLibraryA("modtesta.dll");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(instanceOf(a), a);
    EXPECT_TRUE(FreeLibrary(a));
  }
  EXPECT_EQ(lines.events(), (std::vector<std::string>{"a attach", "a detach", "a attach", "a detach"}));
}

TEST(DllMain, ConcurrentLoadsAndFreesStayBalanced) {
  DebugLines lines;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 40; ++i) {
        HMODULE b = LoadLibraryA("modtestb.dll");
        if (b == nullptr || tagOf(b) != "b" || !FreeLibrary(b)) ADD_FAILURE() << "round " << i;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_FALSE(isLoaded("modtestb"));
  EXPECT_FALSE(isLoaded("modtesta"));
  std::vector<std::string> events = lines.events();
  auto count = [&](const char* line) { return std::count(events.begin(), events.end(), line); };
  EXPECT_GE(count("b attach"), 1);
  EXPECT_EQ(count("b attach"), count("b detach"));
  EXPECT_EQ(count("a attach"), count("a detach"));
  EXPECT_EQ(count("a attach"), count("b attach"));
}

TEST(ModuleLoading, DisableThreadLibraryCallsIsAccepted) {
  EXPECT_TRUE(DisableThreadLibraryCalls(GetModuleHandleA("modtestc")));
}

}  // namespace
