// The process's simulated boards: read from the registry once, each served
// as a platform device under its NT name and under its board's 9x name.
#pragma once
#include <windows.h>

#include <string>

namespace skorradev {

class Board;

// Loads the boards on first use. Thread-safe.
void ensureBoards();
// Re-reads the registry; boards with open files stay.
void reloadBoards();
// The board of device number n, or nullptr. Boards live until a reload
// drops them (never while a file of theirs is open).
Board* boardByNumber(DWORD n);
// True when path is "\\.\NAME" with NAME one of the boards' device names.
bool isBoardPath(const char* path);

}  // namespace skorradev
