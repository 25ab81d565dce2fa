#include "gml/settings/property_filter_dialog.h"

#include <gtest/gtest.h>

#include "dialog_fixture.h"

namespace {

class PropertyFilterDialogTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    Write("lwh_gml.dat",
          "[osgb:theme:] Buildings\n[osgb:theme:] Roads Tracks And Paths\n[osgb:theme:] Water\n"
          "[osgb:theme:] Land\n[osgb:descriptiveGroup:] Building\n[osgb:descriptiveGroup:] Road Or Track\n"
          "[osgb:descriptiveTerm:] Footbridge\n");
  }
  std::unique_ptr<PropertyFilter> MakeFilter() {
    auto filter = std::make_unique<PropertyFilter>(WidePath("lwh_gml.dat"));
    filter->folder = Folder();
    return filter;
  }
  static std::vector<std::wstring> Rows(PropertyFilterDialog& dlg, int id) {
    std::vector<std::wstring> rows;
    for (int i = 0; i < dlg.Item(id).GetCount(); ++i) rows.push_back(dlg.Item(id).GetRowText(i));
    return rows;
  }
};

TEST_F(PropertyFilterDialogTest, AddValuesFromTheCatalogueSortedWithoutDuplicates) {
  auto filter = MakeFilter();
  PropertyFilterDialog dlg(*filter);
  Push("dlg_click", {L"282"});  // Only these themes
  Push("dlg_click", {L"293"});  // Add...
  Push("dlg_select", {L"294", L"2", L"0"});
  Push("dlg_click", {L"1"});
  Push("dlg_click", {L"293"});  // again: Buildings is there already
  Push("dlg_select", {L"294", L"0", L"3"});
  Push("dlg_dblclick", {L"294", L"3"});  // a double click is OK
  Push("esc");
  EXPECT_EQ(dlg.DoModal(), host::ui::kIdCancel);
  EXPECT_EQ(filter->themeMode, kPropertyFilterOnly);
  EXPECT_EQ(Rows(dlg, kIdThemeList), (std::vector<std::wstring>{L"Buildings", L"Land", L"Water"}));
  EXPECT_TRUE(dlg.Item(294).IsEnabled());
  EXPECT_EQ(filter->Passes("Water", "", ""), 1);
  EXPECT_EQ(filter->Passes("Roads Tracks And Paths", "", ""), 0);
}

TEST_F(PropertyFilterDialogTest, DeletingSelectedValuesAndTheLastOneSetsAll) {
  Write("lwh_gml_propfil.pfd",
        "[theme:input what (All/Only/But):] Only\n[osgb:theme:] d\n[osgb:theme:] a\n[osgb:theme:] c\n"
        "[osgb:theme:] b\n");
  auto filter = MakeFilter();
  PropertyFilterDialog dlg(*filter);
  Push("dlg_click", {L"294"});  // nothing selected: nothing changes
  Push("dlg_select", {L"290", L"1", L"2"});
  Push("dlg_click", {L"294"});
  Push("esc");
  dlg.DoModal();
  EXPECT_EQ(Rows(dlg, kIdThemeList), (std::vector<std::wstring>{L"a", L"d"}));
  Push("dlg_select", {L"290", L"0"});
  Push("dlg_dblclick", {L"290", L"1"});  // deletes "d"
  Push("dlg_select", {L"290", L"0"});
  Push("dlg_click", {L"294"});
  Push("esc");
  dlg.DoModal();
  EXPECT_EQ(filter->themeMode, kPropertyFilterAll);
  EXPECT_EQ(filter->themes.count, 0);
  EXPECT_FALSE(dlg.Item(kIdThemeList).IsEnabled());
  EXPECT_FALSE(dlg.Item(293).IsEnabled());
  EXPECT_FALSE(dlg.Item(294).IsEnabled());
  EXPECT_EQ(dlg.IsDlgButtonChecked(281), 1);
}

TEST_F(PropertyFilterDialogTest, OnlyWithAnEmptyListRejectsEverything) {
  auto filter = MakeFilter();
  PropertyFilterDialog dlg(*filter);
  Push("dlg_click", {L"285"});
  Push("esc");
  dlg.DoModal();
  EXPECT_TRUE(dlg.Item(kIdGroupList).IsEnabled());
  EXPECT_TRUE(dlg.Item(295).IsEnabled());
  EXPECT_FALSE(dlg.Item(296).IsEnabled());
  EXPECT_EQ(filter->Passes("x", "Building", "y"), 0);
}

TEST_F(PropertyFilterDialogTest, DoneWritesTheDefaultFile) {
  auto filter = MakeFilter();
  Push("dlg_click", {L"289"});  // terms: all but
  Push("dlg_click", {L"297"});
  Push("dlg_select", {L"294", L"0"});
  Push("dlg_click", {L"1"});
  Push("dlg_click", {L"1"});  // Done
  EXPECT_EQ(filter->DoModal(), host::ui::kIdOk);
  const std::string file = Read("lwh_gml_propfil.pfd");
  EXPECT_NE(file.find("[descriptiveTerm:input what (All/Only/But):] But\n"), std::string::npos);
  EXPECT_NE(file.find("[osgb:descriptiveTerm:] Footbridge\n"), std::string::npos);
}

TEST_F(PropertyFilterDialogTest, LoadReplacesListsAndKeepsModesWithoutModeLines) {
  Write("other.pfd", "[File title:] Other\n[osgb:descriptiveGroup:] Road Or Track\n");
  Write("lwh_gml_propfil.pfd", "[descriptiveGroup:input what (All/Only/But):] But\n[osgb:descriptiveGroup:] Building\n");
  auto filter = MakeFilter();
  PropertyFilterDialog dlg(*filter);
  Push("dlg_click", {L"331"});
  Push("answer", {WidePath("other.pfd")});
  Push("esc");
  dlg.DoModal();
  EXPECT_EQ(filter->groupMode, kPropertyFilterBut);
  EXPECT_EQ(Rows(dlg, kIdGroupList), std::vector<std::wstring>{L"Road Or Track"});
  EXPECT_EQ(dlg.ItemText(kIdFilterTitle), L"Other");
  EXPECT_EQ(filter->path, WidePath("lwh_gml_propfil.pfd"));
  ASSERT_EQ(host::ui::FileDialogs().size(), 1u);
  const auto& request = host::ui::FileDialogs()[0].request;
  EXPECT_EQ(request.title, L"Please select a new Property Filter Definition file");
  EXPECT_EQ(request.initial_folder, Folder());
  EXPECT_TRUE(request.must_exist);
}

TEST_F(PropertyFilterDialogTest, SaveUnderANewNameThenDoneWritesBothAlike) {
  auto filter = MakeFilter();
  PropertyFilterDialog dlg(*filter);
  Push("dlg_click", {L"282"});
  Push("dlg_click", {L"332"});                 // Save...
  Push("dlg_set", {L"332", L"Buildings only"});  // the description
  Push("dlg_click", {L"1"});
  Push("answer", {WidePath("mine")});          // ".pfd" is added
  Push("dlg_click", {L"332"});                 // Save... cancelled at the description
  Push("esc");
  Push("dlg_click", {L"1"});
  EXPECT_EQ(dlg.DoModal(), host::ui::kIdOk);
  EXPECT_EQ(filter->title, L"Buildings only");
  EXPECT_EQ(Read("mine.pfd"), Read("lwh_gml_propfil.pfd"));
  EXPECT_NE(Read("mine.pfd").find("[File title:] Buildings only\n"), std::string::npos);
}

TEST_F(PropertyFilterDialogTest, UnusableFilterNeverShows) {
  PropertyFilter filter(WidePath("missing/lwh_gml.dat"));
  PropertyFilterDialog dlg(filter);
  Push("dlg_click", {L"1"});
  EXPECT_EQ(dlg.DoModal(), 0);
  EXPECT_EQ(filter.DoModal(), 0);
  EXPECT_EQ(host::Actions().Size(), 1u);
  SelectPropertyView view;
  EXPECT_EQ(view.DoModal(), 0);
}

}  // namespace
