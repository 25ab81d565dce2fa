// The decoded OS attribute block of an entity, and its view.
//
// ShowOSGmlXdata is both the decoded form of an entity's OS block (the
// update run and the inspection commands read its slots without showing
// anything) and the dialog "OS MasterMap Data View" (template 203) that
// lists the attributes of one entity.
//
// Slots: one wide value per tag, cut to 1024 characters:
//   0..14   group 0, tags 00..0E
//   15..26  tags 16..1H (tags 10..15 share group 0's slots: 10 TOID in 01,
//           11 theme in 07, 12 version date in 08, 13 version in 0A,
//           14 change date in 03, 15 reason in 04)
//   27..34  tags 20..27   35..36 tags 30..31   37..41 tags 40..44
//   42..51  tags 50..59
// Any group-1 tag sets the kind slot (0B) to "A" and marks the address
// group present; groups 2 to 5 are marked present by a non-empty value.
//
// Callers set `entity`, call ClearXdata and ReadXdata, then read the slots;
// an empty TOID or kind slot means no OS block was found. Reading registers
// nothing in the drawing.
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "gml/writer/os_xdata.h"
#include "host/db/xdata.h"
#include "host/system/entity_name.h"
#include "host/ui/dialog.h"

inline constexpr int kOsXdataViewTemplate = 203;
inline constexpr int kIdPickEntity = 240;
inline constexpr int kIdXdataList = 251;
inline constexpr int kOsXdataSlots = 52;
inline constexpr std::size_t kOsXdataValueChars = 1024;

// The setting that imports every attribute, as the import's settings
// dialog labels it, and where the user finds it: what the inspection
// commands name when the entities hold their TOID only.
inline constexpr std::wstring_view kFullAttributionsSetting = L"\"Full attributions\" (lwhgmlin, Options...)";

// What the view shows: its caption and its rows (title, value).
struct OsXdataView {
  std::wstring caption;
  std::vector<std::pair<std::wstring, std::wstring>> rows;
};

// Walks the OS blocks of an entity's xdata (every application whose name
// holds the OS prefix) in place: `onApp(name)` for each such block, then
// `onTag(group, index, value)` for each of its tag strings (1000 groups of
// two characters or more; index as TagIndexOf reads it, -1 when it is no
// index character). Names and values are UTF-8.
template <typename OnApp, typename OnTag>
void VisitOsTags(const host::db::Xdata& xdata, OnApp&& onApp, OnTag&& onTag) {
  constexpr std::string_view kPrefix = "LARCHWORKS_XGML_OSGB_";
  xdata.VisitTexts(
      [&](std::string_view app) {
        if (app.find(kPrefix) == std::string_view::npos) return false;
        onApp(app);
        return true;
      },
      [&](int code, std::string_view text) {
        if (code != 1000 || text.size() < 2) return;
        const int index = TagIndexOf(static_cast<wchar_t>(static_cast<unsigned char>(text[1])));
        onTag(static_cast<unsigned char>(text[0]) - '0', index, text.substr(2));
      });
}

// What the update index needs of an entity's OS block, read without
// decoding the rest: the TOID (tag 01 or 10), the version text (0A or 13)
// and the kind (0B, or "A" once any address tag is seen), each the last
// one read and in the records' 8-bit form. All empty without a block.
struct OsKey {
  std::string toid;
  std::string version;
  std::string kind;
};
void ReadOsKey(const host::db::Xdata& xdata, OsKey* key);

class ShowOSGmlXdata : public host::ui::Dialog {
 public:
  ShowOSGmlXdata();

  // Reading needs no registered application: answers true and registers
  // nothing.
  bool RegisterXdataApp();
  // Every slot empty, every group marked empty, no user code.
  void ClearXdata();
  // Decodes the OS block of `entity` into the slots (only while readSwitch
  // is not 0). True whether or not a block was found.
  bool ReadXdata();

  // The slot of tag (group, index), address tags 10..15 included; null for
  // a tag outside the block's layout.
  const std::wstring* Slot(int group, int index) const;
  std::wstring* Slot(int group, int index);
  const std::wstring& Toid() const { return slots[1]; }
  const std::wstring& Version() const { return slots[10]; }
  const std::wstring& Kind() const { return slots[11]; }
  // The block read holds the TOID, version and kind alone, as the "TOIDs
  // only" level writes it (and a solid hatch at every level).
  bool HoldsToidOnly() const { return !Kind().empty() && !attributesRead; }

  // The caption and rows the dialog shows for the slots as they are.
  OsXdataView BuildView() const;

  bool OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  void OnPickEntity();

  std::array<std::wstring, kOsXdataSlots> slots;
  // Empty flags of address group 1, then groups 2, 3, 4, 5.
  std::array<bool, 5> groupEmpty{true, true, true, true, true};
  bool attributesRead = false;  // a tag besides the TOID, version and kind was read
  std::wstring userCode;  // at most 8 characters
  host::EntityName entity;
  int readSwitch = 1;
  int userCodeSwitch = 0;
  int result = 1;  // 1 after Done or closing, 2 after "Pick entity <"
};
