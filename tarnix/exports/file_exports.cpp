// The whole configuration to and from a REGEDIT4 file.
#include <tarnix.h>

#include "regfile/config_file.h"

LONG WINAPI DnkConfigLoadFile(const char* path) { return tarnix::ImportConfigFile(path); }  // 2
LONG WINAPI DnkConfigSaveFile(const char* path) { return tarnix::ExportConfigFile(path); }  // 3
