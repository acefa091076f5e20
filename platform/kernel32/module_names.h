// From Windows module names to the files of our shared libraries.
#pragma once
#include <string>
#include <vector>

namespace plat {

// The lower-case stem that names a library: "C:\Windows\VKL.DLL" -> "vkl",
// "Vekmath" -> "vekmath". Empty when the name names nothing.
std::string moduleStem(const char* windowsName);

// True for the stem that means this layer itself ("kernel32").
bool isSystemStem(const std::string& stem);

// "lib<stem>.so"
std::string libraryFileName(const std::string& stem);

// The existing files that may hold the library, in search order.
std::vector<std::string> libraryCandidates(const std::string& stem);

// The path of libplatform.so and of the running program.
const std::string& platformLibraryPath();
std::string programPath();

}  // namespace plat
