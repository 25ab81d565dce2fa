#include "gml/settings/property_filter.h"

#include <string>
#include <string_view>

#include "common/containers/line_reader.h"
#include "common/containers/text.h"
#include "gml/settings/settings_messages.h"
#include "gml/settings/text_fields.h"
#include "gml/settings/text_file.h"
#include "host/editor/support_path.h"

using gml_settings::CopyField;
using gml_settings::CutTo;
using gml_settings::EqualsNoCase;
using gml_settings::FieldText;
using gml_settings::SafeFileWriter;

namespace {

constexpr char kTitle[] = "[File title:] ";
constexpr char kThemeMode[] = "[theme:input what (All/Only/But):] ";
constexpr char kGroupMode[] = "[descriptiveGroup:input what (All/Only/But):] ";
constexpr char kTermMode[] = "[descriptiveTerm:input what (All/Only/But):] ";
constexpr char kTheme[] = "[osgb:theme:] ";
constexpr char kGroup[] = "[osgb:descriptiveGroup:] ";
constexpr char kTerm[] = "[osgb:descriptiveTerm:] ";
// A value ends at this many characters counted from its key's start.
constexpr std::size_t kValueEnd = 128;

bool PassesOne(PropertyFilterMode mode, const GrowArray* list, const char* value) {
  if (mode == kPropertyFilterOnly) return PropertyFilter::IsInList(list, value) == 1;
  if (mode == kPropertyFilterBut) return PropertyFilter::IsInList(list, value) == 0;
  return true;
}

PropertyFilterMode ModeOf(std::string_view line) {
  if (line.find(":] Only") != std::string_view::npos) return kPropertyFilterOnly;
  if (line.find(":] But") != std::string_view::npos) return kPropertyFilterBut;
  return kPropertyFilterAll;
}

const char* ModeWord(PropertyFilterMode mode) {
  if (mode == kPropertyFilterOnly) return "Only";
  if (mode == kPropertyFilterBut) return "But";
  return "All";
}

bool Append(GrowArray* list, std::string_view value) {
  CatalogueValue entry{};
  CopyField(entry.text, value);
  return GrowArraySet(list, list->count, &entry);
}

bool WriteValues(const GrowArray& list, const char* key, SafeFileWriter* out) {
  if (list.marker != kGrowArrayMarker) return false;
  for (std::int32_t i = 0; i < list.count; ++i) {
    CatalogueValue entry;
    if (!GrowArrayGet(&list, i, &entry)) return false;
    out->Line(std::string(key) + std::string(FieldText(entry.text)));
  }
  return true;
}

}  // namespace

PropertyFilter::PropertyFilter()
    : PropertyFilter(host::FindFile(L"lwh_gml.dat").value_or(std::wstring())) {}

PropertyFilter::PropertyFilter(const std::wstring& cataloguePath) {
  (void)GrowArrayCreate(50, sizeof(CatalogueValue), &themes);
  (void)GrowArrayCreate(50, sizeof(CatalogueValue), &groups);
  (void)GrowArrayCreate(50, sizeof(CatalogueValue), &terms);
  std::string narrow = WideToNarrow(cataloguePath);
  if (cataloguePath.empty() || narrow.size() != cataloguePath.size() ||
      !catalogue.LoadCatalogue(narrow.c_str())) {
    gml_settings::ShowMessageBox(L"ERROR: Could not find / read \"lwh_gml.dat\" file.");
    unusable = 1;
    return;
  }
  std::size_t at = cataloguePath.find_last_of(L"\\/");
  std::wstring directory = at == std::wstring::npos ? std::wstring(L".") : cataloguePath.substr(0, at);
  if (directory.empty() || (directory.back() != L'\\' && directory.back() != L'/')) directory += L'/';
  path = directory + L"lwh_gml_propfil.pfd";
  LoadFile(path);
}

PropertyFilter::~PropertyFilter() {
  SaveFile(path);
  for (GrowArray* list : {&themes, &groups, &terms}) {
    if (list->marker == kGrowArrayMarker) GrowArrayFree(list);
  }
}

int PropertyFilter::IsInList(const GrowArray* list, const char* value) {
  if (list == nullptr || list->marker != kGrowArrayMarker) return 0;
  std::string_view wanted = value != nullptr ? value : "";
  for (std::int32_t i = 0; i < list->count; ++i) {
    void* slot = nullptr;
    if (!GrowArrayGetPtr(list, i, &slot)) return 0;
    if (EqualsNoCase(FieldText(static_cast<const CatalogueValue*>(slot)->text), wanted)) return 1;
  }
  return 0;
}

int PropertyFilter::PassesTheme(const char* theme) const {
  return PassesOne(themeMode, &themes, theme) ? 1 : 0;
}

int PropertyFilter::Passes(const char* theme, const char* group, const char* term) const {
  return PassesOne(themeMode, &themes, theme) && PassesOne(groupMode, &groups, group) &&
                 PassesOne(termMode, &terms, term)
             ? 1
             : 0;
}

int PropertyFilter::LoadFile(const std::wstring& filePath) {
  LineReader reader(filePath, 510);
  if (!reader.Ok()) return 1;
  std::string line;
  while (reader.Next(&line)) {
    std::string_view text(line);
    if (text.find(kTitle) != std::string_view::npos) {
      std::size_t at = text.find(":] ");
      title = Utf8ToWide(text.substr(at + 3));
      continue;
    }
    if (text.find(kTermMode) != std::string_view::npos) {
      termMode = ModeOf(text);
    } else if (text.find(kGroupMode) != std::string_view::npos) {
      groupMode = ModeOf(text);
    } else if (text.find(kThemeMode) != std::string_view::npos) {
      themeMode = ModeOf(text);
    } else {
      struct {
        const char* key;
        GrowArray* list;
      } const values[] = {{kTerm, &terms}, {kGroup, &groups}, {kTheme, &themes}};
      for (const auto& v : values) {
        std::size_t at = text.find(v.key);
        if (at == std::string_view::npos) continue;
        std::size_t keyLength = std::string_view(v.key).size();
        if (!Append(v.list, CutTo(text.substr(at + keyLength), kValueEnd - keyLength))) return 0;
        break;
      }
    }
  }
  return 1;
}

int PropertyFilter::SaveFile(const std::wstring& filePath) const {
  if (filePath.empty()) return 0;
  SafeFileWriter out(filePath);
  if (!out.Ok()) return 0;
  out.Line("Orvane ini file for Property Filters");
  out.Line("Themes etc. things that user wants to filter (in or out)");
  out.Line(std::string(kTitle) + WideToUtf8(title));
  out.Line("");
  out.Line("");
  out.Line(std::string(kThemeMode) + ModeWord(themeMode));
  out.Line(std::string(kGroupMode) + ModeWord(groupMode));
  out.Line(std::string(kTermMode) + ModeWord(termMode));
  out.Line("");
  bool ok = WriteValues(themes, kTheme, &out);
  out.Line("");
  ok = ok && WriteValues(groups, kGroup, &out);
  out.Line("");
  ok = ok && WriteValues(terms, kTerm, &out);
  if (!ok) {
    out.Abandon();
    return 0;
  }
  return out.Commit() ? 1 : 0;
}
