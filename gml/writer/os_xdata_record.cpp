#include "gml/writer/os_xdata_record.h"

#include <optional>

#include "gml/writer/os_xdata.h"
#include "host/db/entity_list.h"
#include "host/system/wide_text.h"

namespace {

// Slots of address tags 10..15, which share group 0's.
constexpr int kAddressSharedSlots[6] = {1, 7, 8, 10, 3, 4};
// First slot and tag count of groups 2 to 5.
struct GroupSlots {
  int first;
  int count;
};
constexpr GroupSlots kGroupSlots[6] = {{0, 15}, {15, 12}, {27, 8}, {35, 2}, {37, 5}, {42, 10}};

int SlotIndex(int group, int index) {
  if (group < 0 || group > 5 || index < 0) return -1;
  if (group == 1) {
    if (index < 6) return kAddressSharedSlots[index];
    index -= 6;
  }
  if (index >= kGroupSlots[group].count) return -1;
  return kGroupSlots[group].first + index;
}

}  // namespace

bool ShowOSGmlXdata::RegisterXdataApp() { return true; }

void ShowOSGmlXdata::ClearXdata() {
  for (std::wstring& slot : slots) slot.clear();
  groupEmpty.fill(true);
  attributesRead = false;
  userCode.clear();
}

const std::wstring* ShowOSGmlXdata::Slot(int group, int index) const {
  const int slot = SlotIndex(group, index);
  return slot < 0 ? nullptr : &slots[static_cast<std::size_t>(slot)];
}

std::wstring* ShowOSGmlXdata::Slot(int group, int index) {
  const int slot = SlotIndex(group, index);
  return slot < 0 ? nullptr : &slots[static_cast<std::size_t>(slot)];
}

bool ShowOSGmlXdata::ReadXdata() {
  if (readSwitch == 0) return true;
  userCode.clear();
  const host::db::Xdata* xdata = host::db::XdataOf(entity);
  if (xdata == nullptr) return true;
  VisitOsTags(
      *xdata,
      [&](std::string_view app) {
        const std::wstring name = host::DecodeUtf8(app);
        userCode = name.substr(name.find(kOsXdataPrefix) + kOsXdataPrefixLength, 8);
      },
      [&](int tagGroup, int index, std::string_view text) {
        std::wstring value = host::DecodeUtf8(text);
        if (value.size() > kOsXdataValueChars) value.resize(kOsXdataValueChars);
        if (tagGroup == 1) {
          slots[11] = L"A";
          groupEmpty[0] = false;
        }
        std::wstring* slot = Slot(tagGroup, index);
        if (slot == nullptr) return;
        // The tags of the "TOIDs only" level: 01, 0A, 0B; 10, 12, 13.
        const bool minimal = tagGroup == 0 ? index == 1 || index == 10 || index == 11
                                           : tagGroup == 1 && (index == 0 || index == 2 || index == 3);
        if (!minimal) attributesRead = true;
        if (tagGroup >= 2 && !value.empty()) groupEmpty[static_cast<std::size_t>(tagGroup - 1)] = false;
        *slot = std::move(value);
      });
  return true;
}

namespace {

// A value in the records' 8-bit form: ASCII as it is, other text through
// its wide form (as the decoded record would give it).
void AssignNarrow(std::string* out, std::string_view utf8) {
  bool ascii = true;
  for (char c : utf8) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii)
    out->assign(utf8.substr(0, kOsXdataValueChars));
  else
    *out = host::NarrowText(host::DecodeUtf8(utf8).substr(0, kOsXdataValueChars));
}

}  // namespace

void ReadOsKey(const host::db::Xdata& xdata, OsKey* key) {
  key->toid.clear();
  key->version.clear();
  key->kind.clear();
  VisitOsTags(
      xdata, [](std::string_view) {},
      [&](int group, int index, std::string_view value) {
        if (group == 1) key->kind.assign(1, 'A');
        const int slot = SlotIndex(group, index);
        if (slot == 1)
          AssignNarrow(&key->toid, value);
        else if (slot == 10)
          AssignNarrow(&key->version, value);
        else if (slot == 11)
          AssignNarrow(&key->kind, value);
      });
}
