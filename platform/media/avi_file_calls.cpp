// The AVI file calls: opening, creating streams, the information records.
#include <algorithm>
#include <atomic>
#include <cstring>

#include "kernel32/paths.h"
#include "media/avi_objects.h"

namespace plat::avi {

LiveObjects<IAVIFile>& liveFiles() {
  static LiveObjects<IAVIFile> files;
  return files;
}
LiveObjects<IAVIStream>& liveStreams() {
  static LiveObjects<IAVIStream> streams;
  return streams;
}

namespace {

std::atomic<int> initCount{0};

void copyText(char (&into)[64], const std::string& text) {
  std::memset(into, 0, sizeof into);
  std::memcpy(into, text.data(), std::min(text.size(), sizeof into - 1));
}

StreamHeader headerFrom(const AVISTREAMINFOA& info) {
  auto narrow = [](LONG v) { return static_cast<int16_t>(std::clamp<LONG>(v, INT16_MIN, INT16_MAX)); };
  StreamHeader h{};
  h.type = info.fccType;
  h.handler = info.fccHandler;
  h.flags = info.dwFlags;
  h.priority = info.wPriority;
  h.language = info.wLanguage;
  h.initialFrames = info.dwInitialFrames;
  h.scale = info.dwScale;
  h.rate = info.dwRate;
  h.start = info.dwStart;
  h.quality = info.dwQuality;
  h.sampleSize = info.dwSampleSize;
  h.frameLeft = narrow(info.rcFrame.left);
  h.frameTop = narrow(info.rcFrame.top);
  h.frameRight = narrow(info.rcFrame.right);
  h.frameBottom = narrow(info.rcFrame.bottom);
  return h;
}

IAVIFile* liveFile(PAVIFILE file) { return liveFiles().contains(file) ? file : nullptr; }

}  // namespace

}  // namespace plat::avi

using namespace plat::avi;

PLATFORM_API void WINAPI AVIFileInit(void) { ++initCount; }

PLATFORM_API void WINAPI AVIFileExit(void) {
  int count = initCount.load();
  while (count > 0 && !initCount.compare_exchange_weak(count, count - 1)) {
  }
}

PLATFORM_API HRESULT WINAPI AVIFileOpenA(PAVIFILE* ppfile, LPCSTR szFile, UINT uMode, void* lpHandler) {
  if (ppfile == nullptr) return AVIERR_BADPARAM;
  *ppfile = nullptr;
  if (szFile == nullptr || *szFile == '\0') return AVIERR_BADPARAM;
  if (lpHandler != nullptr) return AVIERR_UNSUPPORTED;
  const std::string path = plat::mappedOrFail(szFile);
  auto file = std::make_unique<IAVIFile>();
  if ((uMode & OF_CREATE) != 0) {
    std::unique_ptr<AviWriter> writer = AviWriter::create(path);
    if (!writer) return AVIERR_FILEOPEN;
    file->writer = std::move(writer);
  } else if ((uMode & (OF_WRITE | OF_READWRITE)) != 0) {
    return AVIERR_UNSUPPORTED;  // existing files are not edited
  } else {
    HRESULT error = AVIERR_OK;
    std::unique_ptr<AviReader> reader = AviReader::open(path, error);
    if (!reader) return error;
    file->reader = std::move(reader);
  }
  *ppfile = liveFiles().add(std::move(file));
  return AVIERR_OK;
}

PLATFORM_API ULONG WINAPI AVIFileRelease(PAVIFILE pfile) {
  // A file being written is completed once its streams are released too.
  liveFiles().take(pfile);
  return 0;
}

PLATFORM_API HRESULT WINAPI AVIFileInfoA(PAVIFILE pfile, LPAVIFILEINFOA pfi, LONG lSize) {
  IAVIFile* file = liveFile(pfile);
  if (file == nullptr) return AVIERR_BADHANDLE;
  if (pfi == nullptr || lSize < 0) return AVIERR_BADPARAM;
  const MainHeader main = file->reader ? file->reader->mainHeader() : file->writer->mainHeader();
  AVIFILEINFOA info{};
  info.dwMaxBytesPerSec = main.maxBytesPerSec;
  info.dwFlags = main.flags;
  info.dwCaps = AVIFILECAPS_CANREAD | (file->writer ? AVIFILECAPS_CANWRITE : 0u);
  info.dwStreams =
      static_cast<DWORD>(file->reader ? file->reader->streams().size() : file->writer->streamCount());
  info.dwSuggestedBufferSize = main.suggestedBufferSize;
  info.dwWidth = main.width;
  info.dwHeight = main.height;
  info.dwScale = main.microSecPerFrame;
  info.dwRate = 1000000;
  info.dwLength = main.totalFrames;
  copyText(info.szFileType, "AVI");
  std::memcpy(pfi, &info, std::min<size_t>(static_cast<size_t>(lSize), sizeof info));
  return AVIERR_OK;
}

PLATFORM_API HRESULT WINAPI AVIFileGetStream(PAVIFILE pfile, PAVISTREAM* ppavi, DWORD fccType, LONG lParam) {
  if (ppavi == nullptr) return AVIERR_BADPARAM;
  *ppavi = nullptr;
  IAVIFile* file = liveFile(pfile);
  if (file == nullptr) return AVIERR_BADHANDLE;
  const size_t count = file->reader ? file->reader->streams().size() : file->writer->streamCount();
  LONG seen = 0;
  for (size_t i = 0; i < count; ++i) {
    const FOURCC type = file->reader ? file->reader->streams()[i].header.type : file->writer->header(i).type;
    if (fccType != 0 && type != fccType) continue;
    if (seen++ != lParam) continue;
    auto stream = std::make_unique<IAVIStream>();
    stream->reader = file->reader;
    stream->writer = file->writer;
    stream->index = i;
    *ppavi = liveStreams().add(std::move(stream));
    return AVIERR_OK;
  }
  return AVIERR_NODATA;
}

PLATFORM_API HRESULT WINAPI AVIFileCreateStreamA(PAVIFILE pfile, PAVISTREAM* ppavi, AVISTREAMINFOA* psi) {
  if (ppavi == nullptr) return AVIERR_BADPARAM;
  *ppavi = nullptr;
  IAVIFile* file = liveFile(pfile);
  if (file == nullptr) return AVIERR_BADHANDLE;
  if (psi == nullptr) return AVIERR_BADPARAM;
  if (!file->writer) return AVIERR_READONLY;
  const std::string name(psi->szName, strnlen(psi->szName, sizeof psi->szName));
  if (!file->writer->addStream(headerFrom(*psi), name)) return AVIERR_UNSUPPORTED;
  auto stream = std::make_unique<IAVIStream>();
  stream->writer = file->writer;
  stream->index = file->writer->streamCount() - 1;
  *ppavi = liveStreams().add(std::move(stream));
  return AVIERR_OK;
}
