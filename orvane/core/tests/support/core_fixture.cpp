#include "core_fixture.h"

#include <cstdlib>
#include <cstring>
#include <fstream>

namespace orvane::core::testing {

void CoreTest::SetUp() {
  char pattern[] = "/tmp/orvane_core_XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  dir_ = pattern;
  root_ = dir_ + "/root";
  std::filesystem::create_directories(root_ + "/c");
  ::setenv("ORVANE_ROOT", root_.c_str(), 1);
}

void CoreTest::TearDown() {
  ::unsetenv("ORVANE_ROOT");
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

void CoreTest::WriteFile(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string CoreTest::ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

namespace {

Recorded* g_rec = nullptr;

LONG WINAPI SelectBoard(LONG type, LONG value, const char* name) {
  Recorded::Select s{type, value, name, 0};
  for (size_t i = s.name.size(); i < 88 && name[i] == '\0'; ++i) ++s.zeroTail;
  g_rec->selects.push_back(s);
  if (!g_rec->rewriteName.empty()) std::strcpy(const_cast<char*>(name), g_rec->rewriteName.c_str());
  return type;
}
void WINAPI SetTestSine(LONG cycles, LONG n, LONG channel) { g_rec->sines.push_back({cycles, n, channel}); }
LONG WINAPI SaveCalibration(const CalibrationRecord* records, const char* names, const char* units) {
  g_rec->savedRecords.assign(records, records + 32);
  g_rec->savedNames.assign(names, 1024);
  g_rec->savedUnits.assign(units, 1024);
  return g_rec->saveResult;
}
LONG WINAPI LoadCalibration(CalibrationRecord* records, char* names, char* units) {
  std::copy(g_rec->loadRecords.begin(), g_rec->loadRecords.end(), records);
  g_rec->loadNames.copy(names, 1024);
  g_rec->loadUnits.copy(units, 1024);
  return 32;
}
void WINAPI SetupWaveGraph_XLINE(HWND, const GridLine* lines) {
  g_rec->xline.assign(lines, lines + 128);
  ++g_rec->xlineCalls;
}

}  // namespace

RecordingVekmath::RecordingVekmath() {
  g_rec = new Recorded;
  // The library's own array routines; the calls that reach a board or a
  // file are recorded.
  VekmathCalls t = LoadedVekmath();
  t.SelectBoard = SelectBoard;
  t.SetTestSine = SetTestSine;
  t.SaveCalibration = SaveCalibration;
  t.LoadCalibration = LoadCalibration;
  t.SetupWaveGraph_XLINE = SetupWaveGraph_XLINE;
  UseVekmathCalls(&t);
}

RecordingVekmath::~RecordingVekmath() {
  UseVekmathCalls(nullptr);
  delete g_rec;
  g_rec = nullptr;
}

Recorded* RecordingVekmath::Rec() { return g_rec; }

}  // namespace orvane::core::testing
