// A drawing to put section data in, and a complete section record to write.
#pragma once

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "common/containers/text.h"
#include "host/db/database.h"
#include "host/db/entity.h"
#include "host/db/entity_list.h"
#include "host/editor/command_line.h"
#include "host/system/user_actions.h"
#include "host/testing/test_reset.h"
#include "vertical_offset/section_record.h"

namespace section_fixture {

using host::db::Point3;

class SectionDrawing : public testing::Test {
 protected:
  SectionDrawing() : working_(&db_) {}

  void SetUp() override { host::ResetForTest(); }
  void TearDown() override { host::ResetForTest(); }

  host::EntityName Line(Point3 a, Point3 b) { return db_.Append(host::db::LineData{a, b}); }

  // Puts `strings` (1000 groups) on the entity under the section tools' name.
  void PutSectionStrings(host::EntityName entity, const std::vector<std::wstring>& strings,
                         const wchar_t* app = kSectionAppName) {
    (void)db_.RegisterApp(app);
    host::db::EntityList chain = {{1001, app}, {1002, L"{"}};
    for (const std::wstring& s : strings) chain.emplace_back(1000, s);
    chain.emplace_back(1002, L"}");
    ASSERT_TRUE(db_.EntityOf(entity)->xdata.Apply(chain));
  }

  // The section strings on the entity, in order.
  std::vector<std::wstring> SectionStrings(host::EntityName entity) {
    std::vector<std::wstring> strings;
    auto list = host::db::GetEntityList(entity, {kSectionAppName});
    if (!list) return strings;
    for (const host::db::Group& g : *list)
      if (g.code == 1000 && g.Text() != nullptr) strings.push_back(*g.Text());
    return strings;
  }

  host::db::Database db_;
  host::db::ScopedWorkingDatabase working_;
};

// A cross section at chainage 125.5 with scales 1:100 horizontal and 1:10
// vertical ("13" = 1, "14" = 10), two sub-records and every attribute.
inline void FillRecord(SectionRecord& record, SectionIdentity& identity) {
  identity.number = 7;
  identity.kind = 1;
  identity.chainage = 125.5;
  identity.flag = true;
  CopyField(record.name, L"Section A");
  record.count = 2;
  for (int i = 0; i < 12; ++i) record.reals[i] = i * 1.25;
  record.reals[1] = 1.0;
  record.reals[2] = 10.0;
  record.realE = 2.5;
  record.realZ = 12.3456;
  CopyField(record.title, L"CH 100");
  CopyField(record.textS, L"text S");
  const wchar_t* longs[5] = {L"long T", L"long U", L"", L"long W", L"long X"};
  for (int i = 0; i < 5; ++i) CopyField(record.longTexts[i], longs[i]);
  CopyField(record.longTextY, L"long Y with blanks  ");
  SectionSubRecord* node = StartSectionSubRecords(record);
  for (int s = 0; s < 2; ++s) {
    if (s > 0) node = AppendSectionSubRecord(node);
    node->itemCount = s == 0 ? 3 : 0;
    node->integerG = 10 + s;
    CopyField(node->name, s == 0 ? L"ground" : L"design");
    for (int i = 0; i < node->itemCount; ++i) {
      CopyField(node->itemA[i], L"A" + std::to_wstring(i));
      CopyField(node->itemB[i], L"B" + std::to_wstring(i));
      node->itemK[i] = i;
      node->itemL[i] = 10 * i;
      node->itemM[i] = -i;
      node->itemN[i] = 100 + i;
    }
    node->realO = 1.5 + s;
    node->realP = -2.25;
    node->realQ = 1234.567;
  }
  CopyField(record.attributes.code, kSectionMarkerCode);
  const wchar_t* values[kSectionAttributeCount] = {
      L"12", L"Brook crossing", L"", L"culvert", L"see <plan: sheet 2", L"", L"15", L"2024-05-01", L"", L"GPS"};
  for (int i = 0; i < kSectionAttributeCount; ++i) CopyField(record.attributes.values[i], values[i]);
  record.attributes.complexGroup = true;
}

}  // namespace section_fixture
