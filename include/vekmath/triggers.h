// Exports of the processing library: triggers.
#pragma once
#include <windef.h>
