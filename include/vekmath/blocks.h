// Exports of the processing library: blocks.
#pragma once
#include <windef.h>
