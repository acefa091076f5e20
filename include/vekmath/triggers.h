// Exports of the processing library: trigger events.
//
// Detection is switched by SetupSampling3 (vekmath.h), which also empties
// the event lists; ReadBlock hands the events' windows out.
#pragma once
#include <windef.h>
