// Fuzz target for the INI reader and editor: the input is an INI file. It
// is read back, every section, key and value is looked up, one key is
// changed or removed through the file editor, and every line but the
// edited one must still be in the file, byte for byte and in order.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "kernel32/profile_document.h"
#include "kernel32/profile_file.h"

using plat::ini::Document;
using plat::ini::Line;
using plat::ini::LineKind;

namespace {

[[noreturn]] void failure(const char* what) {
  std::fprintf(stderr, "profile_fuzz: %s\n", what);
  std::abort();
}

void check(bool ok, const char* what) {
  if (!ok) failure(what);
}

// A scratch folder for the run, removed when the fuzzer exits.
struct Scratch {
  std::string folder;
  std::string file;
  ~Scratch() {
    ::unlink(file.c_str());
    ::rmdir(folder.c_str());
  }
};

const std::string& scratchFile() {
  static const Scratch scratch = [] {
    char pattern[] = "/dev/shm/orvane_fuzz_XXXXXX";
    char fallback[] = "/tmp/orvane_fuzz_XXXXXX";
    const char* dir = ::mkdtemp(pattern);
    if (dir == nullptr) dir = ::mkdtemp(fallback);
    check(dir != nullptr, "no scratch folder");
    return Scratch{dir, std::string(dir) + "/fuzz.ini"};
  }();
  return scratch.file;
}

void writeInput(const std::string& path, const std::string& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  check(file != nullptr, "cannot write the input");
  check(std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size(), "short write");
  std::fclose(file);
}

std::string readBack(const std::string& path) {
  std::string bytes;
  DWORD error = 0;
  check(plat::ini::readFile(path, bytes, error), "cannot read the file back");
  return bytes;
}

// The line the editor must change: the first key of that name in the first
// section of that name.
size_t editedLine(const std::vector<Line>& lines, const std::string& section, const std::string& key) {
  size_t i = 0;
  while (i < lines.size() && !(lines[i].kind == LineKind::Section && plat::ini::equalNoCase(lines[i].name, section))) {
    ++i;
  }
  for (++i; i < lines.size() && lines[i].kind != LineKind::Section; ++i) {
    if (lines[i].kind == LineKind::Key && plat::ini::equalNoCase(lines[i].name, key)) return i;
  }
  return lines.size();
}

bool sameLine(const Line& before, const Line& after) {
  // A last line without an end gains one when a line follows it.
  return before.text == after.text && (before.end == after.end || (before.end.empty() && after.end == "\r\n"));
}

void exploreReads(const Document& document) {
  for (const std::string& section : document.sectionNames()) {
    check(section.find('\0') == std::string::npos, "NUL in a section name");
    for (const std::string& key : document.keyNames(section)) {
      check(key.find('\0') == std::string::npos, "NUL in a key name");
      check(document.value(section, key).has_value(), "an enumerated key has no value");
    }
    (void)document.sectionEntries(section);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string& path = scratchFile();
  writeInput(path, input);
  check(readBack(path) == input, "read differs from the file");

  Document document(input);
  check(document.serialize() == input, "parse and serialize differ");
  exploreReads(document);

  // The input's first bytes pick what to edit, so the fuzzer steers it.
  std::vector<std::string> sections = document.sectionNames();
  std::string section = sections.empty() || size < 1 ? "fuzz" : sections[data[0] % sections.size()];
  std::vector<std::string> keys = document.keyNames(section);
  std::string key = keys.empty() || size < 2 ? "fuzzkey" : keys[data[1] % (keys.size() + 1) % keys.size()];
  if (size >= 2 && data[1] % (keys.size() + 1) == keys.size()) key = "fuzzkey";
  bool remove = size >= 3 && (data[2] & 1) != 0;
  const std::string value = "edited \x82\x5D value";

  const std::vector<Line>& before = document.lines();
  size_t edited = editedLine(before, section, key);
  DWORD error = 0;
  bool written = plat::ini::editFile(
      path,
      [&](Document& file) { return remove ? file.removeKey(section, key) : file.setValue(section, key, value); },
      error);
  check(written, "the edit failed");

  std::string output = readBack(path);
  Document result(output);
  if (!remove) check(result.value(section, key) == value, "the edited value does not read back");
  if (remove && edited < before.size()) {
    // A removal cuts exactly the key's line. Compared as bytes, because a
    // lone CR before the cut and an LF after it may read as one line end.
    std::string expected;
    for (size_t i = 0; i < before.size(); ++i) {
      if (i != edited) expected += before[i].text + before[i].end;
    }
    check(output == expected, "a removal changed more than the key's line");
    return 0;
  }
  std::vector<Line> after = plat::ini::splitLines(output);
  size_t j = 0;
  for (size_t i = 0; i < before.size(); ++i) {
    if (i == edited) continue;
    while (j < after.size() && !sameLine(before[i], after[j])) ++j;
    check(j < after.size(), "a line that was not edited is lost");
    ++j;
  }
  // At most one line goes (a removed key) and at most two come (a new
  // section with its key).
  size_t kept = before.size() - (edited < before.size() ? 1 : 0);
  check(after.size() >= kept && after.size() <= before.size() + 2, "unexpected number of lines");
  return 0;
}
