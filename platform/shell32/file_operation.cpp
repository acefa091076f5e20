// Shell file operations over the drive mapping.
#include <shellapi.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "kernel32/paths.h"

namespace plat {
namespace {

namespace fs = std::filesystem;

// A drive's mapped folder, the mapping root and the file system root are
// never taken away whole.
bool isRoot(const fs::path& path) {
  const fs::path p = path.lexically_normal();
  if (p == p.root_path()) return true;
  const fs::path root = fs::path(driveRoot()).lexically_normal();
  return p == root || p.parent_path() == root || p == fs::path(driveRoot());
}

DWORD removeOne(const char* name) {
  const std::string mapped = mapWindowsPath(name);
  std::error_code error;
  const fs::path path(mapped);
  if (!fs::exists(fs::symlink_status(path, error))) return ERROR_FILE_NOT_FOUND;
  if (isRoot(fs::absolute(path, error))) return ERROR_ACCESS_DENIED;
  fs::remove_all(path, error);
  return error ? errorFromErrno(error.value()) : 0;
}

}  // namespace
}  // namespace plat

PLATFORM_API int WINAPI SHFileOperationA(LPSHFILEOPSTRUCTA op) {
  if (op == nullptr || op->pFrom == nullptr) return ERROR_INVALID_PARAMETER;
  op->fAnyOperationsAborted = FALSE;
  if (op->wFunc != FO_DELETE) return ERROR_CALL_NOT_IMPLEMENTED;
  for (const char* name = op->pFrom; *name != '\0'; name += std::strlen(name) + 1) {
    if (DWORD error = plat::removeOne(name); error != 0) return static_cast<int>(error);
  }
  return 0;
}
