// Test helpers for the display and the block reader: a window whose
// surface can be read back, and a run on the simulated board.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include <vekmath.h>

namespace wavetest {

// A window of the given client size; a message posted with postCall()
// runs the given function inside whatever pump dispatches it.
class TestWindow {
 public:
  TestWindow(int width, int height);
  ~TestWindow();
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  HWND hwnd() const { return hwnd_; }
  // The colour (0x00BBGGRR) of one pixel; CLR_INVALID outside.
  COLORREF pixel(int x, int y) const;
  // Rows of the surface on which column x has the given colour.
  std::vector<int> rowsWithColour(int x, COLORREF colour) const;
  void postCall(std::function<void()> call);
  // Posts the call given last once more (a call may re-post itself).
  void postAgain();
  // Writes the surface as a BMP file under the current folder.
  bool save(const std::string& name) const;

 private:
  HWND hwnd_ = nullptr;
  std::function<void()> call_;
  static LRESULT CALLBACK proc(HWND, UINT, WPARAM, LPARAM);
};

// Display records with every trace hidden, plain colours and no grid.
struct Display {
  MonitorSettings settings{};
  TraceParams traces[WAVE_GRAPH_TRACES]{};
  GridLine lines[WAVE_GRAPH_GRID_LINES]{};
  Display(LONG span);
  void show(int channel, LONG colour);
};

// Selects the simulated board and configures `channels` channels; the test
// table gets a constant column per channel unless the caller fills it.
// Returns the SetupSampling status.
LONG configureSimulated(LONG channels, LONG blockScans, LONG periodUs = 1000, LONG triggerChannel = 0);
// Column c holds `length` rows of base + c x 1000 + row.
void fillRamp(LONG channels, LONG length, LONG base);

// Ends any run and closes the board.
void endRun();

}  // namespace wavetest
