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
#include <cstring>

namespace {

constexpr const char* kVariables[] = {
    "ORVANE_ROOT",          "ORVANE_REGISTRY",     "ORVANE_REGISTRY_BUSY_MS", "ORVANE_LIBRARY_PATH",
    "ORVANE_WINVER",        "HALVIKSIM_STATE_DIR", "ORVANE_DEBUG_OUTPUT",     "ORVANE_COMMAND_LINE",
    "ORVANE_KEYBOARD_SUBTYPE"};

// The length of the name of an ORVANE_COMn entry ("ORVANE_COM3=..."), or 0.
std::size_t portVariableLength(const char* entry) {
  constexpr char kPrefix[] = "ORVANE_COM";
  if (std::strncmp(entry, kPrefix, sizeof kPrefix - 1) != 0) return 0;
  std::size_t length = sizeof kPrefix - 1;
  while (std::isdigit(static_cast<unsigned char>(entry[length]))) ++length;
  return entry[length] == '=' && length > sizeof kPrefix - 1 ? length : 0;
}

// Whether an environment entry ("NAME=value") is one of the variables.
bool isSystemVariable(const char* entry) {
  const char* equals = std::strchr(entry, '=');
  if (equals == nullptr) return false;
  const std::size_t length = static_cast<std::size_t>(equals - entry);
  for (const char* name : kVariables) {
    if (std::strlen(name) == length && std::strncmp(entry, name, length) == 0) return true;
  }
  return portVariableLength(entry) != 0;
}

// Takes no memory: it also runs before the C library is set up.
void clearEnvironment(char** environment) {
  char** kept = environment;
  for (char** entry = environment; *entry != nullptr; ++entry) {
    if (!isSystemVariable(*entry)) *kept++ = *entry;
  }
  *kept = nullptr;
}

class ClearEnvironment : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { clearEnvironment(environ); }
};

// Before any library's own start, which may read a variable once for the
// process (the version a library asks for when it is loaded), and before
// the C library takes the environment it is given.
void clearAtStart(int, char**, char** environment) { clearEnvironment(environment); }
__attribute__((section(".preinit_array"), used)) void (*const clearEarly)(int, char**, char**) = clearAtStart;

const bool installed = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new ClearEnvironment);
  return true;
}();

}  // namespace
