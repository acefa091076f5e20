#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "window_fixture.h"

TEST(Classes, RegistrationIsCaseInsensitiveAndChecked) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "PlatClassCase";
  ATOM atom = RegisterClassExA(&wc);
  ASSERT_NE(atom, 0);
  wc.lpszClassName = "platclasscase";
  EXPECT_EQ(RegisterClassExA(&wc), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
  wc.cbSize = 0;
  EXPECT_EQ(RegisterClassExA(&wc), 0);
  EXPECT_EQ(RegisterClassA(nullptr), 0);
  WNDCLASSA noProc{};
  noProc.lpszClassName = "PlatNoProc";
  EXPECT_EQ(RegisterClassA(&noProc), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  HWND byAtom = CreateWindowExA(0, MAKEINTATOM(atom), "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(byAtom);
  EXPECT_FALSE(UnregisterClassA("PLATCLASSCASE", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
  DestroyWindow(byAtom);
  EXPECT_TRUE(UnregisterClassA("PLATCLASSCASE", nullptr));
  EXPECT_FALSE(UnregisterClassA("PlatClassCase", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
  EXPECT_FALSE(CreateWindowExA(0, "PlatClassCase", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
}

TEST(Windows, CreationSendsCreateWithParametersAndGivesSmallHandles) {
  Recorder recorder;
  CREATESTRUCTA seen{};
  recorder.handler = [&](HWND, UINT m, WPARAM, LPARAM l) -> std::optional<LRESULT> {
    if (m == WM_CREATE) seen = *reinterpret_cast<CREATESTRUCTA*>(l);
    return std::nullopt;
  };
  HWND first = makeWindow(&recorder, 300, 200);
  ASSERT_TRUE(first);
  EXPECT_EQ(seen.lpCreateParams, &recorder);
  EXPECT_EQ(seen.cx, 300);
  EXPECT_EQ(seen.cy, 200);
  EXPECT_STREQ(seen.lpszName, "test");
  EXPECT_EQ((std::vector<UINT>(recorder.messages.begin(), recorder.messages.begin() + 2)),
            (std::vector<UINT>{WM_NCCREATE, WM_CREATE}));
  EXPECT_EQ(recorder.count(WM_SIZE), 1u);

  Recorder other;
  HWND second = makeWindow(&other);
  for (HWND h : {first, second}) {
    auto value = reinterpret_cast<uintptr_t>(h);
    EXPECT_LT(value, 0x80000000u);
    EXPECT_EQ(value % 4, 0u);
  }
  EXPECT_NE(first, second);
  DestroyWindow(first);
  DestroyWindow(second);
  HWND third = makeWindow(&other);
  EXPECT_NE(third, first) << "values are not reused soon";
  EXPECT_NE(third, second);
  DestroyWindow(third);
}

TEST(Windows, CreateReturningMinusOneFailsTheCreation) {
  Recorder recorder;
  recorder.createResult = -1;
  HWND hwnd = makeWindow(&recorder);
  EXPECT_EQ(hwnd, nullptr);
  EXPECT_EQ(recorder.count(WM_DESTROY), 1u);
  EXPECT_EQ(recorder.messages.back(), static_cast<UINT>(WM_NCDESTROY));
}

TEST(Windows, DestroyTellsTheWindowAndItsChildrenThenInvalidatesThem) {
  std::vector<std::pair<char, UINT>> order;
  Recorder parent, child;
  parent.handler = [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_DESTROY || m == WM_NCDESTROY) order.emplace_back('p', m);
    return std::nullopt;
  };
  child.handler = [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_DESTROY || m == WM_NCDESTROY) order.emplace_back('c', m);
    return std::nullopt;
  };
  HWND p = makeWindow(&parent);
  HWND c = makeWindow(&child, 50, 50, WS_CHILD | WS_VISIBLE, p);
  ASSERT_TRUE(c);
  EXPECT_EQ(GetParent(c), p);
  EXPECT_TRUE(DestroyWindow(p));
  EXPECT_EQ(order, (std::vector<std::pair<char, UINT>>{
                       {'p', WM_DESTROY}, {'c', WM_DESTROY}, {'c', WM_NCDESTROY}, {'p', WM_NCDESTROY}}));
  EXPECT_FALSE(IsWindow(p));
  EXPECT_FALSE(IsWindow(c));
  EXPECT_FALSE(PostMessageA(p, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_FALSE(DestroyWindow(p));
  EXPECT_FALSE(CreateWindowExA(0, testClass(), "", WS_CHILD, 0, 0, 1, 1, p, nullptr, nullptr, nullptr));
}

TEST(Windows, DestroyForgetsMessagesAlreadyPosted) {
  Recorder recorder;
  HWND hwnd = makeWindow(&recorder);
  PostMessageA(hwnd, WM_USER, 0, 0);
  PostMessageA(nullptr, WM_USER + 1, 0, 0);
  DestroyWindow(hwnd);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 1u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(Windows, OnlyTheOwningThreadDestroysAndCloseDestroys) {
  Recorder recorder;
  HWND hwnd = makeWindow(&recorder);
  std::thread([hwnd] {
    EXPECT_FALSE(DestroyWindow(hwnd));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  }).join();
  EXPECT_TRUE(IsWindow(hwnd));
  SendMessageA(hwnd, WM_CLOSE, 0, 0);  // DefWindowProcA destroys
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(IsWindow(nullptr));
  EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(-1)));
  EXPECT_FALSE(IsWindow(HWND_BROADCAST));
  EXPECT_FALSE(PostMessageA(HWND_BROADCAST, WM_USER, 0, 0));
}

TEST(Windows, MessageOnlyWindowHasNoParentAndStaysHidden) {
  Recorder recorder;
  HWND hwnd = CreateWindowExA(0, testClass(), "", WS_VISIBLE, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                              &recorder);
  ASSERT_TRUE(hwnd);
  EXPECT_EQ(GetParent(hwnd), nullptr);
  EXPECT_FALSE(IsWindowVisible(hwnd));
  DestroyWindow(hwnd);
}

TEST(Geometry, RectsFollowMoveWindowAndSetWindowPos) {
  Recorder recorder;
  std::vector<LPARAM> sizes;
  recorder.handler = [&](HWND, UINT m, WPARAM, LPARAM l) -> std::optional<LRESULT> {
    if (m == WM_SIZE) sizes.push_back(l);
    return std::nullopt;
  };
  HWND hwnd = makeWindow(&recorder, 200, 100);
  RECT r;
  ASSERT_TRUE(GetWindowRect(hwnd, &r));
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right, 210);
  EXPECT_EQ(r.bottom, 120);
  ASSERT_TRUE(GetClientRect(hwnd, &r));
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right, 200);
  EXPECT_EQ(r.bottom, 100);

  ASSERT_TRUE(MoveWindow(hwnd, 5, 6, 320, 240, FALSE));
  GetClientRect(hwnd, &r);
  EXPECT_EQ(r.right, 320);
  EXPECT_EQ(r.bottom, 240);
  ASSERT_TRUE(SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right, 320);
  EXPECT_EQ(sizes, (std::vector<LPARAM>{MAKELPARAM(200, 100), MAKELPARAM(320, 240)}));

  // A child's window rectangle is in screen coordinates.
  Recorder childRecorder;
  HWND child = CreateWindowExA(0, testClass(), "", WS_CHILD, 7, 8, 30, 40, hwnd, nullptr, nullptr, &childRecorder);
  GetWindowRect(child, &r);
  EXPECT_EQ(r.left, 7);
  EXPECT_EQ(r.top, 8);
  MoveWindow(hwnd, 100, 50, 320, 240, FALSE);
  GetWindowRect(child, &r);
  EXPECT_EQ((std::array<LONG, 4>{r.left, r.top, r.right, r.bottom}), (std::array<LONG, 4>{107, 58, 137, 98}));

  EXPECT_FALSE(GetWindowRect(hwnd, nullptr));
  DestroyWindow(hwnd);
  EXPECT_FALSE(GetClientRect(hwnd, &r));
  EXPECT_FALSE(MoveWindow(hwnd, 0, 0, 1, 1, TRUE));
}

TEST(Geometry, ShowWindowReportsThePreviousVisibility) {
  Recorder recorder;
  HWND hwnd = makeWindow(&recorder);
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_FALSE(ShowWindow(hwnd, SW_SHOW));
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_TRUE(ShowWindow(hwnd, SW_HIDE));
  EXPECT_FALSE(IsWindowVisible(hwnd));
  DestroyWindow(hwnd);
}

TEST(WindowData, TextGoesThroughTheProcedure) {
  Recorder recorder;
  HWND hwnd = makeWindow(&recorder);
  char buffer[8];
  EXPECT_EQ(GetWindowTextA(hwnd, buffer, sizeof buffer), 4);
  EXPECT_STREQ(buffer, "test");
  EXPECT_TRUE(SetWindowTextA(hwnd, "a longer title"));
  EXPECT_EQ(recorder.count(WM_SETTEXT), 1u);
  EXPECT_EQ(GetWindowTextLengthA(hwnd), 14);
  EXPECT_EQ(GetWindowTextA(hwnd, buffer, sizeof buffer), 7) << "cut to the buffer";
  EXPECT_STREQ(buffer, "a longe");
  std::thread([hwnd] {
    char other[32];
    EXPECT_EQ(GetWindowTextA(hwnd, other, sizeof other), 14);
  }).join();
  EXPECT_EQ(GetWindowTextA(hwnd, nullptr, 5), 0);
  DestroyWindow(hwnd);
  EXPECT_FALSE(SetWindowTextA(hwnd, "x"));
}

TEST(WindowData, LongSlotsKeepValuesAndRejectUnknownIndices) {
  Recorder recorder;
  HWND hwnd = makeWindow(&recorder);
  EXPECT_EQ(SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0x12345678abcLL), reinterpret_cast<LONG_PTR>(&recorder));
  EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_USERDATA), 0x12345678abcLL);
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);  // the recorder is no longer told
  EXPECT_EQ(GetWindowLongPtrA(hwnd, GWL_STYLE), static_cast<LONG_PTR>(static_cast<LONG>(WS_OVERLAPPEDWINDOW)));
  EXPECT_EQ(GetWindowLongPtrA(hwnd, 1000), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
  EXPECT_EQ(SetWindowLongA(hwnd, GWL_WNDPROC, 0), 0) << "a pointer does not fit 32 bits";
  EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&recordingProc));
  DestroyWindow(hwnd);
  EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_USERDATA), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST(WindowData, DesktopAndThreadOfAWindow) {
  HWND desktop = GetDesktopWindow();
  EXPECT_TRUE(IsWindow(desktop));
  EXPECT_EQ(GetDesktopWindow(), desktop);
  RECT r;
  EXPECT_TRUE(GetWindowRect(desktop, &r));
  EXPECT_GT(r.right, 0);
  EXPECT_FALSE(DestroyWindow(desktop));

  Recorder recorder;
  HWND hwnd = makeWindow(&recorder);
  DWORD process = 0;
  EXPECT_EQ(GetWindowThreadProcessId(hwnd, &process), GetCurrentThreadId());
  EXPECT_EQ(process, GetCurrentProcessId());
  DestroyWindow(hwnd);
  EXPECT_EQ(GetWindowThreadProcessId(hwnd, &process), 0u);
}

TEST(Paint, InvalidationQueuesOnePaintUntilValidated) {
  Recorder recorder;
  HWND hwnd = makeWindow(&recorder, 100, 50);
  InvalidateRect(hwnd, nullptr, FALSE);
  RECT part{10, 10, 20, 20};
  InvalidateRect(hwnd, &part, TRUE);
  MSG msg;
  int paints = 0;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    paints += msg.message == WM_PAINT;
    DispatchMessageA(&msg);  // DefWindowProcA validates
  }
  EXPECT_EQ(paints, 1);
  EXPECT_EQ(recorder.count(WM_ERASEBKGND), 1u);

  // A procedure that paints itself sees the union of what was invalidated.
  RECT painted{};
  recorder.handler = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m != WM_PAINT) return std::nullopt;
    PAINTSTRUCT ps;
    BeginPaint(h, &ps);
    painted = ps.rcPaint;
    EndPaint(h, &ps);
    return 0;
  };
  RECT a{0, 0, 10, 10}, b{50, 20, 500, 30};
  InvalidateRect(hwnd, &a, FALSE);
  InvalidateRect(hwnd, &b, FALSE);
  EXPECT_TRUE(UpdateWindow(hwnd));
  EXPECT_EQ(painted.right, 100) << "clipped to the client area";
  EXPECT_EQ(painted.bottom, 30);
  EXPECT_EQ(painted.left, 0);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
  DestroyWindow(hwnd);
  EXPECT_FALSE(InvalidateRect(hwnd, nullptr, FALSE));
}
