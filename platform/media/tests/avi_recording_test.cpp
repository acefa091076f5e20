#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vfw.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "../../kernel32/tests/full_disk.h"
#include "avi_test_files.h"
#include "media_fixture.h"

namespace {

using avitest::TempFolder;

constexpr int kWidth = 64;
constexpr int kHeight = 48;

class AviRecording : public TempFolder {
 protected:
  size_t filesInFolder() const {
    return static_cast<size_t>(
        std::distance(std::filesystem::directory_iterator(dir_), std::filesystem::directory_iterator()));
  }
};

// The frames of the file's video stream that read back, in order, as the
// pattern frames written (frame n, or frame 0 each time when not `moving`).
int readableFrames(const std::string& file, int width, int height, bool moving) {
  PAVIFILE avi = nullptr;
  if (AVIFileOpenA(&avi, file.c_str(), OF_SHARE_DENY_NONE, nullptr) != AVIERR_OK) return -1;
  AVIFILEINFOA info{};
  PAVISTREAM video = nullptr;
  int count = -1;
  if (AVIFileInfoA(avi, &info, sizeof info) == AVIERR_OK &&
      AVIFileGetStream(avi, &video, streamtypeVIDEO, 0) == AVIERR_OK) {
    PGETFRAME frames = AVIStreamGetFrameOpen(video, nullptr);
    count = 0;
    for (const uint8_t* dib = nullptr;
         frames != nullptr && (dib = static_cast<const uint8_t*>(AVIStreamGetFrame(frames, count))) != nullptr;
         ++count) {
      const std::vector<uint8_t> written = avitest::patternFrame(width, height, moving ? count : 0);
      if (avitest::difference(dib + sizeof(BITMAPINFOHEADER), written.data(), width, height) > 6.0) break;
    }
    AVIStreamGetFrameClose(frames);
    AVIStreamRelease(video);
  }
  AVIFileRelease(avi);
  return count;
}

// The frames an outside reader counts in the file.
std::string probedFrames(const std::string& file) {
  const std::string command = "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                              "stream=nb_read_frames -of default=nw=1:nk=1 '" + file + "' 2>/dev/null";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  char line[64] = "";
  if (!pipe || std::fgets(line, sizeof line, pipe.get()) == nullptr) return "";
  std::string out = line;
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

// The child's side: records `frames` frames as the camera recording does,
// tells the parent through `ready`, and waits to be killed.
[[noreturn]] void recordUntilKilled(const std::string& file, int frames, int ready) {
  PAVIFILE avi = nullptr;
  PAVISTREAM raw = nullptr;
  PAVISTREAM compressed = nullptr;
  AVISTREAMINFOA info = avitest::videoInfo(kWidth, kHeight);
  AVICOMPRESSOPTIONS options = avitest::divxOptions();
  BITMAPINFOHEADER format = avitest::frameFormat(kWidth, kHeight);
  if (AVIFileOpenA(&avi, file.c_str(), OF_WRITE | OF_CREATE, nullptr) != AVIERR_OK ||
      AVIFileCreateStreamA(avi, &raw, &info) != AVIERR_OK ||
      AVIMakeCompressedStream(&compressed, raw, &options, nullptr) != AVIERR_OK ||
      AVIStreamSetFormat(compressed, 0, &format, sizeof format) != AVIERR_OK) {
    ::_exit(1);
  }
  for (int n = 0; n < frames; ++n) {
    std::vector<uint8_t> pixels = avitest::patternFrame(kWidth, kHeight, n);
    if (AVIStreamWrite(compressed, n, 1, pixels.data(), static_cast<LONG>(pixels.size()), AVIIF_KEYFRAME, nullptr,
                       nullptr) != AVIERR_OK) {
      ::_exit(1);
    }
  }
  const char written = 1;
  if (::write(ready, &written, 1) != 1) ::_exit(1);
  for (;;) ::pause();
}

// A recording is a stream: a process killed during it leaves its file,
// under its own name, readable up to the last frame that went in whole.
TEST_F(AviRecording, AKilledRecordingKeepsItsWholeFrames) {
  constexpr int kFrames = 12;
  const std::string file = path("take.avi");
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(ready[0]);
    recordUntilKilled(file, kFrames, ready[1]);
  }
  ::close(ready[1]);
  pollfd signalled{ready[0], POLLIN, 0};
  char byte = 0;
  const bool recorded = ::poll(&signalled, 1, 30000) == 1 && ::read(ready[0], &byte, 1) == 1;
  ::close(ready[0]);
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  ASSERT_TRUE(recorded);
  EXPECT_EQ(filesInFolder(), 1u);
  EXPECT_EQ(readableFrames(file, kWidth, kHeight, true), kFrames);
  if (media_fixture::have("ffprobe")) {
    EXPECT_EQ(probedFrames(file), std::to_string(kFrames));
  }
  // A frame cut off by the kill does not count.
  const std::string whole = avitest::fileBytes(file);
  std::ofstream(file, std::ios::binary | std::ios::trunc) << whole.substr(0, whole.size() - 5);
  EXPECT_EQ(readableFrames(file, kWidth, kHeight, true), kFrames - 1);
}

// A disk that fills during a recording fails the write that did not fit
// and every one after it; the file keeps the frames written before it.
TEST_F(AviRecording, AFullDiskFailsTheWriteAndKeepsTheFramesBefore) {
  constexpr int kSmallWidth = 20;
  constexpr int kSmallHeight = 6;
  const std::string file = path("take.avi");
  std::ofstream(file, std::ios::binary) << "previous";
  for (const bool full : {true, false}) {
    SCOPED_TRACE(full ? "full disk" : "room enough");
    HRESULT last = AVIERR_OK;
    int written = 0;
    {
      std::unique_ptr<FullDiskAfter> disk(full ? new FullDiskAfter(4096) : nullptr);
      PAVIFILE avi = nullptr;
      PAVISTREAM video = nullptr;
      ASSERT_EQ(AVIFileOpenA(&avi, file.c_str(), OF_WRITE | OF_CREATE, nullptr), AVIERR_OK);
      AVISTREAMINFOA info = avitest::videoInfo(kSmallWidth, kSmallHeight);
      ASSERT_EQ(AVIFileCreateStreamA(avi, &video, &info), AVIERR_OK);
      BITMAPINFOHEADER format = avitest::frameFormat(kSmallWidth, kSmallHeight);
      ASSERT_EQ(AVIStreamSetFormat(video, 0, &format, sizeof format), AVIERR_OK);
      PAVIFILE fresh = nullptr;  // a new name is there from the open on
      ASSERT_EQ(AVIFileOpenA(&fresh, path("new.avi").c_str(), OF_WRITE | OF_CREATE, nullptr), AVIERR_OK);
      EXPECT_TRUE(std::filesystem::exists(path("new.avi")));
      AVIFileRelease(fresh);
      std::filesystem::remove(path("new.avi"));
      std::vector<uint8_t> pixels = avitest::patternFrame(kSmallWidth, kSmallHeight, 0);
      for (; written < 40; ++written) {
        last = AVIStreamWrite(video, written, 1, pixels.data(), static_cast<LONG>(pixels.size()), AVIIF_KEYFRAME,
                              nullptr, nullptr);
        if (last != AVIERR_OK) break;
      }
      // With room again the recording stays failed: a later frame would
      // leave a hole where the failed one belongs.
      disk.reset();
      if (full) {
        EXPECT_NE(AVIStreamWrite(video, written + 1, 1, pixels.data(), static_cast<LONG>(pixels.size()),
                                 AVIIF_KEYFRAME, nullptr, nullptr),
                  AVIERR_OK);
      }
      AVIStreamRelease(video);
      AVIFileRelease(avi);
    }
    EXPECT_EQ(last, full ? AVIERR_FILEWRITE : AVIERR_OK);
    EXPECT_GT(written, 0);
    EXPECT_EQ(readableFrames(file, kSmallWidth, kSmallHeight, false), written);
    EXPECT_EQ(filesInFolder(), 1u);
  }
}

}  // namespace
