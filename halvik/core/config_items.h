// Reading a configuration file's items: lookups by key, the "enable" and
// "current" attributes, and the value forms the loader applies.
#pragma once
#include <pugixml.hpp>

#include <cstdint>
#include <vector>

namespace halvik::config {

// The first child element, in document order, whose first attribute equals
// key exactly; an empty node when there is none.
pugi::xml_node child(pugi::xml_node item, const char* key);
// Found, and its "enable" is "true".
bool present(pugi::xml_node item);
// A group is entered when present and its "current" is not "false".
bool entered(pugi::xml_node group);
const char* current(pugi::xml_node item);
// The item's key (its first attribute).
const char* key(pugi::xml_node item);

int16_t toShort(const char* text);
int32_t toLong(const char* text);
float toFloat(const char* text);
// Decimal integers each ended by a comma, at most `wanted` of them; entries
// the text does not fill are 0.
std::vector<int32_t> toList(const char* text, std::size_t wanted);

}  // namespace halvik::config
