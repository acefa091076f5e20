#include "advapi32/key_names.h"

#include <windows.h>

namespace plat::reg {

std::string foldName(std::string_view name) {
  std::string folded(name);
  for (size_t i = 0; i < folded.size(); ++i) {
    auto c = static_cast<unsigned char>(folded[i]);
    if (IsDBCSLeadByte(c)) {
      ++i;  // the trail byte belongs to the same character
    } else if (c >= 'a' && c <= 'z') {
      folded[i] = static_cast<char>(c - 'a' + 'A');
    }
  }
  return folded;
}

long splitKeyPath(const char* path, std::vector<std::string>& components) {
  components.clear();
  if (path == nullptr) return ERROR_SUCCESS;
  std::string_view rest(path);
  if (!rest.empty() && rest.front() == '\\') return ERROR_BAD_PATHNAME;
  while (!rest.empty() && rest.back() == '\\') rest.remove_suffix(1);
  while (!rest.empty()) {
    size_t cut = rest.find('\\');
    std::string_view part = rest.substr(0, cut);
    if (part.empty()) return ERROR_BAD_PATHNAME;
    if (part.size() > kMaxKeyNameLength) return ERROR_INVALID_PARAMETER;
    components.emplace_back(part);
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
  }
  return ERROR_SUCCESS;
}

}  // namespace plat::reg
