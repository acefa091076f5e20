// Linked into every test program. The variables users set for the system
// (the README's environment table) would reach each test from the caller's
// shell: an exported state folder made parallel tests share one, an
// exported version or command line changed what the tests check. So every
// test starts without any of them, at the program's start and again before
// each test (a test that leaves one set reaches no other), and sets what
// it needs itself.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr const char* kVariables[] = {
    "ORVANE_ROOT",          "ORVANE_REGISTRY",     "ORVANE_REGISTRY_BUSY_MS", "ORVANE_LIBRARY_PATH",
    "ORVANE_WINVER",        "HALVIKSIM_STATE_DIR", "ORVANE_DEBUG_OUTPUT",     "ORVANE_COMMAND_LINE",
    "ORVANE_KEYBOARD_SUBTYPE"};

// ORVANE_COM followed by a port number.
bool isPortVariable(const std::string& name) {
  const std::string prefix = "ORVANE_COM";
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
  for (std::size_t i = prefix.size(); i < name.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
  }
  return true;
}

void clearEnvironment() {
  for (const char* name : kVariables) ::unsetenv(name);
  // Collected first: unsetting while walking the environment skips entries.
  std::vector<std::string> ports;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    if (isPortVariable(name)) ports.push_back(name);
  }
  for (const std::string& name : ports) ::unsetenv(name.c_str());
}

class ClearEnvironment : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { clearEnvironment(); }
};

const bool installed = [] {
  clearEnvironment();
  ::testing::UnitTest::GetInstance()->listeners().Append(new ClearEnvironment);
  return true;
}();

}  // namespace
