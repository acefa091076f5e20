// The running driver's extension, for tests that play a handler's part.
#include "frame/internal.h"

DLL_EXPORT morvel00::XanDeviceExtension* Morvel00ProbeExtension() { return morvel00::XanRunningExtension(); }
