// The stills of a recording appended to its video file.
#include <vekmath/video_files.h>
#include <vfw.h>

#include <cstdio>
#include <string>
#include <vector>

#include "camera/camera_state.h"
#include "recording/video_file.h"

namespace {

class StillFile {
 public:
  explicit StillFile(const std::string& path)
      : h_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr)) {}
  ~StillFile() {
    if (open()) CloseHandle(h_);
  }
  StillFile(const StillFile&) = delete;
  StillFile& operator=(const StillFile&) = delete;
  bool open() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  // Reads what there is from `offset` on; a short still leaves the rest of
  // the buffer as it was.
  void readAt(DWORD offset, std::vector<uint8_t>& into) {
    DWORD got = 0;
    SetFilePointer(h_, static_cast<LONG>(offset), nullptr, FILE_BEGIN);
    ReadFile(h_, into.data(), static_cast<DWORD>(into.size()), &got, nullptr);
  }

 private:
  HANDLE h_;
};

std::string stillPath(const std::string& baseFolder, LONG number) {
  char path[MAX_PATH + 32];
  std::snprintf(path, sizeof path, "%s\\BMP\\CAP%010d.bmp", baseFolder.c_str(), static_cast<int>(number));
  return path;
}

bool videoFileOpen() { return vekmath::OpenVideoStream().stream() != nullptr; }

}  // namespace

DLL_EXPORT void WINAPI WriteAviFromBitmaps(LONG count, const char*) {
  if (!videoFileOpen()) return;
  vekmath::CameraState& camera = vekmath::Camera();
  std::vector<uint8_t> pixels(static_cast<size_t>(camera.imageSize > 0 ? camera.imageSize : 0), 0);
  for (LONG n = 0; n < count; ++n) {
    StillFile still(stillPath(camera.baseFolder, n));
    if (!still.open()) {
      std::printf("Error:\tfopen [bufDBG]\n\n");
      std::fflush(stdout);
      break;
    }
    still.readAt(static_cast<DWORD>(camera.stillBitOffset), pixels);
    // Held per still, so that the frame callback is never kept waiting long.
    const vekmath::OpenVideoStream video;
    if (video.stream() == nullptr) return;
    if (AVIStreamWrite(video.stream(), n, 1, pixels.data(), static_cast<LONG>(pixels.size()), AVIIF_KEYFRAME,
                       nullptr, nullptr) != AVIERR_OK) {
      return;
    }
  }
  vekmath::CloseAviStream();
}
