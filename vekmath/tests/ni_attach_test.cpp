// NI-DAQmx present: the attach binds it by module name, NI's own Linux
// library first, and its devices come into the device lists.
#include <filesystem>
#include <fstream>

#include "acquisition/library_lifecycle.h"
#include "ni_fixture.h"

using namespace vekmath;
using nitest::NiStandIn;

namespace {

TEST_F(NiStandIn, AttachBindsEveryEntryAndDetachUnloads) {
  for (std::size_t i = 0; i < static_cast<std::size_t>(NiEntry::Count); ++i) {
    EXPECT_NE(niDaqmx().entries[i].load(), nullptr) << kNiEntryNames[i];
  }
  // A detach with a run on stops it first, then lets the library go.
  ASSERT_EQ(setUp(17, "Dev1", 2, 100, 1000, 0), 0);
  StartSampling(nullptr);
  detachLibrary();
  EXPECT_EQ(ring().thread.load(), nullptr);
  EXPECT_EQ(liveTasks(), 0);
  EXPECT_EQ(niDaqmx().module.load(), nullptr);
  EXPECT_EQ(niDaqmx().entry(NiEntry::CreateTask), nullptr);
}

TEST_F(NiStandIn, DevicesAndProductTypesComeIntoTheLists) {
  char names[VEKMATH_DEVICE_LIST_BYTES] = {};
  char models[VEKMATH_DEVICE_LIST_BYTES] = {};
  SelectBoardNAME(names, models);
  const std::string n(names);
  const std::string m(models);
  EXPECT_EQ(n.substr(n.size() - 10), ",Dev1,Dev2") << n;
  EXPECT_EQ(m.substr(m.size() - 18), ",SIM-6251,SIM-6009") << m;
}

// A machine with NI-DAQmx installed uses it, not the stand-in beside us.
TEST(NiLibraryName, NisOwnLinuxLibraryIsFoundFirst) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / ("ni_linux_" + std::to_string(getpid()));
  fs::create_directories(folder);
  const fs::path installed = folder / "libnidaqmx.so.1";
  fs::copy_file(fs::path(NISIM_LIBRARY_DIR) / "libnicaiu.so", installed, fs::copy_options::overwrite_existing);
  setenv("LD_LIBRARY_PATH", folder.c_str(), 1);
  const nisim::OnSearchPath onSearchPath;
  HMODULE module = LoadLibraryA("nicaiu.dll");
  ASSERT_NE(module, nullptr);
  char path[4096] = {};
  GetModuleFileNameA(module, path, sizeof path);
  EXPECT_EQ(fs::path(path), installed);
  FreeLibrary(module);
  unsetenv("LD_LIBRARY_PATH");
  fs::remove_all(folder);
}

}  // namespace
