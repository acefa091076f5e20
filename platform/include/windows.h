// Umbrella header of our Windows-service layer.
#pragma once
#include "windef.h"
#include "winerror.h"
#include "winbase.h"
#include "winuser.h"
#include "winreg.h"
#include "win/services.h"
#include "win/mmio.h"
