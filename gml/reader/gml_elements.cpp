#include "gml/reader/gml_elements.h"

#include <array>
#include <cstring>
#include <string_view>

namespace {

struct Entry {
  std::string_view name;
  GmlElement element = GmlElement::kOther;
};

constexpr Entry kNames[] = {
#define GML_READER_ELEMENT_ENTRY(id, name) {name, GmlElement::id},
    GML_READER_ELEMENTS(GML_READER_ELEMENT_ENTRY)
#undef GML_READER_ELEMENT_ENTRY
};

// Open addressing over a table a few times larger than the list of names.
constexpr std::size_t kSlots = 512;
static_assert(sizeof kNames / sizeof kNames[0] * 3 < kSlots);

// The hash looks at the length and three characters only: names that share
// them probe on to the next slot.
constexpr std::uint32_t Hash(const char* name, std::size_t length) {
  return static_cast<std::uint32_t>(length) * 131u +
         static_cast<unsigned char>(name[length - 1]) * 31u +
         static_cast<unsigned char>(name[length - 2]) * 7u +
         static_cast<unsigned char>(name[length / 2]);
}

// A slot holds the index of its name in kNames plus one; 0 is empty.
constexpr std::array<std::uint8_t, kSlots> BuildSlots() {
  std::array<std::uint8_t, kSlots> slots{};
  for (std::size_t i = 0; i < sizeof kNames / sizeof kNames[0]; ++i) {
    std::size_t slot = Hash(kNames[i].name.data(), kNames[i].name.size()) % kSlots;
    while (slots[slot] != 0) slot = (slot + 1) % kSlots;
    slots[slot] = static_cast<std::uint8_t>(i + 1);
  }
  return slots;
}

constexpr std::array<std::uint8_t, kSlots> kSlotTable = BuildSlots();

// The characters that end an element's name.
constexpr std::array<bool, 256> BuildNameEnds() {
  std::array<bool, 256> ends{};
  for (const char c : {'\0', ' ', '/', '\t', '\n', '\r'})
    ends[static_cast<unsigned char>(c)] = true;
  return ends;
}

constexpr std::array<bool, 256> kNameEnds = BuildNameEnds();

}  // namespace

ElementName ClassifyElement(const char* tag) {
  std::size_t length = 0;
  while (!kNameEnds[static_cast<unsigned char>(tag[length])]) ++length;
  ElementName out;
  out.length = length;
  if (length < 2) return out;  // no name is that short
  for (std::size_t slot = Hash(tag, length) % kSlots; kSlotTable[slot] != 0;
       slot = (slot + 1) % kSlots) {
    const Entry& entry = kNames[kSlotTable[slot] - 1];
    if (entry.name.size() == length && std::memcmp(entry.name.data(), tag, length) == 0) {
      out.element = entry.element;
      break;
    }
  }
  return out;
}
