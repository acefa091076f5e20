// Which libraries an unload takes with it, read from the links the loaded
// objects declare.
#include "kernel32/module_links.h"

#include <elf.h>
#include <link.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace plat {
namespace {

std::string fileOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

struct LoadedObject {
  std::string file;  // empty for the program
  std::vector<std::string> needs;
};

int collectLinks(dl_phdr_info* info, size_t, void* data) {
  LoadedObject object{fileOf(info->dlpi_name != nullptr ? info->dlpi_name : ""), {}};
  const ElfW(Dyn)* dynamic = nullptr;
  for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
    if (info->dlpi_phdr[i].p_type == PT_DYNAMIC) {
      dynamic = reinterpret_cast<const ElfW(Dyn)*>(info->dlpi_addr + info->dlpi_phdr[i].p_vaddr);
    }
  }
  if (dynamic != nullptr) {
    ElfW(Addr) strings = 0;
    for (const ElfW(Dyn)* d = dynamic; d->d_tag != DT_NULL; ++d)
      if (d->d_tag == DT_STRTAB) strings = d->d_un.d_ptr;
    // The loader relocates the table's address in place, except in an
    // object it did not load itself.
    if (strings != 0 && strings < info->dlpi_addr) strings += info->dlpi_addr;
    for (const ElfW(Dyn)* d = dynamic; strings != 0 && d->d_tag != DT_NULL; ++d)
      if (d->d_tag == DT_NEEDED) object.needs.emplace_back(reinterpret_cast<const char*>(strings + d->d_un.d_val));
  }
  static_cast<std::vector<LoadedObject>*>(data)->push_back(std::move(object));
  return 0;
}

}  // namespace

std::vector<uint32_t> ModulesUnloadedWith(const Module& top, const std::vector<Module>& byName) {
  std::vector<LoadedObject> objects;
  dl_iterate_phdr(collectLinks, &objects);
  std::vector<std::string> going{fileOf(top.path)};
  // Whether only the objects already going link the file, and one does.
  auto heldOnlyByGoing = [&](const std::string& file, bool mustBeLinked) {
    bool linked = false;
    for (const LoadedObject& object : objects) {
      if (object.file == file || std::find(object.needs.begin(), object.needs.end(), file) == object.needs.end()) {
        continue;
      }
      if (std::find(going.begin(), going.end(), object.file) == going.end()) return false;
      linked = true;
    }
    return linked || !mustBeLinked;
  };
  if (!heldOnlyByGoing(going[0], false)) return {};
  std::vector<uint32_t> values{top.value};
  for (bool grew = true; grew;) {
    grew = false;
    for (const Module& module : byName) {
      std::string file = fileOf(module.path);
      if (std::find(going.begin(), going.end(), file) != going.end()) continue;
      if (!heldOnlyByGoing(file, true)) continue;
      going.push_back(file);
      values.push_back(module.value);
      grew = true;
    }
  }
  return values;
}

}  // namespace plat
