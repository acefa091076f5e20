#include <string>
#include <vector>

#include "kernel32/process_object.h"

namespace plat {

namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }

// The program item: no backslash rules, a quote only opens and closes.
size_t firstItem(const std::string& line, std::string& item) {
  size_t i = 0;
  bool quoted = false;
  for (; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (blank(c) && !quoted) {
      break;
    } else {
      item += c;
    }
  }
  return i;
}

}  // namespace

std::vector<std::string> splitCommandLine(const std::string& line) {
  std::vector<std::string> args;
  if (line.empty()) return args;
  std::string item;
  size_t i = firstItem(line, item);
  args.push_back(item);

  for (;;) {
    while (i < line.size() && blank(line[i])) ++i;
    if (i >= line.size()) break;
    item.clear();
    bool quoted = false;
    while (i < line.size() && (quoted || !blank(line[i]))) {
      size_t slashes = 0;
      while (i < line.size() && line[i] == '\\') {
        ++slashes;
        ++i;
      }
      if (i < line.size() && line[i] == '"') {
        item.append(slashes / 2, '\\');
        if (slashes % 2 == 1) {
          item += '"';
        } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          item += '"';
          ++i;
        } else {
          quoted = !quoted;
        }
        ++i;
      } else {
        item.append(slashes, '\\');
        if (i < line.size() && (quoted || !blank(line[i]))) item += line[i++];
      }
    }
    args.push_back(item);
  }
  return args;
}

}  // namespace plat
