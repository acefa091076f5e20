// Exports of the processing library: wave_graph.
#pragma once
#include <windef.h>
