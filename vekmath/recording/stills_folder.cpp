#include "recording/stills_folder.h"

#include <shellapi.h>

#include <cctype>

namespace vekmath {
namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// "C:\..." or a path from the file system root.
bool isAbsolute(const std::string& path) {
  if (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' && isSeparator(path[2]))
    return true;
  return path.size() >= 2 && path[0] == '/' && !isSeparator(path[1]);
}

}  // namespace

std::string stillsFolderName(const std::string& baseFolder) { return baseFolder + "BMP"; }

bool renewStillsFolder(const std::string& baseFolder, HWND owner) {
  if (!isAbsolute(baseFolder)) return false;
  const std::string folder = stillsFolderName(baseFolder);
  std::string list = folder;
  list.push_back('\0');  // the list's own end; c_str() adds the second NUL
  SHFILEOPSTRUCTA op{};
  op.hwnd = owner;
  op.wFunc = FO_DELETE;
  op.pFrom = list.c_str();
  op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
  SHFileOperationA(&op);
  CreateDirectoryA(folder.c_str(), nullptr);
  return true;
}

}  // namespace vekmath
