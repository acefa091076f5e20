// The camera list file on simulated cameras: its exact bytes, and what its
// readers take from it through the profile functions.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "../../platform/kernel32/tests/full_disk.h"
#include "support/camera_fixture.h"
#include "vekmath.h"

namespace {

using cameratest::CameraFixture;

constexpr char kPath[] = "C:\\cam\\ListCameras.ini";
constexpr char kFile[] = "c/cam/ListCameras.ini";
constexpr char kAddFilterKey[] = "pGraph->AddFilter(pSrc, L\"Video Capture\")";
constexpr char kCapsKey[] = "pC->GetNumberOfCapabilities(&iCount,&iSize)";

std::string profile(const char* section, const char* key) {
  char value[256];
  GetPrivateProfileStringA(section, key, "<missing>", value, sizeof value, kPath);
  return value;
}

class CameraListTest : public CameraFixture {
 protected:
  LONG list() {
    LONG status = 77;
    ListCameras(kPath, &status);
    return status;
  }
};

TEST_F(CameraListTest, OneCameraIsListedByteForByte) {
  simcamera::CameraSpec spec = named("Solo", {{640, 480, 333333, 666666}});
  spec.description = "desc";
  spec.devicePath = "path";
  ASSERT_TRUE(simcamera::InstallCamera(0, spec));
  EXPECT_EQ(list(), 77);  // success keeps the caller's value
  std::string expected;
  for (const char* line : {
       "[CAMLIST]", "CAM0=Solo", "[ALL]", "GlCAMNum=1", "FriendlyName=Solo", "Description=desc", "DevicePath=path",
       "pGraph->AddFilter(pSrc, L\"Video Capture\")=0", "pmtConfig1->bFixedSizeSamples=0",
       "pmtConfig1->bTemporalCompression=0", "pmtConfig1->lSampleSize=0",
       "pmtConfig1->majortype=73646976-0000-0010-8000-00aa00389b71", "pmtConfig1->majortype.Data1=73646976",
       "pmtConfig1->majortype.Data2=0", "pmtConfig1->majortype.Data3=10",
       "pmtConfig1->majortype.Data4=800000aa00389b71", "pmtConfig1->subtype=e436eb7d-524f-11ce-9f53-0020af0ba770",
       "pmtConfig1->subtype.Data1=e436eb7d", "pmtConfig1->subtype.Data2=524f", "pmtConfig1->subtype.Data3=11ce",
       "pmtConfig1->subtype.Data4=9f530020af0ba770", "pmtConfig1->formattype=89694080", "pmtConfig1->cbFormat=0",
       "pmtConfig1->pbFormat=0", "pC->GetNumberOfCapabilities(&iCount,&iSize)=1,128", "[iFormat_0]",
       "pC->GetFormat(&pmtConfig1)=0", "pVih->AvgTimePerFrame=333333", "pVih->bmiHeader=<address>",
       "pVih->bmiHeader.biSize=40", "pVih->bmiHeader.biWidth=640", "pVih->bmiHeader.biHeight=480",
       "pVih->bmiHeader.biPlanes=1", "pVih->bmiHeader.biBitCount=24", "pVih->bmiHeader.biCompression=0",
       "pVih->bmiHeader.biSizeImage=921600", "pVih->bmiHeader.biXPelsPerMeter=0", "pVih->bmiHeader.biYPelsPerMeter=0",
       "pVih->bmiHeader.biClrUsed=0", "pVih->bmiHeader.biClrImportant=0", "scc1.guid=89694080",
       "scc1.VideoStandard=0", "scc1.InputSize.cx=640", "scc1.InputSize.cy=480", "scc1.MaxCroppingSize.cx=0",
       "scc1.MaxCroppingSize.cy=0", "scc1.MinCroppingSizecx=0", "scc1.MinCroppingSize.cy=0", "scc1.CropAlignX=0",
       "scc1.CropAlignY=0", "scc1.MaxOutputSize.cx=640", "scc1.MaxOutputSize.cy=480", "scc1.MinOutputSize.cx=640",
       "scc1.MinOutputSize.cy=480", "scc1.OutputGranularityX=0", "scc1.OutputGranularityY=0", "scc1.StretchTapsX=0",
       "scc1.StretchTapsY=0", "scc1.ShrinkTapsX=0", "scc1.ShrinkTapsY=0", "scc1.MinFrameInterval=333333",
       "scc1.MaxFrameInterval=666666", "scc1.MinBitsPerSecond=0", "scc1.MaxBitsPerSecond=0",
       })
    expected += std::string(line) + "\r\n";
  // The header's address is the only value that differs from run to run.
  const std::string file =
      std::regex_replace(fileText(kFile), std::regex("bmiHeader=[0-9a-f]+\r"), "bmiHeader=<address>\r");
  EXPECT_EQ(file, expected);
}

// What the monitor reads, key by key, for the shapes a camera set can have.
TEST_F(CameraListTest, ReadersFindTheCamerasAndTheSelectedOnesSizes) {
  struct Key {
    const char* section;
    const char* key;
    const char* value;
  };
  simcamera::CameraSpec first = named("A", {{320, 240}});
  simcamera::CameraSpec second = named("B", {{640, 480}, {320, 240}, {160, 120}});
  second.devicePath = "usb-2";  // and no description
  simcamera::CameraSpec fixed = named("F");
  fixed.hasStreamConfig = false;
  const struct {
    const char* what;
    std::vector<simcamera::CameraSpec> cameras;
    LONG select;
    std::vector<Key> keys;
  } cases[] = {
      {"two cameras, the second selected",
       {first, second},
       1,
       {{"ALL", "GlCAMNum", "2"},
        {"CAMLIST", "CAM0", "A"},
        {"CAMLIST", "CAM1", "B"},
        {"ALL", "FriendlyName", "B"},
        {"ALL", "Description", ""},
        {"ALL", "DevicePath", "usb-2"},
        {"ALL", kAddFilterKey, "0"},
        {"ALL", kCapsKey, "3,128"},
        {"iFormat_0", "scc1.InputSize.cx", "640"},
        {"iFormat_2", "scc1.InputSize.cx", "160"},
        {"iFormat_2", "scc1.InputSize.cy", "120"},
        {"iFormat_3", "scc1.InputSize.cx", "<missing>"}}},
      {"an index beyond the cameras",
       {first, second},
       2,
       {{"ALL", "GlCAMNum", "2"},
        {"ALL", kAddFilterKey, "-2147467261"},
        {"ALL", "pmtConfig1->formattype", "89694080"},
        {"ALL", kCapsKey, "<missing>"},
        {"iFormat_0", "scc1.InputSize.cx", "<missing>"}}},
      {"no stream configuration",
       {fixed},
       0,
       {{"ALL", kAddFilterKey, "0"},
        {"ALL", "pmtConfig1->formattype", "89694080"},
        {"ALL", kCapsKey, "<missing>"},
        {"iFormat_0", "scc1.InputSize.cx", "<missing>"}}},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    simcamera::UninstallAll();
    for (size_t n = 0; n < k.cameras.size(); ++n)
      ASSERT_TRUE(simcamera::InstallCamera(static_cast<int>(n), k.cameras[n]));
    SelectCamera(k.select);
    EXPECT_EQ(list(), 77);
    for (const Key& key : k.keys) EXPECT_EQ(profile(key.section, key.key), key.value) << key.section << " " << key.key;
  }
}

TEST_F(CameraListTest, NoCameraGivesStatusOneAndAnEmptyFile) {
  EXPECT_EQ(list(), 1);
  EXPECT_EQ(fileText(kFile), "");
}

// A list that cannot be written whole leaves the one before and says why.
TEST_F(CameraListTest, AFullDiskKeepsTheOldListAndGivesTheFileStatus) {
  ASSERT_TRUE(simcamera::InstallCamera(0, named("Solo")));
  ASSERT_EQ(list(), 77);
  const std::string before = fileText(kFile);
  ASSERT_GT(before.size(), 1024u);
  LONG status = 77;
  {
    FullDiskAfter disk(1024);
    ListCameras(kPath, &status);
  }
  EXPECT_EQ(status, static_cast<LONG>(0x80070000u | ERROR_DISK_FULL));
  EXPECT_EQ(fileText(kFile), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_ + "/c/cam"), std::filesystem::directory_iterator()),
            1);
}

TEST_F(CameraListTest, ListingLeavesNoCameraConnected) {
  ASSERT_TRUE(simcamera::InstallCamera(0, named("cam")));
  LONG status = 77;
  OpenCamera(nullptr, "C:\\cam\\", 240, 320, &status);
  ASSERT_EQ(status, 0);
  EXPECT_EQ(list(), 77);
  EXPECT_EQ(profile("ALL", kAddFilterKey), "0");  // the camera could be opened for the list
  intptr_t control = -1;
  GetCameraControl(&control);
  EXPECT_EQ(control, 0);
  EXPECT_EQ(simcamera::StepFrames(1), 0);
}

}  // namespace
