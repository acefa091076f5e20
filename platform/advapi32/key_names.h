// Key and value names: case folding and key paths.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace plat::reg {

// The form under which names are compared and subkeys sorted: ASCII letters
// upper-cased. Texts are in the ANSI code page (932), so the second byte of
// a double-byte character is left alone even where it looks like a letter.
std::string foldName(std::string_view name);

// Splits "A\B\C" into its components. Trailing backslashes are accepted; a
// leading backslash or an empty component in the middle is refused with
// ERROR_BAD_PATHNAME, a component longer than a key name may be with
// ERROR_INVALID_PARAMETER. NULL and "" give no components.
long splitKeyPath(const char* path, std::vector<std::string>& components);

// The longest key name component, in characters.
constexpr size_t kMaxKeyNameLength = 255;

}  // namespace plat::reg
