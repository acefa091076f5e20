// Whether a board list can be stored without losing a board: the image
// has a slot for every record only when the numbering has no gaps, no
// doubles and no driver outside the kind's table.
#pragma once
#include <cstdint>

namespace tarnix {

// Kinds 1 to 7 and 10: 0 when every record finds its own slot; 1 when the
// count exceeds 64; 6 when a record would be dropped or would drop another.
int32_t ValidateListForStore(int32_t kind, const void* list);

}  // namespace tarnix
