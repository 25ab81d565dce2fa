#include "gml/settings/os_tiles.h"

#include <gtest/gtest.h>

#include "dialog_fixture.h"

namespace {

struct TileCase {
  const wchar_t* name;
  bool valid;
  double x, y, size;
};

TEST(ParseTileName, KnownTilesAtEverySize) {
  const TileCase cases[] = {
      {L"SU1234", true, 412000, 134000, 1000},
      {L"su1234ne", true, 412500, 134500, 500},
      {L"SU1234SW", true, 412000, 134000, 500},
      {L"SU1234NW", true, 412000, 134500, 500},
      {L"SU1234se", true, 412500, 134000, 500},
      {L"SV0000", true, 0, 0, 1000},
      {L"sv0000", true, 0, 0, 1000},
      {L"TQ3080", true, 530000, 180000, 1000},
      {L"TQ308801", true, 530800, 180100, 100},
      {L"TQ30128001", true, 530120, 180010, 10},
      {L"TQ3012380012", true, 530123, 180012, 1},
      {L"SU12345678", true, 412340, 156780, 10},
      {L"SU1234567890", true, 412345, 167890, 1},
      {L"SU12345678901", true, 412345, 167890, 1},  // eleventh digit: a suffix, no quarter
      {L"NT2573", true, 325000, 673000, 1000},
      {L"HY4511", true, 345000, 1011000, 1000},
      {L"OV0000", true, 500000, 500000, 1000},
      {L"NA0000", true, 0, 900000, 1000},
      {L"TR0000", true, 600000, 100000, 1000},
      {L"SU1234XY", true, 412000, 134000, 1000},
      {L"SU1234N", true, 412000, 134000, 1000},
      {L"SU1234EN", true, 412000, 134000, 1000},
      {L"SU1234.dwg", true, 412000, 134000, 1000},
      {L"SI1234", false, 0, 0, 0},
      {L"JV1234", false, 0, 0, 0},
      {L"SU", false, 0, 0, 0},
      {L"SU12", false, 0, 0, 0},
      {L"SU123", false, 0, 0, 0},
      {L"SU12345", false, 0, 0, 0},
      {L"S", false, 0, 0, 0},
      {L"", false, 0, 0, 0},
      {L"1U1234", false, 0, 0, 0},
  };
  for (const TileCase& c : cases) {
    double x = -1, y = -1, size = -1;
    EXPECT_EQ(ParseTileName(c.name, &x, &y, &size), c.valid) << c.name;
    if (!c.valid) continue;
    EXPECT_EQ(x, c.x) << c.name;
    EXPECT_EQ(y, c.y) << c.name;
    EXPECT_EQ(size, c.size) << c.name;
  }
}

TEST(ParseTileName, NullArgumentsAreRefused) {
  double v = 0;
  EXPECT_FALSE(ParseTileName(nullptr, &v, &v, &v));
  EXPECT_FALSE(ParseTileName(L"SU1234", nullptr, &v, &v));
}

class ImportOSTilesTest : public DialogTest {};

TEST_F(ImportOSTilesTest, ScanCountsTilesBySizeAndSkipsOtherNames) {
  // Drawings are kept as DXF files by the host.
  for (const char* name : {"SU1234.dxf", "su1234ne.dxf", "SU1234NE.old.dxf", "SU123456.dxf",
                           "SU1234NE_survey.dxf", "notatile.dxf", "SU1235.txt", "SU1236.DXF", "SU1237.dwg"})
    Write(name, "");
  CImportOSTiles dlg;
  dlg.folder = Folder();
  dlg.ScanTileFolder();
  ASSERT_EQ(dlg.tiles.count, 5);
  EXPECT_EQ(dlg.count1000, 2);   // SU1234, SU1236
  EXPECT_EQ(dlg.count500, 2);    // su1234ne, SU1234NE.old
  EXPECT_EQ(dlg.countOther, 1);  // SU123456: 100 m
  EXPECT_TRUE(dlg.use500 && dlg.use1000 && dlg.useOther);
  EXPECT_EQ(dlg.minX, 412000);
  EXPECT_EQ(dlg.minY, 134000);
  EXPECT_EQ(dlg.maxX, 413000);
  EXPECT_EQ(dlg.maxY, 145700);  // SU123456: 145.6 km north, 100 m
  bool found_old = false;
  for (int i = 0; i < dlg.tiles.count; ++i) {
    OSTileRecord r{};
    ASSERT_TRUE(GrowArrayGet(&dlg.tiles, i, &r));
    EXPECT_EQ(r.inserted, 0);
    if (std::wstring(r.name) == L"SU1234NE") {
      found_old = true;
      EXPECT_EQ(r.size, 500);
      EXPECT_EQ(r.minX, 412500);
      EXPECT_EQ(r.maxY, 135000);
    }
  }
  EXPECT_TRUE(found_old);
}

TEST_F(ImportOSTilesTest, DialogWithoutTilesDisablesOkAndSizeBoxes) {
  Write("plan.dxf", "");
  CImportOSTiles dlg;
  dlg.folder = Folder();
  Push("dlg_click", {L"1"});  // refused: OK is disabled
  Push("dlg_click", {L"2"});
  EXPECT_EQ(dlg.DoModal(), 2);
  EXPECT_EQ(dlg.ItemText(kIdTileCount), L"0 OS files found");
  EXPECT_EQ(dlg.ItemText(kIdTileUse500), L"Use 1 : 1250 tiles (0 found)");
  EXPECT_EQ(dlg.ItemText(kIdTileUseOther), L"Use other size tiles (0 found)");
  EXPECT_FALSE(dlg.Item(kIdTileUse1000).IsEnabled());
  EXPECT_FALSE(dlg.Item(host::ui::kIdOk).IsEnabled());
  EXPECT_FALSE(dlg.rescan);
}

TEST_F(ImportOSTilesTest, BrowseScanChooseSizesAndModes) {
  Write("tiles/SU1234.dxf", "");
  Write("tiles/SU1234NE.dxf", "");
  CImportOSTiles dlg;  // no folder yet: DoModal browses first
  Push("answer", {WidePath("tiles")});
  Push("dlg_click", {L"401"});  // uncheck 1:1250
  Push("dlg_click", {L"402"});  // uncheck 1:2500: nothing left, OK disabled
  Push("dlg_click", {L"1"});    // refused
  Push("dlg_click", {L"402"});  // check again
  Push("dlg_click", {L"398"});  // Blocks (exploded)
  Push("dlg_click", {L"406"});  // Window select
  Push("dlg_click", {L"1"});
  EXPECT_EQ(dlg.DoModal(), 1);
  EXPECT_EQ(dlg.folder, WidePath("tiles"));
  EXPECT_EQ(dlg.tiles.count, 2);
  EXPECT_FALSE(dlg.use500);
  EXPECT_TRUE(dlg.use1000);
  EXPECT_FALSE(dlg.useOther);
  EXPECT_EQ(dlg.insertMode, 2);
  EXPECT_EQ(dlg.selectionMethod, 2);
  EXPECT_EQ(dlg.ItemText(kIdTileCount), L"2 OS files found");
  EXPECT_EQ(dlg.ItemText(kIdTileUse1000), L"Use 1 : 2500 tiles (1 found)");
  ASSERT_EQ(host::ui::FolderPickers().size(), 1u);
  EXPECT_EQ(host::ui::FolderPickers()[0].request.title, L"Select OS drawing files folder.");
  EXPECT_EQ(host::ui::FolderPickers()[0].request.style, host::ui::FolderPickerStyle::kLegacyBrowser);
}

TEST_F(ImportOSTilesTest, ModesShowAsSetAndHiddenCoverageButtonIsRefused) {
  Write("SU1234.dxf", "");
  CImportOSTiles dlg;
  dlg.folder = Folder();
  dlg.insertMode = 1;
  dlg.selectionMethod = 1;
  Push("dlg_click", {L"400"});  // hidden: refused
  Push("esc");
  EXPECT_EQ(dlg.DoModal(), 2);
  EXPECT_EQ(dlg.IsDlgButtonChecked(kIdTileBlocks), 1);
  EXPECT_EQ(dlg.IsDlgButtonChecked(kIdTileXRefs), 0);
  EXPECT_EQ(dlg.IsDlgButtonChecked(kIdTileAreas), 1);
}

}  // namespace
