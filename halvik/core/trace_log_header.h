// The header that the first process writes at the top of a new trace log.
#pragma once
#include <functional>
#include <string_view>

namespace halvik {

using TracePlaceFn = std::function<void(std::string_view)>;
void WriteTraceLogHeader(const char* fileName, const TracePlaceFn& place);

}  // namespace halvik
