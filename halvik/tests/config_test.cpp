// A stored configuration applied to a simulated device: what the driver
// receives, in order, and what a file that cannot be applied leaves alone.
#include <gtest/gtest.h>
#include <halvik.h>
#include <halviksim.h>
#include <outside/halvikdrv.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "installed_halvik.h"

namespace {

using namespace halvikdrv;

constexpr char kHeader[] =
    "<?xml version=\"1.0\"?>\n"
    "<config schema=\"http://xml.dornell.example/schema/dornell_halvik.xsd\">\n";

// One item: key, current value, and what it holds.
std::string item(const std::string& key, const std::string& current, const std::string& inner = "",
                 const char* tag = "item") {
  return std::string("<") + tag + " key=\"" + key + "\" enable=\"true\" current=\"" + current + "\">" + inner + "</" +
         tag + ">";
}

std::string file(const std::string& model, const std::string& groups) {
  return kHeader + item("Device", model, groups) + "</config>\n";
}

const std::string kGroups =
    item("Common", "true",
         item("Digital Filter", "", item("All Control Signals", "0.5", "", "property")) +
             item("ECU Destination", "",
                  item("E0", "3", item("Source", "2"), "property") + item("E1", "4", item("Source", "0"), "property"))) +
    item("Ai", "true",
         item("Channels", "4") + item("Add Channels", "2") + item("Channel Sequence", "5,4,3,2,1,0,") +
             item("Sampling Clock", "100") + item("Start Trigger", "4") +
             item("Start Level", "", item("Channel", "0") + item("Start Level", "1") + item("Direction", "0")) +
             item("Start In Range", "", item("Channel", "1") + item("High Level", "2") + item("Low Level", "-2") +
                                            item("State Times", "10"))) +
    item("Ao", "true", item("Range All", "0") + item("Transfer Mode", "0") + item("Channels", "2")) +
    item("Cnt", "true",
         item("Channel 0", "true", item("Input Signal", "1") +
                                       item("Preset Register", "10,20,", item("Size", "2") + item("Repeat Flag", "1"))));

// What the whole file sends, ownership checks left out.
const std::vector<DWORD> kApplied = {
    kControlFilter, kEcuSignal,  // the second connection has source 0
    kAiChannels,    kAiChannelSequence, kAiChannelSequence, kAiChannelSequence, kAiChannelSequence,
    kAiChannelSequence, kAiChannelSequence, kAiSamplingClock, kAiStartTrigger,
    kAiRange, kAiResolution, kAiStartInRange,  // the window in volts, not the level
    kAoRangeAll,    kAoTransferMode, kAoChannels, kCntInputSignal, kCntPresetReg,
};

class ConfigTest : public InstalledHalvik {
 protected:
  void SetUp() override {
    InstalledHalvik::SetUp();
    install();
    open();
    load_ = entry<decltype(&XanLoadConfig)>("XanLoadConfig");
    ASSERT_EQ(entry<decltype(&XanInit)>("XanInit")("HVA1", &id_), 0);
    path_ = dir_ + "/c/config.xml";
  }

  LONG apply(const std::string& text) {
    std::filesystem::create_directories(dir_ + "/c");
    std::ofstream(path_, std::ios::binary) << text;
    halviksim::ClearRequestLog("HVA1");
    return load_(id_, "C:\\config.xml");
  }
  static std::vector<DWORD> sent() {
    std::vector<DWORD> codes = halviksim::RequestLog("HVA1");
    codes.erase(std::remove(codes.begin(), codes.end(), kOwnership), codes.end());
    return codes;
  }

  decltype(&XanLoadConfig) load_ = nullptr;
  short id_ = -1;
  std::string path_;
};

TEST_F(ConfigTest, AppliesTheFileInItsOrder) {
  ASSERT_EQ(apply(file("HVA-1632PE", kGroups)), 0);
  EXPECT_EQ(sent(), kApplied);
}

TEST_F(ConfigTest, FirstFailingSetterEndsTheLoadWithItsStatus) {
  ASSERT_TRUE(halviksim::SetFault("HVA1", kAiSamplingClock, {halviksim::Fault::Kind::Status, 12345, 1}));
  EXPECT_EQ(apply(file("HVA-1632PE", kGroups)), 12345);
  const std::vector<DWORD> codes = sent();
  const auto clock = std::find(kApplied.begin(), kApplied.end(), kAiSamplingClock);
  EXPECT_TRUE(std::equal(kApplied.begin(), clock, codes.begin(), codes.begin() + (clock - kApplied.begin())));
  EXPECT_EQ(std::count(codes.begin(), codes.end(), kAiStartTrigger), 0) << "nothing after the failure";
}

TEST_F(ConfigTest, SwitchedOffGroupIsSkippedWhole) {
  std::string groups = kGroups;
  const std::string on = "key=\"Ai\" enable=\"true\" current=\"true\"";
  groups.replace(groups.find(on), on.size(), "key=\"Ai\" enable=\"true\" current=\"false\"");
  ASSERT_EQ(apply(file("HVA-1632PE", groups)), 0);
  const std::vector<DWORD> codes = sent();
  EXPECT_EQ(std::count(codes.begin(), codes.end(), kAiChannels), 0);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), kAoChannels), 1);
}

// A file that cannot be applied gets its status and sends nothing.
TEST_F(ConfigTest, RefusedFilesChangeNothing) {
  struct Case {
    const char* what;
    std::string text;
    LONG status;
  } cases[] = {
      {"not XML", "<config><item", 10064},
      {"another schema", "<config schema=\"http://elsewhere/other.xsd\">" + item("Device", "HVA-1632PE", kGroups) +
                             "</config>", 10065},
      {"another model", file("HVA-1216PCI", kGroups), 10069},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(apply(c.text), c.status) << c.what;
    EXPECT_TRUE(sent().empty()) << c.what;
  }
  std::filesystem::remove(path_);
  halviksim::ClearRequestLog("HVA1");
  EXPECT_EQ(load_(id_, "C:\\config.xml"), 10064) << "no file";
}

TEST_F(ConfigTest, PresetListBeyondItsBoundIsRefused) {
  const std::string groups =
      item("Cnt", "true", item("Channel 0", "true", item("Preset Register", "1,", item("Size", "2000000000"))));
  EXPECT_EQ(apply(file("HVA-1632PE", groups)), 15021);
  EXPECT_TRUE(sent().empty());
}

}  // namespace
