#include "gml/settings/catalogue.h"

#include <string>
#include <string_view>

#include "common/containers/line_reader.h"
#include "common/containers/text.h"
#include "gml/settings/text_fields.h"
#include "gml/settings/text_file.h"

using gml_settings::CopyField;
using gml_settings::CutTo;
using gml_settings::TokenUpToBlank;

namespace {

// A value ends at this many characters counted from its label's start.
constexpr std::size_t kValueEnd = 128;

struct Label {
  const char* text;
  GrowArray OS_GML_Definitions::*list;       // a list label, or
  std::wstring OS_GML_Definitions::*element;  // an element label
};

// In order of precedence when a line holds several labels.
const Label kLabels[] = {
    {"[osgb:descriptiveTerm:] ", &OS_GML_Definitions::descriptiveTerms, nullptr},
    {"[osgb:descriptiveGroup:] ", &OS_GML_Definitions::descriptiveGroups, nullptr},
    {"[osgb:theme:] ", &OS_GML_Definitions::themes, nullptr},
    {"[General AOD:] ", nullptr, &OS_GML_Definitions::heightElement},
    {"[General Co-ordinates:] ", nullptr, &OS_GML_Definitions::coordinatesElement},
    {"[General Point:] ", nullptr, &OS_GML_Definitions::pointElement},
    {"[Cartographic Text:] ", nullptr, &OS_GML_Definitions::cartographicTextElement},
    {"[Cartographic Symbol:] ", nullptr, &OS_GML_Definitions::cartographicSymbolElement},
    {"[Topographic Line:] ", nullptr, &OS_GML_Definitions::topographicLineElement},
    {"[Topographic Point:] ", nullptr, &OS_GML_Definitions::topographicPointElement},
};

}  // namespace

OS_GML_Definitions::OS_GML_Definitions() {
  (void)GrowArrayCreate(50, sizeof(CatalogueValue), &themes);
  (void)GrowArrayCreate(50, sizeof(CatalogueValue), &descriptiveGroups);
  (void)GrowArrayCreate(50, sizeof(CatalogueValue), &descriptiveTerms);
}

OS_GML_Definitions::~OS_GML_Definitions() {
  for (GrowArray* list : {&themes, &descriptiveGroups, &descriptiveTerms}) {
    if (list->marker == kGrowArrayMarker) GrowArrayFree(list);
  }
}

bool OS_GML_Definitions::LoadCatalogue(const char* path) {
  std::string narrow = path != nullptr ? path : "";
  filePath = NarrowToWide(narrow);
  LineReader reader(filePath, 510);
  if (!reader.Ok()) return false;
  std::string line;
  while (reader.Next(&line)) {
    for (const Label& label : kLabels) {
      std::size_t at = line.find(label.text);
      if (at == std::string::npos) continue;
      std::size_t labelLength = std::string_view(label.text).size();
      std::string_view rest = std::string_view(line).substr(at + labelLength);
      std::string_view value = CutTo(rest, kValueEnd - labelLength);
      if (label.list != nullptr) {
        GrowArray& list = this->*label.list;
        CatalogueValue entry{};
        CopyField(entry.text, value);
        if (!GrowArraySet(&list, list.count, &entry)) return false;
      } else {
        std::string_view token = TokenUpToBlank(value, value.size());
        if (!token.empty()) this->*label.element = NarrowToWide(token);
      }
      break;
    }
  }
  return true;
}
