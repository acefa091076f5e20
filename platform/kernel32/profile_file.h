// Reading and replacing INI files on the Linux file system.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "kernel32/profile_document.h"

namespace plat::ini {

// Reads the whole file. False with a Windows error code when it cannot be
// read (ERROR_FILE_NOT_FOUND when it does not exist).
bool readFile(const std::string& path, std::string& bytes, DWORD& error);

// Applies `edit` to the file's current content and replaces the file when
// the edit changed it. Writers of this process and of other processes take
// turns, so none loses another's change. The new content goes to a
// temporary file in the same folder that is renamed over the old one: on
// any failure the old file stays as it was. A missing file is created.
// False with a Windows error code on failure.
bool editFile(const std::string& path, const std::function<bool(Document&)>& edit, DWORD& error);

}  // namespace plat::ini
