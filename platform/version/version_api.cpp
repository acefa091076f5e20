// GetFileVersionInfoSizeA, GetFileVersionInfoA and VerQueryValueA over the
// sidecar files beside the files they describe.
#include <sys/stat.h>

#include <cstring>

#include "kernel32/paths.h"
#include "version/version_block.h"

namespace {

// The block of a file, or nullopt with the last error set.
std::optional<std::vector<BYTE>> versionBlock(LPCSTR fileName) {
  std::string path = plat::mappedOrFail(fileName);
  if (path.empty()) return std::nullopt;
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    SetLastError(plat::pathError(errno, path));
    return std::nullopt;
  }
  auto block = plat::ver::blockForFile(plat::mapWindowsPath(std::string(fileName) + ".version"));
  if (!block) SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
  return block;
}

}  // namespace

PLATFORM_API DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR lptstrFilename, LPDWORD lpdwHandle) {
  if (lpdwHandle != nullptr) *lpdwHandle = 0;
  auto block = versionBlock(lptstrFilename);
  if (!block) return 0;
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(block->size());
}

PLATFORM_API BOOL WINAPI GetFileVersionInfoA(LPCSTR lptstrFilename, DWORD, DWORD dwLen, LPVOID lpData) {
  if (lpData == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto block = versionBlock(lptstrFilename);
  if (!block) return FALSE;
  if (dwLen < block->size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(lpData, block->data(), block->size());
  return TRUE;
}

PLATFORM_API BOOL WINAPI VerQueryValueA(LPCVOID pBlock, LPCSTR lpSubBlock, LPVOID* lplpBuffer, UINT* puLen) {
  return plat::ver::queryBlock(static_cast<const BYTE*>(pBlock), lpSubBlock, lplpBuffer, puLen) ? TRUE : FALSE;
}
