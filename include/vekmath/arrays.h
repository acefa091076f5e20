// Exports of the processing library: arrays.
#pragma once
#include <windef.h>
