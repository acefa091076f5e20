#include "video/avi_frames.h"

#include <vekmath/video_files.h>
#include <vfw.h>

#include <cstring>

#include "camera/camera_state.h"
#include "video/avi_handles.h"

namespace vekmath {

LONG PaintAviFrame(const char* path, LONG frame, const FramePainter& paint) {
  PAVIFILE opened = nullptr;
  const HRESULT open = AVIFileOpenA(&opened, path, OF_SHARE_DENY_NONE, nullptr);
  if (open != AVIERR_OK) return open;
  AviFilePtr file(opened);
  AVIFILEINFOA fileInfo{};
  if (const HRESULT info = AVIFileInfoA(file.get(), &fileInfo, sizeof fileInfo); info != AVIERR_OK) return info;
  if (fileInfo.dwStreams == 0) return 0;

  // The video stream of lowest priority; the first one on a tie.
  AviStreamPtr video;
  WORD priority = 0;
  for (DWORD i = 0; i < fileInfo.dwStreams; ++i) {
    PAVISTREAM got = nullptr;
    if (const HRESULT r = AVIFileGetStream(file.get(), &got, 0, static_cast<LONG>(i)); r != AVIERR_OK) return r;
    AviStreamPtr stream(got);
    AVISTREAMINFOA info{};
    if (const HRESULT r = AVIStreamInfoA(stream.get(), &info, sizeof info); r != AVIERR_OK) return r;
    if (info.fccType != streamtypeVIDEO || (video && info.wPriority >= priority)) continue;
    video = std::move(stream);
    priority = info.wPriority;
  }
  if (!video) return static_cast<LONG>(fileInfo.dwStreams);

  AviFramesPtr frames(AVIStreamGetFrameOpen(video.get(), nullptr));
  if (!frames) return 0;
  const auto* packed = static_cast<const uint8_t*>(AVIStreamGetFrame(frames.get(), frame));
  if (packed == nullptr) return AVIERR_NODATA;
  BITMAPINFOHEADER header;
  std::memcpy(&header, packed, sizeof header);
  paint(packed + sizeof header, header);
  if (const HRESULT r = AVIStreamGetFrameClose(frames.release()); r != AVIERR_OK) return r;
  video.reset();
  return static_cast<LONG>(AVIFileRelease(file.release()));
}

}  // namespace vekmath

DLL_EXPORT LONG WINAPI ReadAviFrames(HWND window, const char* path, LONG frame) {
  return vekmath::PaintAviFrame(path, frame, [window](const uint8_t* pixels, const BITMAPINFOHEADER& header) {
    vekmath::DrawFrame(window, pixels, header);
  });
}
