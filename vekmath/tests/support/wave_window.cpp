#include "wave_window.h"

#include <wingdi.h>
#include <platform/surface_file.h>
#include <platform/window_surface.h>

#include "acquisition/sampling_config.h"

namespace wavetest {
namespace {

constexpr UINT kCallMessage = WM_USER + 7;

const char* windowClass() {
  static const ATOM atom = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
      if (m == kCallMessage) {
        auto* call = reinterpret_cast<std::function<void()>*>(GetWindowLongPtrA(h, GWLP_USERDATA));
        if (call != nullptr && *call) (*call)();
        return 0;
      }
      return DefWindowProcA(h, m, w, l);
    };
    wc.lpszClassName = "WaveTestWindow";
    return RegisterClassA(&wc);
  }();
  return atom != 0 ? "WaveTestWindow" : nullptr;
}

}  // namespace

TestWindow::TestWindow(int width, int height) {
  hwnd_ = CreateWindowExA(0, windowClass(), "wave", WS_POPUP, 0, 0, width, height, nullptr, nullptr, nullptr, nullptr);
  if (hwnd_ != nullptr) SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&call_));
}

TestWindow::~TestWindow() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

COLORREF TestWindow::pixel(int x, int y) const {
  PlatSurface s{};
  if (!PlatGetWindowSurface(hwnd_, &s) || s.pixels == nullptr || x < 0 || y < 0 || x >= s.width || y >= s.height)
    return CLR_INVALID;
  const auto* row = static_cast<const uint8_t*>(s.pixels) + static_cast<std::size_t>(y) * s.stride;
  const uint8_t* p = row + static_cast<std::size_t>(x) * 4;
  return RGB(p[2], p[1], p[0]);
}

std::vector<int> TestWindow::rowsWithColour(int x, COLORREF colour) const {
  std::vector<int> rows;
  PlatSurface s{};
  if (!PlatGetWindowSurface(hwnd_, &s)) return rows;
  for (int y = 0; y < s.height; ++y)
    if (pixel(x, y) == colour) rows.push_back(y);
  return rows;
}

void TestWindow::postCall(std::function<void()> call) {
  call_ = std::move(call);
  PostMessageA(hwnd_, kCallMessage, 0, 0);
}

void TestWindow::postAgain() { PostMessageA(hwnd_, kCallMessage, 0, 0); }

bool TestWindow::save(const std::string& name) const {
  PlatSurface s{};
  return PlatGetWindowSurface(hwnd_, &s) && PlatSaveSurfaceBmp(&s, name.c_str());
}

Display::Display(LONG span) {
  settings.span = span;
  settings.background = RGB(0, 0, 0);
  settings.eraseWidth = 4;
  settings.sweepColour = RGB(255, 255, 0);
  settings.referenceColour = RGB(0, 0, 255);
  settings.gridInterval = 0;
  settings.gridColour = RGB(64, 64, 64);
  for (auto& t : traces) {
    t.visible = 0;
    t.gain = 1.0f;
    t.referenceLines = -1;
  }
}

void Display::show(int channel, LONG colour) {
  traces[channel].visible = -1;
  traces[channel].colour = colour;
}

LONG configureSimulated(LONG channels, LONG blockScans, LONG periodUs, LONG triggerChannel) {
  static const SHORT list[32] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16,
                                 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32};
  const LONG unsignedFormat[32] = {};
  LONG status = -1;
  SelectBoard(-1, 0, "");
  SetupSampling2(unsignedFormat, 0, &status);
  SetupSampling3(0);
  SetTestLength(10000);
  for (LONG c = 0; c < channels; ++c) {
    SetTestChannelLength(1, c);
    SetTestSample(32768, 0, c);
  }
  vekmath::config().monitorSpan = 0;  // left by an earlier display
  SetupSampling(channels, list, blockScans, 1, periodUs, 0, triggerChannel, 0, 0, &status);
  return status;
}

void fillRamp(LONG channels, LONG length, LONG base) {
  for (LONG c = 0; c < channels; ++c) {
    SetTestChannelLength(length, c);
    for (LONG row = 0; row < length; ++row) SetTestSample(base + c * 1000 + row, row, c);
  }
}

void endRun() {
  LONG status = 0;
  StopSampling(&status);
  CloseBoard(&status);
}

}  // namespace wavetest
