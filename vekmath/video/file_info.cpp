#include <vekmath/video_files.h>
#include <vfw.h>

#include <cstring>

#include "video/avi_handles.h"

DLL_EXPORT void WINAPI GetAviFileInfo(const char* path, AVIFILEINFOA* info) {
  if (info == nullptr) return;
  AVIFileInit();
  {
    PAVIFILE opened = nullptr;
    const vekmath::AviFilePtr file(AVIFileOpenA(&opened, path, OF_SHARE_DENY_NONE, nullptr) == AVIERR_OK ? opened
                                                                                                         : nullptr);
    // A record left as the caller had it would pass for the file's.
    if (!file || AVIFileInfoA(file.get(), info, sizeof *info) != AVIERR_OK) std::memset(info, 0, sizeof *info);
  }
  AVIFileExit();
}

DLL_EXPORT void WINAPI MMIO_INFO(void) {}
