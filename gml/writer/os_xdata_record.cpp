#include "gml/writer/os_xdata_record.h"

#include <optional>

#include "gml/writer/os_xdata.h"
#include "host/db/entity_list.h"

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
  const std::optional<host::db::EntityList> list = host::db::GetEntityList(entity, {L"*"});
  if (!list) return true;
  bool inBlock = false;
  for (const host::db::Group& group : *list) {
    const std::wstring* text = group.Text();
    if (group.code == 1001) {
      inBlock = text != nullptr && text->find(kOsXdataPrefix) != std::wstring::npos;
      if (inBlock) {
        const std::size_t at = text->find(kOsXdataPrefix) + kOsXdataPrefixLength;
        userCode = text->substr(at, 8);
      }
      continue;
    }
    if (!inBlock || group.code != 1000 || text == nullptr || text->size() < 2) continue;
    const int tagGroup = (*text)[0] - L'0';
    const int index = TagIndexOf((*text)[1]);
    std::wstring value = text->substr(2, kOsXdataValueChars);
    if (tagGroup == 1) {
      slots[11] = L"A";
      groupEmpty[0] = false;
    }
    std::wstring* slot = Slot(tagGroup, index);
    if (slot == nullptr) continue;
    if (tagGroup >= 2 && !value.empty()) groupEmpty[static_cast<std::size_t>(tagGroup - 1)] = false;
    *slot = std::move(value);
  }
  return true;
}
