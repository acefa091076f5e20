// The machine type, cached for the process and kept in the registry as a
// text under SOFTWARE\DORNELL\TARNIX.
#include <windows.h>

#include <cstring>

#include "library_state.h"
#include "system/system_info.h"

namespace tarnix {
namespace {

constexpr const char* kCompanyKey = "SOFTWARE\\DORNELL";
constexpr const char* kLibraryKey = "SOFTWARE\\DORNELL\\TARNIX";
constexpr const char* kValueName = "MachineType";
constexpr const char* kAtText = "AT/AT COMPATIBLE";
constexpr const char* kPc98Text = "NEC PC-9800";

// Keyboard subtypes of the PC-9800 keyboards.
constexpr int kPc98KeyboardFirst = 0x0D01;
constexpr int kPc98KeyboardLast = 0x0D04;

struct Key {
  HKEY handle = nullptr;
  ~Key() {
    if (handle != nullptr) RegCloseKey(handle);
  }
};

// The stored text, or false when it is missing, of another type or longer
// than the 256 bytes a registry text may take here.
bool readStoredText(char (&text)[256]) {
  Key key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLibraryKey, 0, KEY_READ, &key.handle) != ERROR_SUCCESS) return false;
  DWORD type = 0;
  DWORD size = sizeof text;
  if (RegQueryValueExA(key.handle, kValueName, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    return false;
  }
  text[size < sizeof text ? size : sizeof text - 1] = '\0';
  return true;
}

LONG createKey(const char* path, Key& key) {
  return RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, const_cast<char*>(""), REG_OPTION_NON_VOLATILE,
                         KEY_ALL_ACCESS, nullptr, &key.handle, nullptr);
}

// 0, or the registry's error code.
LONG storeText(int32_t type) {
  Key company;
  if (LONG status = createKey(kCompanyKey, company); status != ERROR_SUCCESS) return status;
  Key library;
  if (LONG status = createKey(kLibraryKey, library); status != ERROR_SUCCESS) return status;
  const char* text = type == xanconfig::kMachineAt ? kAtText : kPc98Text;
  return RegSetValueExA(library.handle, kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>(std::strlen(text) + 1));
}

}  // namespace

int32_t GetMachineType() {
  LibraryState& library = Library();
  if (library.machineType != kMachineTypeUnknown) return library.machineType;
  char text[256] = {};
  int32_t type;
  if (readStoredText(text)) {
    // Any text but the AT one, in any other spelling too, is a PC-9800.
    type = std::strcmp(text, kAtText) == 0 ? xanconfig::kMachineAt : xanconfig::kMachinePc98;
  } else {
    const int subtype = GetKeyboardType(1);
    type = subtype >= kPc98KeyboardFirst && subtype <= kPc98KeyboardLast ? xanconfig::kMachinePc98
                                                                         : xanconfig::kMachineAt;
    storeText(type);  // a machine that cannot keep it still knows its type
  }
  library.machineType = type;
  return type;
}

int32_t SetMachineType(int32_t type) {
  if (type != xanconfig::kMachineAt && type != xanconfig::kMachinePc98) return type;
  Library().machineType = type;
  return static_cast<int32_t>(storeText(type));
}

}  // namespace tarnix
