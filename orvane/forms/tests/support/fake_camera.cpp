#include "fake_camera.h"

#include <algorithm>
#include <fstream>

namespace orvane::forms::testing {
namespace {

FakeCamera* camera = nullptr;

void Log(std::string text) { camera->calls.push_back(std::move(text)); }

}  // namespace

std::string CameraList(const std::vector<std::string>& names, const char* addFilter,
                       const std::vector<std::pair<int, int>>& sizes) {
  std::string text = "[CAMLIST]\r\n";
  for (std::size_t i = 0; i < names.size(); ++i) text += "CAM" + std::to_string(i) + "=" + names[i] + "\r\n";
  text += "[ALL]\r\nGlCAMNum=" + std::to_string(names.size()) + "\r\n";
  if (addFilter) text += std::string("pGraph->AddFilter(pSrc, L\"Video Capture\")=") + addFilter + "\r\n";
  text += "pC->GetNumberOfCapabilities(&iCount,&iSize)=" + std::to_string(sizes.size()) + ",128\r\n";
  for (std::size_t i = 0; i < sizes.size(); ++i)
    text += "[iFormat_" + std::to_string(i) + "]\r\nscc1.InputSize.cx=" + std::to_string(sizes[i].first) +
            "\r\nscc1.InputSize.cy=" + std::to_string(sizes[i].second) + "\r\n";
  return text;
}

FakeCamera::FakeCamera() : kept_(core::VekmathInUse()), calls_(kept_) {
  camera = this;
  calls_.CameraInit = []() -> LONG {
    Log("CameraInit");
    return 0;
  };
  calls_.CameraExit = [] { Log("CameraExit"); };
  calls_.ListCameras = [](const char* path, LONG*) {
    Log("ListCameras");
    std::ofstream(path, std::ios::binary) << camera->listText;
  };
  calls_.SelectCamera = [](LONG index) -> LONG {
    Log("SelectCamera " + std::to_string(index));
    return index;
  };
  calls_.OpenCamera = [](HWND, const char*, LONG height, LONG width, LONG* status) {
    Log("OpenCamera " + std::to_string(height) + " " + std::to_string(width));
    *status = 0;
  };
  calls_.CloseCamera = [](HWND, LONG*) { Log("CloseCamera"); };
  calls_.StartRecord = [](const char* video, const char*, const char* times) -> LONG {
    Log(std::string("StartRecord ") + video + " " + times);
    if (camera->createVideo) std::ofstream(video, std::ios::binary) << "RIFF";
    return 0;
  };
  calls_.EndRecord = [](LONG keepCallback, LONG keepPreview, LONG) {
    Log("EndRecord " + std::to_string(keepCallback) + " " + std::to_string(keepPreview));
  };
  calls_.GetCaptureCounts = [](LONG* frames, LONG* blocks) -> LONG {
    *frames = camera->reportedFrames;
    *blocks = camera->reportedBlocks;
    return *blocks;
  };
  calls_.GetCaptureTimes = [](LONG* positions, LONG* blockTimes, double* times, LONG* grabbed) {
    std::copy(camera->positions.begin(), camera->positions.end(), positions);
    std::copy(camera->blockTimes.begin(), camera->blockTimes.end(), blockTimes);
    std::copy(camera->times.begin(), camera->times.end(), times);
    *grabbed = 0;
  };
  calls_.GetLastStatus = [](LONG* status) { *status = camera->lastStatus; };
  core::UseVekmathCalls(&calls_);
}

FakeCamera::~FakeCamera() {
  core::UseVekmathCalls(&kept_);
  camera = nullptr;
}

std::vector<std::string> FakeCamera::CallsOf(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const std::string& c : calls)
    if (c.rfind(prefix, 0) == 0) out.push_back(c);
  return out;
}

}  // namespace orvane::forms::testing
