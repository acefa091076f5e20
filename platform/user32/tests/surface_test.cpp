#include <platform/debug_sink.h>
#include <platform/window_surface.h>
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <string>
#include <thread>

#include "window_fixture.h"

namespace {
uint32_t* row(const PlatSurface& s, LONG y) {
  return reinterpret_cast<uint32_t*>(static_cast<char*>(s.pixels) + static_cast<ptrdiff_t>(y) * s.stride);
}
}  // namespace

TEST(Surface, FollowsTheWindowSizeAndKeepsTheOverlap) {
  Recorder recorder;
  HWND hwnd = makeWindow(&recorder, 40, 30);
  PlatSurface s{};
  ASSERT_TRUE(PlatGetWindowSurface(hwnd, &s));
  ASSERT_NE(s.pixels, nullptr);
  EXPECT_EQ(s.width, 40);
  EXPECT_EQ(s.height, 30);
  EXPECT_GE(s.stride, 40 * 4);
  row(s, 29)[39] = 0xFF123456u;
  row(s, 0)[0] = 0xFFABCDEFu;

  ASSERT_TRUE(MoveWindow(hwnd, 0, 0, 64, 48, TRUE));
  ASSERT_TRUE(PlatGetWindowSurface(hwnd, &s));
  EXPECT_EQ(s.width, 64);
  EXPECT_EQ(s.height, 48);
  EXPECT_EQ(row(s, 29)[39], 0xFF123456u);
  EXPECT_EQ(row(s, 0)[0], 0xFFABCDEFu);
  EXPECT_EQ(row(s, 47)[63], 0xFF000000u) << "new area is black";

  ASSERT_TRUE(SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER));
  ASSERT_TRUE(PlatGetWindowSurface(hwnd, &s));
  EXPECT_EQ(s.pixels, nullptr);
  EXPECT_EQ(s.width, 0);
  DestroyWindow(hwnd);
  EXPECT_FALSE(PlatGetWindowSurface(hwnd, &s));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_FALSE(PlatGetWindowSurface(hwnd, nullptr));
}

TEST(Surface, LockedSurfaceOutlivesItsWindowAndBlocksResizes) {
  Recorder recorder;
  HWND hwnd = makeWindow(&recorder, 16, 16);
  PlatSurface s{};
  PlatSurfaceLock* lock = PlatLockWindowSurface(hwnd, &s);
  ASSERT_NE(lock, nullptr);
  PlatSurface again{};
  PlatSurfaceLock* nested = PlatLockWindowSurface(hwnd, &again);  // recursive on one thread
  ASSERT_NE(nested, nullptr);
  PlatUnlockWindowSurface(nested);

  // A resize from another thread waits for the lock.
  std::atomic<bool> resized{false};
  std::thread resizer([&] {
    SetWindowPos(hwnd, nullptr, 0, 0, 32, 32, SWP_NOMOVE);
    resized = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(resized);
  row(s, 15)[15] = 1;  // still ours to write
  PlatUnlockWindowSurface(lock);
  // The resizer then tells this thread, the window's, with WM_SIZE.
  MSG msg;
  while (!resized) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  }
  resizer.join();

  {
    PlatSurfaceGuard guard(hwnd);
    ASSERT_TRUE(guard);
    EXPECT_EQ(guard.surface().width, 32);
    EXPECT_EQ(row(guard.surface(), 15)[15], 1u);
    DestroyWindow(hwnd);
    row(guard.surface(), 31)[31] = 2;  // memory stays until the lock ends
  }
  PlatSurfaceGuard gone(hwnd);
  EXPECT_FALSE(gone);
  PlatUnlockWindowSurface(nullptr);
}

TEST(Surface, ChangedHookHearsDrawingAndResizes) {
  Recorder recorder;
  HWND hwnd = makeWindow(&recorder, 10, 10);
  struct Heard {
    int calls = 0;
    bool whole = false;
    RECT last{};
  } heard;
  ASSERT_TRUE(PlatSetSurfaceChangedHook(
      hwnd,
      [](HWND, const RECT* changed, void* user) {
        auto* h = static_cast<Heard*>(user);
        ++h->calls;
        h->whole = changed == nullptr;
        if (changed) h->last = *changed;
      },
      &heard));
  RECT r{1, 2, 3, 4};
  EXPECT_TRUE(PlatSurfaceChanged(hwnd, &r));
  EXPECT_EQ(heard.calls, 1);
  EXPECT_EQ(heard.last.bottom, 4);
  PlatSurface s;
  PlatGetWindowSurface(hwnd, &s);
  MoveWindow(hwnd, 0, 0, 20, 20, FALSE);
  EXPECT_EQ(heard.calls, 2);
  EXPECT_TRUE(heard.whole);
  PlatSetSurfaceChangedHook(hwnd, nullptr, nullptr);
  PlatSurfaceChanged(hwnd, nullptr);
  EXPECT_EQ(heard.calls, 2);
  DestroyWindow(hwnd);
  EXPECT_FALSE(PlatSurfaceChanged(hwnd, nullptr));
}

TEST(Surface, ABatchReportsItsChangesOnceAsTheirUnion) {
  Recorder recorder;
  HWND hwnd = makeWindow(&recorder, 40, 30);
  struct Heard {
    int calls = 0;
    bool whole = false;
    RECT last{};
  } heard;
  PlatSetSurfaceChangedHook(
      hwnd,
      [](HWND, const RECT* changed, void* user) {
        auto* h = static_cast<Heard*>(user);
        ++h->calls;
        h->whole = changed == nullptr;
        if (changed) h->last = *changed;
      },
      &heard);
  ASSERT_TRUE(PlatBeginSurfaceBatch(hwnd));
  ASSERT_TRUE(PlatBeginSurfaceBatch(hwnd));  // nested
  const RECT a{5, 6, 7, 8}, b{1, 10, 3, 12};
  PlatSurfaceChanged(hwnd, &a);
  {
    PlatSurfaceGuard guard(hwnd);  // the batch's surface, locked as ever
    ASSERT_TRUE(guard);
    EXPECT_EQ(guard.surface().width, 40);
  }
  PlatSurfaceChanged(hwnd, &b);
  EXPECT_TRUE(PlatEndSurfaceBatch(hwnd));
  EXPECT_EQ(heard.calls, 0) << "the outer batch still gathers";
  EXPECT_TRUE(PlatEndSurfaceBatch(hwnd));
  EXPECT_EQ(heard.calls, 1);
  EXPECT_FALSE(heard.whole);
  EXPECT_EQ((std::array<LONG, 4>{heard.last.left, heard.last.top, heard.last.right, heard.last.bottom}),
            (std::array<LONG, 4>{1, 6, 7, 12}));

  {
    PlatSurfaceBatch batch(hwnd);
    PlatSurfaceChanged(hwnd, &a);
    PlatSurfaceChanged(hwnd, nullptr);
  }
  EXPECT_EQ(heard.calls, 2);
  EXPECT_TRUE(heard.whole) << "a whole-surface report stays whole";
  EXPECT_FALSE(PlatEndSurfaceBatch(hwnd));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  PlatSetSurfaceChangedHook(hwnd, nullptr, nullptr);
  DestroyWindow(hwnd);
  EXPECT_FALSE(PlatBeginSurfaceBatch(hwnd));
}

TEST(Dialogs, MessageBeepIsCounted) {
  LONG before = PlatMessageBeepCount();
  EXPECT_TRUE(MessageBeep(MB_ICONEXCLAMATION));
  EXPECT_TRUE(MessageBeep(0xFFFFFFFF));
  EXPECT_EQ(PlatMessageBeepCount(), before + 2);
}

TEST(Dialogs, MessageBoxWritesItsTextAndAnswersTheDefaultButton) {
  std::string out;
  PlatSetDebugSink([](const char* text, void* user) { *static_cast<std::string*>(user) += text; }, &out);
  EXPECT_EQ(MessageBoxA(nullptr, "disk full", "Monitor", MB_OK | MB_ICONERROR), IDOK);
  EXPECT_NE(out.find("disk full"), std::string::npos);
  EXPECT_NE(out.find("Monitor"), std::string::npos);
  EXPECT_EQ(MessageBoxA(nullptr, nullptr, nullptr, MB_YESNO), IDYES);
  EXPECT_EQ(MessageBoxA(nullptr, "", "", MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "", "", MB_RETRYCANCEL | MB_DEFBUTTON3), IDRETRY) << "no third button";
  PlatSetDebugSink(nullptr, nullptr);

  PlatSetMessageBoxHook([](HWND, LPCSTR text, LPCSTR, UINT, void*) { return text[0] == 'q' ? IDCANCEL : IDOK; },
                        nullptr);
  EXPECT_EQ(MessageBoxA(nullptr, "quit?", "", MB_OKCANCEL), IDCANCEL);
  PlatSetMessageBoxHook(nullptr, nullptr);
  EXPECT_EQ(MessageBoxA(nullptr, "quit?", "", MB_OKCANCEL), IDOK);
}
