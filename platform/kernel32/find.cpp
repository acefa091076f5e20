// Listing folders by pattern (FindFirstFileA) and searching a path list
// for a file (SearchPathA).
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "kernel32/file_object.h"
#include "kernel32/paths.h"

namespace plat {
namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// '*' matches any run, '?' one character, letters without regard to case.
bool globMatch(const char* pattern, const char* name) {
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*name != '\0') {
    if (*pattern == '*') {
      star = pattern++;
      resume = name;
    } else if (*pattern == '?' || (*pattern != '\0' && lowerAscii(*pattern) == lowerAscii(*name))) {
      ++pattern;
      ++name;
    } else if (star != nullptr) {
      pattern = star + 1;
      name = ++resume;
    } else {
      return false;
    }
  }
  while (*pattern == '*') ++pattern;
  return *pattern == '\0';
}

// Windows' extra rules: "*.*" and "x.*" also match names without an
// extension, and "x." matches only names without one.
bool patternMatches(const std::string& pattern, const std::string& name) {
  if (globMatch(pattern.c_str(), name.c_str())) return true;
  bool noExtension = name.find('.') == std::string::npos;
  if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0) {
    return noExtension && globMatch(pattern.substr(0, pattern.size() - 2).c_str(), name.c_str());
  }
  if (!pattern.empty() && pattern.back() == '.') {
    return noExtension && globMatch(pattern.substr(0, pattern.size() - 1).c_str(), name.c_str());
  }
  return false;
}

bool lessNoCase(const std::string& a, const std::string& b) {
  // "." and ".." come first, as a listing on Windows shows them.
  bool aDots = a == "." || a == "..";
  bool bDots = b == "." || b == "..";
  if (aDots != bDots) return aDots;
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return lowerAscii(x) < lowerAscii(y); });
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

struct FoundEntry {
  std::string name;
  struct stat st;
};

class FindObject : public KernelObject {
 public:
  explicit FindObject(std::vector<FoundEntry> entries) : KernelObject(ObjectKind::Other), entries_(std::move(entries)) {}

  // The next entry, or false when the listing is done.
  bool next(WIN32_FIND_DATAA* data) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (index_ >= entries_.size()) return false;
    fill(entries_[index_++], data);
    return true;
  }

  static void fill(const FoundEntry& entry, WIN32_FIND_DATAA* data) {
    std::memset(data, 0, sizeof *data);
    data->dwFileAttributes = attributesFrom(entry.st);
    data->ftCreationTime = fileTimeFrom(entry.st.st_mtim);
    data->ftLastAccessTime = fileTimeFrom(entry.st.st_atim);
    data->ftLastWriteTime = fileTimeFrom(entry.st.st_mtim);
    if (!S_ISDIR(entry.st.st_mode)) {
      auto size = static_cast<ULONGLONG>(entry.st.st_size);
      data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
      data->nFileSizeLow = static_cast<DWORD>(size);
    }
    entry.name.copy(data->cFileName, sizeof data->cFileName - 1);
  }

 private:
  std::mutex mutex_;
  std::vector<FoundEntry> entries_;
  size_t index_ = 0;
};

// A drive's top folder lists no "." and "..", as on Windows.
bool isDriveTop(const std::string& folder) {
  std::string root = driveRoot();
  return folder.size() == root.size() + 2 && folder.compare(0, root.size(), root) == 0 &&
         folder[root.size()] == '/';
}

HANDLE failFind(DWORD error) {
  SetLastError(error);
  return INVALID_HANDLE_VALUE;
}

}  // namespace
}  // namespace plat

PLATFORM_API HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
  if (lpFileName == nullptr || lpFindFileData == nullptr) return plat::failFind(ERROR_INVALID_PARAMETER);
  std::string spec = lpFileName;
  size_t cut = spec.find_last_of("\\/");
  if (cut == std::string::npos && spec.size() >= 2 && spec[1] == ':') cut = 1;  // "C:*.txt"
  std::string folderPart = cut == std::string::npos ? std::string(".") : spec.substr(0, cut + 1);
  std::string pattern = cut == std::string::npos ? spec : spec.substr(cut + 1);
  if (pattern.empty()) return plat::failFind(ERROR_FILE_NOT_FOUND);

  std::string folder = plat::mapWindowsPath(folderPart);
  std::unique_ptr<DIR, plat::DirCloser> dir(::opendir(folder.c_str()));
  if (!dir) {
    bool missing = errno == ENOENT || errno == ENOTDIR;
    return plat::failFind(missing ? ERROR_PATH_NOT_FOUND : plat::errorFromErrno(errno));
  }
  bool listDots = !plat::isDriveTop(folder);
  std::vector<plat::FoundEntry> entries;
  while (const dirent* entry = ::readdir(dir.get())) {
    std::string name = entry->d_name;
    if (!listDots && (name == "." || name == "..")) continue;
    if (name.size() >= MAX_PATH || !plat::patternMatches(pattern, name)) continue;
    plat::FoundEntry found{name, {}};
    std::string path = folder + "/" + name;
    if (::stat(path.c_str(), &found.st) != 0 && ::lstat(path.c_str(), &found.st) != 0) continue;
    entries.push_back(std::move(found));
  }
  if (entries.empty()) return plat::failFind(ERROR_FILE_NOT_FOUND);
  std::sort(entries.begin(), entries.end(),
            [](const plat::FoundEntry& a, const plat::FoundEntry& b) { return plat::lessNoCase(a.name, b.name); });

  auto object = std::make_shared<plat::FindObject>(std::move(entries));
  object->next(lpFindFileData);
  SetLastError(ERROR_SUCCESS);
  return plat::insertHandle(object);
}

PLATFORM_API BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
  auto find = plat::lookupAs<plat::FindObject>(hFindFile);
  if (!find) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (lpFindFileData == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!find->next(lpFindFileData)) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  return TRUE;
}

PLATFORM_API BOOL WINAPI FindClose(HANDLE hFindFile) {
  if (!plat::lookupAs<plat::FindObject>(hFindFile)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return plat::closeHandle(hFindFile) ? TRUE : FALSE;
}

namespace plat {
namespace {

bool isAbsolute(const std::string& name) {
  return !name.empty() && (name[0] == '\\' || name[0] == '/' || (name.size() >= 2 && name[1] == ':'));
}

// The Linux path of an existing file (not a folder), or empty.
std::string existingFile(const std::string& windowsPath) {
  std::string path = mapWindowsPath(windowsPath);
  struct stat st;
  if (path.empty() || ::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return {};
  return path;
}

std::vector<std::string> searchFolders(LPCSTR pathList) {
  std::vector<std::string> folders;
  if (pathList != nullptr) {
    std::string list = pathList;
    size_t start = 0;
    while (start <= list.size()) {
      size_t end = list.find(';', start);
      if (end == std::string::npos) end = list.size();
      if (end > start) folders.push_back(list.substr(start, end - start));
      start = end + 1;
    }
    return folders;
  }
  char cwd[4096];
  folders.push_back(programFolder());
  if (::getcwd(cwd, sizeof cwd) != nullptr) folders.push_back(cwd);
  folders.push_back("C:\\Windows\\system32");
  folders.push_back("C:\\Windows");
  return folders;
}

}  // namespace
}  // namespace plat

PLATFORM_API DWORD WINAPI SearchPathA(LPCSTR lpPath, LPCSTR lpFileName, LPCSTR lpExtension, DWORD nBufferLength,
                                      LPSTR lpBuffer, LPSTR* lpFilePart) {
  if (lpFilePart != nullptr) *lpFilePart = nullptr;
  if (lpFileName == nullptr || *lpFileName == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string name = lpFileName;
  size_t lastSeparator = name.find_last_of("\\/");
  std::string finalPart = lastSeparator == std::string::npos ? name : name.substr(lastSeparator + 1);
  if (lpExtension != nullptr && finalPart.find('.') == std::string::npos) name += lpExtension;

  std::string found;
  if (plat::isAbsolute(name)) {
    found = plat::existingFile(name);
  } else {
    for (const std::string& folder : plat::searchFolders(lpPath)) {
      found = plat::existingFile(folder + "\\" + name);
      if (!found.empty()) break;
    }
  }
  if (found.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  DWORD result = plat::copyToBuffer(found, lpBuffer, nBufferLength);
  if (result == found.size() && lpFilePart != nullptr) *lpFilePart = lpBuffer + found.rfind('/') + 1;
  return result;
}
