#pragma once
#include <string>
#include <vector>

#include "board_record.h"

namespace morvel00 {

std::vector<std::string>& FrameCalls();

}  // namespace morvel00
