// What a video recording keeps: its own status, the flags the exports set
// for the frame callback, and the frame tables. The tables and counters are
// touched only while an OpenVideoStream is held (video_file.h), so the
// streaming thread and the caller's thread never meet on them.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

namespace vekmath {

// One day of frames at 30 a second.
inline constexpr int32_t kFrameEntries = 2592000;

inline void sleepMs(uint32_t ms) { Sleep(ms); }

struct RecordingState {
  // The video file's result of the last StartRecord (0 to 4); apart from
  // the acquisition's last status, which a recording never touches.
  std::atomic<int32_t> status{0};
  std::atomic<int32_t> captureStopped{0};
  std::atomic<int32_t> frameInterval{0};
  // How EndRecord waits for the streaming thread and the file to settle;
  // a test puts its own clock here.
  void (*wait)(uint32_t ms) = sleepMs;

  // ---- under the video stream's lock
  int32_t skipCounter = 0;
  int32_t frameCount = 0;  // also the position of the next frame in the file
  int32_t lastPosition = 0;
  int32_t repeatCount = 0;
  std::string videoPath;
  std::string secondText;  // kept, used by nothing
  std::string frameTimePath;
  std::string stillsFolder;
  int32_t positions[kFrameEntries] = {};  // scans when the frame came
  double times[kFrameEntries] = {};       // the frame's media time, seconds

  // Empties the tables for a new recording.
  void clearTables();
  // Appends one frame stamp. Frames that saw the same position as the one
  // before are spread evenly towards the next position that differs; a run
  // of equal positions at the end keeps its value. False when the table is
  // full (nothing is stamped).
  bool stamp(int32_t position, double time);
  // Frames up to the last one that saw position 0 came before the
  // acquisition delivered anything: they become 0, -s, -2s, ... backwards,
  // s being the scans of 100 ms at the given sampling period (above 0).
  void placeBeforeAcquisition(int32_t periodUs);
};

RecordingState& recordingState();

}  // namespace vekmath
