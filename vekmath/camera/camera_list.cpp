// ListCameras: the camera list file. Most keys are named after the calls
// and fields of the platform's capture graph whose results they hold; the
// monitor reads the count, the names, the "AddFilter" result and the
// capability sizes, and the rest stays a diagnostic record, so every key is
// written byte for byte as readers of such files know it.
#include <windows.h>

#include <platform/ansi_text.h>

#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "camera/connection.h"
#include "camera/stream_caps.h"
#include "camera/text_file.h"
#include "vekmath.h"

namespace vekmath {
namespace {

// A device text as a 256-byte buffer of the platform holds it; a property
// the device does not give is empty rather than the one read before it.
std::string propertyText(const std::string& text) { return text.substr(0, plat::AnsiPrefixLength(text, 255)); }

std::string hex(unsigned long long value) {
  char text[24];
  std::snprintf(text, sizeof text, "%llx", value);
  return text;
}

std::string guidText(const GUID& g) {
  char text[40];
  std::snprintf(text, sizeof text, "%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x", g.Data1, g.Data2, g.Data3,
                g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

std::string data4Text(const GUID& g) {
  std::string text;
  for (uint8_t b : g.Data4) {
    char two[3];
    std::snprintf(two, sizeof two, "%02x", b);
    text += two;
  }
  return text;
}

void writeGuid(TextFile& file, const std::string& key, const GUID& g) {
  file.entry(key, guidText(g));
  file.entry(key + ".Data1", hex(g.Data1));
  file.entry(key + ".Data2", hex(g.Data2));
  file.entry(key + ".Data3", hex(g.Data3));
  file.entry(key + ".Data4", data4Text(g));
}

// The grabber's media type: RGB24 video described by a video format, with
// no fixed sample size and no format block of its own.
void writeGrabberType(TextFile& file) {
  file.entry("pmtConfig1->bFixedSizeSamples", 0);
  file.entry("pmtConfig1->bTemporalCompression", 0);
  file.entry("pmtConfig1->lSampleSize", 0);
  writeGuid(file, "pmtConfig1->majortype", MEDIATYPE_Video);
  writeGuid(file, "pmtConfig1->subtype", MEDIASUBTYPE_RGB24);
  file.entry("pmtConfig1->formattype", static_cast<long long>(FORMAT_VideoInfo.Data1));
  file.entry("pmtConfig1->cbFormat", hex(0));
  file.entry("pmtConfig1->pbFormat", hex(0));
}

void writeCurrentFormat(TextFile& file, const VIDEOINFOHEADER& format) {
  const BITMAPINFOHEADER& h = format.bmiHeader;
  file.entry("pC->GetFormat(&pmtConfig1)", S_OK);
  file.entry("pVih->AvgTimePerFrame", static_cast<int32_t>(static_cast<uint32_t>(format.AvgTimePerFrame)));
  file.entry("pVih->bmiHeader", hex(reinterpret_cast<uintptr_t>(&h)));
  file.entry("pVih->bmiHeader.biSize", h.biSize);
  file.entry("pVih->bmiHeader.biWidth", h.biWidth);
  file.entry("pVih->bmiHeader.biHeight", h.biHeight);
  file.entry("pVih->bmiHeader.biPlanes", h.biPlanes);
  file.entry("pVih->bmiHeader.biBitCount", h.biBitCount);
  file.entry("pVih->bmiHeader.biCompression", h.biCompression);
  file.entry("pVih->bmiHeader.biSizeImage", h.biSizeImage);
  file.entry("pVih->bmiHeader.biXPelsPerMeter", h.biXPelsPerMeter);
  file.entry("pVih->bmiHeader.biYPelsPerMeter", h.biYPelsPerMeter);
  file.entry("pVih->bmiHeader.biClrUsed", h.biClrUsed);
  file.entry("pVih->bmiHeader.biClrImportant", h.biClrImportant);
}

// The grabber type, then (for a connected camera with a stream
// configuration) the capability count and one section per capability.
void writeCaptureCapabilities(TextFile& file, const plat::camera::Connection* source,
                              const plat::camera::CameraInfo& info) {
  writeGrabberType(file);
  if (source == nullptr || !info.hasStreamConfig) return;
  const int count = static_cast<int>(info.sizes.size());
  file.line("pC->GetNumberOfCapabilities(&iCount,&iSize)=%d,%d", count, kCapsRecordSize);
  for (int index = 0; index < count; ++index) {
    file.line("[iFormat_%d]", index);
    const VIDEO_STREAM_CONFIG_CAPS caps = CapsOf(info.sizes[static_cast<size_t>(index)]);
    writeCurrentFormat(file, CurrentFormat(*source, info, 0));
    for (size_t f = 0; f < kCapsFieldCount; ++f) file.entry(kCapsFields[f].listKey, kCapsFields[f].value(caps));
  }
}

}  // namespace
}  // namespace vekmath

namespace vekmath {
namespace {

// The list's lines; the status to report (0 for none: the caller's value
// stays).
LONG writeList(TextFile& file, CameraState& state) {
  const std::vector<plat::camera::CameraInfo> cameras = plat::camera::EnumerateCameras();
  // The platform's answer for an empty device category.
  if (cameras.empty()) return S_FALSE;
  file.line("[CAMLIST]");
  for (size_t i = 0; i < cameras.size(); ++i)
    file.entry("CAM" + std::to_string(i), propertyText(cameras[i].friendlyName));
  const plat::camera::CameraInfo& last = cameras.back();
  file.line("[ALL]");
  file.entry("GlCAMNum", static_cast<long long>(cameras.size()));
  file.entry("FriendlyName", propertyText(last.friendlyName));
  file.entry("Description", propertyText(last.description));
  file.entry("DevicePath", propertyText(last.devicePath));

  const bool inRange = state.selected >= 0 && static_cast<size_t>(state.selected) < cameras.size();
  std::unique_ptr<plat::camera::Connection> source = inRange ? plat::camera::Connect(state.selected) : nullptr;
  file.entry("pGraph->AddFilter(pSrc, L\"Video Capture\")", source ? S_OK : E_POINTER);
  if (inRange)
    writeCaptureCapabilities(file, source.get(), cameras.at(static_cast<size_t>(state.selected)));
  else
    writeCaptureCapabilities(file, nullptr, last);
  return 0;
}

LONG fileStatus(DWORD error) { return static_cast<LONG>(0x80070000u | (error & 0xFFFFu)); }

}  // namespace
}  // namespace vekmath

DLL_EXPORT void WINAPI ListCameras(const char* path, LONG* status) {
  using namespace vekmath;
  CameraState& state = Camera();
  std::lock_guard<std::mutex> lock(state.mutex);
  // The list opens the selected camera itself and leaves none connected.
  DisconnectLocked(state);
  if (path == nullptr || *path == '\0') {
    if (status != nullptr) *status = fileStatus(ERROR_INVALID_PARAMETER);
    return;
  }
  TextFile file(path);
  LONG result = writeList(file, state);
  // A list that could not be written is reported, whatever the cameras
  // gave: the file that was there before stays as it was.
  if (!file.commit()) result = fileStatus(file.error());
  if (result != 0 && status != nullptr) *status = result;
}
