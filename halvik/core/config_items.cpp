#include "config_items.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace halvik::config {

pugi::xml_node child(pugi::xml_node item, const char* wantedKey) {
  for (pugi::xml_node node = item.first_child(); node; node = node.next_sibling()) {
    if (node.type() == pugi::node_element && std::strcmp(node.first_attribute().value(), wantedKey) == 0) return node;
  }
  return {};
}

bool present(pugi::xml_node item) { return item && std::strcmp(item.attribute("enable").value(), "true") == 0; }

bool entered(pugi::xml_node group) { return present(group) && std::strcmp(current(group), "false") != 0; }

const char* current(pugi::xml_node item) { return item.attribute("current").value(); }

const char* key(pugi::xml_node item) { return item.first_attribute().value(); }

// Numbers out of their type's range are held at its ends rather than
// wrapped into another value.
int32_t toLong(const char* text) {
  const long long value = std::strtoll(text, nullptr, 10);
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

int16_t toShort(const char* text) {
  const int32_t value = toLong(text);
  if (value > std::numeric_limits<int16_t>::max()) return std::numeric_limits<int16_t>::max();
  if (value < std::numeric_limits<int16_t>::min()) return std::numeric_limits<int16_t>::min();
  return static_cast<int16_t>(value);
}

float toFloat(const char* text) { return std::strtof(text, nullptr); }

std::vector<int32_t> toList(const char* text, std::size_t wanted) {
  std::vector<int32_t> values(wanted, 0);
  const char* piece = text;
  for (std::size_t i = 0; i < wanted; ++i) {
    const char* comma = std::strchr(piece, ',');
    if (comma == nullptr) break;
    values[i] = toLong(piece);
    piece = comma + 1;
  }
  return values;
}

}  // namespace halvik::config
