// The folder that the stills of a recording go to, under the camera's base
// folder.
#pragma once
#include <windows.h>

#include <string>

namespace vekmath {

// The base folder followed by "BMP" (the base ends with its separator).
std::string stillsFolderName(const std::string& baseFolder);

// Removes the stills folder with all it holds and creates it empty, quietly.
// Only under an absolute base folder: an empty or relative one would name a
// folder of whatever the current folder happens to be. False when nothing
// was touched for that reason.
bool renewStillsFolder(const std::string& baseFolder, HWND owner);

}  // namespace vekmath
