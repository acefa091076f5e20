// The process-wide table of drawing objects and device contexts. Handles
// are small integers, never reused soon; stock objects have fixed handles.
//
// Lock order: the table's lock before a device context's lock. Drawing holds
// only the context's lock (and the window surface's), never the table's.
#pragma once
#include <wingdi.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace plat::gdi {

struct Pen {
  int style = PS_SOLID;  // PS_* without the end-cap and join bits
  LONG width = 1;
  COLORREF color = 0;
};

struct Brush {
  bool hollow = false;
  COLORREF color = 0;
};

// Pixels of a bitmap, top row first in memory unless the stride is negative.
struct Bitmap {
  LONG width = 0;
  LONG height = 0;
  ptrdiff_t stride = 0;
  uint8_t* top = nullptr;  // row 0 (the top row)
  void* bits = nullptr;    // the start of the storage
  bool section = false;    // made by CreateDIBSection: its bits are the caller's to see
  std::vector<uint32_t> storage;
};

enum class Kind { None, Pen, Brush, Font, Bitmap, Dc };

struct Dc {
  std::mutex mutex;  // guards everything below
  bool memory = false;
  HWND hwnd = nullptr;  // window contexts; NULL for the screen and memory contexts

  // Selected handles; written under mutex, read without it by a selection
  // that would change nothing.
  std::atomic<uint32_t> pen{0}, brush{0}, font{0}, bitmap{0};
  Pen penData;
  Brush brushData;
  LOGFONTA fontData{};
  std::shared_ptr<Bitmap> bitmapData;

  int rop2 = R2_COPYPEN;
  int bkMode = OPAQUE;
  COLORREF bkColor = 0xFFFFFF;
  COLORREF textColor = 0;
  int stretchMode = BLACKONWHITE;
  POINT position{0, 0};
  uint32_t dashPhase = 0;
};

using DcPtr = std::shared_ptr<Dc>;

uint32_t handleValue(const void* handle);
template <typename H>
H handleOf(uint32_t value) {
  return reinterpret_cast<H>(static_cast<uintptr_t>(value));
}

// Creation; 0 with ERROR_NOT_ENOUGH_MEMORY when no handle is free.
uint32_t addPen(const Pen& pen);
uint32_t addBrush(const Brush& brush);
uint32_t addFont(const LOGFONTA& font);
uint32_t addBitmap(std::shared_ptr<Bitmap> bitmap);
uint32_t addDc(DcPtr dc);

Kind kindOf(uint32_t handle);
DcPtr findDc(uint32_t handle);  // NULL with ERROR_INVALID_HANDLE
bool findBrush(uint32_t handle, Brush* out);
bool findPen(uint32_t handle, LOGPEN* out);
bool findFont(uint32_t handle, LOGFONTA* out);
std::shared_ptr<Bitmap> findBitmap(uint32_t handle);

uint32_t stockObject(int index);  // 0 for an unknown index
// Selects into the context; returns the handle it replaced, 0 on failure.
uint32_t selectInto(uint32_t dc, uint32_t object);
// Refused (false) for an object selected into a context.
bool deleteObject(uint32_t handle);
// Drops a context and its selections; a window's context only for its window.
bool deleteDc(uint32_t handle, bool memory, HWND hwnd);

}  // namespace plat::gdi
