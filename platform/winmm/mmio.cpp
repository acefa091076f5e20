// The multimedia file I/O exports: handles of the layer's own counter for
// open RIFF files.
#include <windows.h>

#include <map>
#include <memory>
#include <mutex>

#include "kernel32/object.h"
#include "kernel32/paths.h"
#include "winmm/riff_file.h"

namespace {

using plat::mm::RiffFile;

struct OpenFiles {
  std::mutex lock;
  std::map<uint32_t, std::shared_ptr<RiffFile>> files;
};

OpenFiles& openFiles() {
  static auto* table = new OpenFiles;
  return *table;
}

uint32_t valueOf(HMMIO handle) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle)); }

std::shared_ptr<RiffFile> lookup(HMMIO handle) {
  OpenFiles& table = openFiles();
  std::lock_guard<std::mutex> guard(table.lock);
  auto it = table.files.find(valueOf(handle));
  return it == table.files.end() ? nullptr : it->second;
}

}  // namespace

PLATFORM_API HMMIO WINAPI mmioOpenA(LPSTR pszFileName, LPMMIOINFO pmmioinfo, DWORD fdwOpen) {
  if (pszFileName == nullptr || pmmioinfo != nullptr || fdwOpen != MMIO_READ) return nullptr;
  const std::string path = plat::mappedOrFail(pszFileName);
  if (path.empty()) return nullptr;
  std::unique_ptr<RiffFile> file = RiffFile::open(path);
  if (!file) return nullptr;
  const uint32_t value = plat::allocateHandleValue();
  OpenFiles& table = openFiles();
  std::lock_guard<std::mutex> guard(table.lock);
  table.files.emplace(value, std::move(file));
  return reinterpret_cast<HMMIO>(static_cast<uintptr_t>(value));
}

PLATFORM_API MMRESULT WINAPI mmioClose(HMMIO hmmio, UINT) {
  OpenFiles& table = openFiles();
  std::lock_guard<std::mutex> guard(table.lock);
  return table.files.erase(valueOf(hmmio)) == 1 ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE;
}

PLATFORM_API LONG WINAPI mmioRead(HMMIO hmmio, HPSTR pch, LONG cch) {
  std::shared_ptr<RiffFile> file = lookup(hmmio);
  return file ? file->read(pch, cch) : -1;
}

PLATFORM_API MMRESULT WINAPI mmioDescend(HMMIO hmmio, LPMMCKINFO pmmcki, LPCMMCKINFO pmmckiParent, UINT fuDescend) {
  std::shared_ptr<RiffFile> file = lookup(hmmio);
  if (!file) return MMSYSERR_INVALHANDLE;
  if (pmmcki == nullptr) return MMSYSERR_INVALPARAM;
  return file->descend(*pmmcki, pmmckiParent, fuDescend);
}

PLATFORM_API MMRESULT WINAPI mmioAscend(HMMIO hmmio, LPMMCKINFO pmmcki, UINT) {
  std::shared_ptr<RiffFile> file = lookup(hmmio);
  if (!file) return MMSYSERR_INVALHANDLE;
  if (pmmcki == nullptr) return MMSYSERR_INVALPARAM;
  return file->ascend(*pmmcki);
}
