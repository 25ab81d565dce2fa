#include "gml/settings/settings_record.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "common/containers/text.h"
#include "gml/settings/tests/temp_folder.h"
#include "host/system/fault.h"
#include "host/testing/test_reset.h"
#include "host/ui/message_box.h"

namespace {

class SettingsRecordTest : public ::testing::Test {
 protected:
  void SetUp() override { host::ResetForTest(); }
  void TearDown() override { host::ResetForTest(); }

  // Loads `text` as the settings file into `record`.
  void Load(OS_GML_ACAD_Definitions* record, const std::string& text) {
    folder_.Write("lwh_gml.ini", text);
    EXPECT_TRUE(record->LoadSettings(folder_.WidePath("lwh_gml.ini"), true));
  }

  TempFolder folder_;
};

TEST_F(SettingsRecordTest, ConstructionGivesDefaultsAndEmptyTables) {
  OS_GML_ACAD_Definitions record;
  EXPECT_EQ(record.constructionFailed, 0);
  EXPECT_EQ(record.codeTable.marker, kGrowArrayMarker);
  EXPECT_EQ(record.symbolTable.count, 0);
  EXPECT_EQ(record.symbologySets.capacity, 50);
  EXPECT_EQ(record.manualScalingFactor, 500);
  EXPECT_EQ(record.roadLayerWay, 1);
  EXPECT_EQ(record.roadLinkLayerValue, 2);
  EXPECT_EQ(record.saveDepartedFeatures, 1);
  EXPECT_EQ(record.csvDirectory, L"c:\\");
  EXPECT_TRUE(record.supportFolder.empty());
  EXPECT_TRUE(record.settingsPath.empty());
}

// One line of a settings file and what it must leave in a fresh record.
struct LoadCase {
  const char* line;
  std::function<bool(const OS_GML_ACAD_Definitions&)> holds;
};

TEST_F(SettingsRecordTest, EachLoadRuleOnOneLine) {
  using R = const OS_GML_ACAD_Definitions&;
  const LoadCase cases[] = {
      {"[Attributions to xdata:] 0", [](R r) { return r.attributesToXdata == 0; }},
      {"[Attributions to xdata:] 3", [](R r) { return r.attributesToXdata == 1; }},
      {"[Attributions to odata:] -1", [](R r) { return r.attributesToOdata == 1; }},
      {"[Attributions to xdata:] abc", [](R r) { return r.attributesToXdata == 0; }},
      {"[Attributions to CSV:] 2", [](R r) { return r.attributesToCsv == 2; }},
      // Switch words with their letter case ignored, blanks around them too.
      {"[Zoom to limits of data:] no", [](R r) { return r.zoomToData == 0; }},
      {"[Zoom to limits of data:] NO ", [](R r) { return r.zoomToData == 0; }},
      {"[Zoom to limits of data:] No", [](R r) { return r.zoomToData == 0; }},
      {"[Trim lines to area edges:] yes", [](R r) { return r.trimLinesToAreaEdges == 1; }},
      {"[Trim lines to area edges:] YES\t", [](R r) { return r.trimLinesToAreaEdges == 1; }},
      {"[Save departed features:] no", [](R r) { return r.saveDepartedFeatures == 0; }},
      {"[Road layer is frozen:] Yes", [](R r) { return r.roadLayerFrozen == 1; }},
      {"[Read BS7666:] No", [](R r) { return r.readBs7666 == 0; }},
      // Ranges with a fallback other than the default.
      {"[Manual scaling factor value:] 0", [](R r) { return r.manualScalingFactor == 1250; }},
      {"[Manual scaling factor value:] 99999999999999",
       [](R r) { return r.manualScalingFactor == 1250; }},
      {"[Manual scaling factor value:] 5000000",
       [](R r) { return r.manualScalingFactor == 5000000; }},
      {"[Set scaling factor:] 7", [](R r) { return r.scalingFactorChoice == 1; }},
      {"[Road layer way (0=by road name, 1=fixed):] 5", [](R r) { return r.roadLayerWay == 0; }},
      {"[Road link layer value (0=term, 1=nature, 2=term+nature):] 9",
       [](R r) { return r.roadLinkLayerValue == 0; }},
      {"[Select lines within area(0) or crossing(1) :] 1", [](R r) { return r.locationMode == 1; }},
      // Integers without a check.
      {"[OS tiles insert mode (0=Xref, 1=Block, 2=Block (exploded)):] 7",
       [](R r) { return r.osTileInsertMode == 7; }},
      // Texts: with a default, without one, and the ones that may be empty.
      {"[Fixed block name:] ", [](R r) { return r.fixedBlockName == L"apoint"; }},
      {"[Fixed block name:] my block ", [](R r) { return r.fixedBlockName == L"my block "; }},
      {"[Road fixed layer name:] ", [](R r) { return r.roadFixedLayer == L"Roads"; }},
      {"[Road fixed layer name:] Carriageways",
       [](R r) { return r.roadFixedLayer == L"Carriageways"; }},
      {"[Path to OS tile files:] ", [](R r) { return r.osTilePath.empty(); }},
      {"[Prefix for ITN layer names:] ", [](R r) { return r.itnLayerPrefix.empty(); }},
      {"[Path to OS tile files:] /data/tiles", [](R r) { return r.osTilePath == L"/data/tiles"; }},
      {"[Attributions to CSV files' directory:] /out",
       [](R r) { return r.csvDirectory == L"/out/"; }},
      {"[Attributions to SDF files' directory:] d:\\sdf\\",
       [](R r) { return r.sdfDirectory == L"d:\\sdf\\"; }},
      {"[Attributions to CSV files' directory:] ", [](R r) { return r.csvDirectory == L"c:\\"; }},
      // The real number.
      {"[AutoCAD block scaling factor:] 2.5", [](R r) { return r.blockScalingFactor == 2.5; }},
      {"[AutoCAD block scaling factor:] 0.01", [](R r) { return r.blockScalingFactor == 0.01; }},
      // Five levels: missing ones keep their values.
      {"[Edge buffering accuracy, number of points (lo med hi vhi ehi):]  10   20 30",
       [](R r) {
         return r.edgeBufferingPoints == std::array<std::int32_t, 5>{10, 20, 30, 192, 384};
       }},
      {"[Symbol placement persistance, wait time in seconds (lo med hi vhi ehi):]  1 x 3",
       [](R r) {
         return r.placementWaitSeconds == std::array<std::int32_t, 5>{1, 4, 8, 16, 32};
       }},
      // A label anywhere in its line; the key of highest precedence wins.
      {"   [Layers defined by:] 0", [](R r) { return r.layersDefinedBy == 0; }},
      {"[Input Polygons:] No [Save departed features:] Yes",
       [](R r) { return r.saveDepartedFeatures == 1 && r.inputPolygons == 1; }},
      // A Windows line end is not part of the value.
      {"[Forced Text layer name:] Text\r", [](R r) { return r.forcedTextLayer == L"Text"; }},
  };
  for (const LoadCase& c : cases) {
    SCOPED_TRACE(c.line);
    OS_GML_ACAD_Definitions record;
    Load(&record, std::string(c.line) + "\n");
    EXPECT_TRUE(c.holds(record));
  }
}

// A block scale or a layer colour that makes no sense is refused: the value
// before the load stays (the default in a fresh record) and one message box
// names every refused key with the value written.
TEST_F(SettingsRecordTest, ValuesWithoutSenseAreRefusedByName) {
  using R = const OS_GML_ACAD_Definitions&;
  struct Case {
    const char* line;
    std::function<bool(R)> holds;  // the value kept
    const char* named;             // in the message
  };
  const Case cases[] = {
      {"[AutoCAD block scaling factor:] 0", [](R r) { return r.blockScalingFactor == 1.0; },
       "[AutoCAD block scaling factor:] 0 (a number from 0.01 to 1000000 is needed; 1 is kept)"},
      {"[AutoCAD block scaling factor:] -2", [](R r) { return r.blockScalingFactor == 1.0; },
       "[AutoCAD block scaling factor:] -2 ("},
      {"[AutoCAD block scaling factor:] nan", [](R r) { return r.blockScalingFactor == 1.0; },
       "[AutoCAD block scaling factor:] nan ("},
      {"[AutoCAD block scaling factor:] 1e308", [](R r) { return r.blockScalingFactor == 1.0; },
       "[AutoCAD block scaling factor:] 1e308 ("},
      {"[AutoCAD block scaling factor:] inf", [](R r) { return r.blockScalingFactor == 1.0; },
       "[AutoCAD block scaling factor:] inf ("},
      {"[AutoCAD block scaling factor:] big", [](R r) { return r.blockScalingFactor == 1.0; },
       "[AutoCAD block scaling factor:] big ("},
      {"[AutoCAD block scaling factor:] 0.009", [](R r) { return r.blockScalingFactor == 1.0; },
       "[AutoCAD block scaling factor:] 0.009 ("},
      {"[Road fixed layer color:] 0", [](R r) { return r.roadFixedLayerColour == 7; },
       "[Road fixed layer color:] 0 (a colour from 1 to 256 is needed; 7 is kept)"},
      {"[Road fixed layer color:] 257", [](R r) { return r.roadFixedLayerColour == 7; },
       "[Road fixed layer color:] 257 ("},
      {"[Road link fixed layer color:] -1", [](R r) { return r.roadLinkFixedLayerColour == 7; },
       "[Road link fixed layer color:] -1 ("},
      {"[Road node layer color:] 99999999999", [](R r) { return r.roadNodeLayerColour == 7; },
       "[Road node layer color:] 99999999999 ("},
      {"[Address point layer color:] red", [](R r) { return r.addressLayerColour == 7; },
       "[Address point layer color:] red ("},
      // A switch is Yes or No and nothing else.
      {"[Zoom to limits of data:] Nope", [](R r) { return r.zoomToData == 1; },
       "[Zoom to limits of data:] Nope (Yes or No is needed; Yes is kept)"},
      {"[Save departed features:] ", [](R r) { return r.saveDepartedFeatures == 1; },
       "[Save departed features:]  (Yes or No is needed; Yes is kept)"},
      {"[Road layer is frozen:] 1", [](R r) { return r.roadLayerFrozen == 0; },
       "[Road layer is frozen:] 1 (Yes or No is needed; No is kept)"},
      {"[Input Polygons:] Y", [](R r) { return r.inputPolygons == 1; }, "[Input Polygons:] Y ("},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    host::ResetForTest();
    OS_GML_ACAD_Definitions record;
    Load(&record, std::string(c.line) + "\n[Layers defined by:] 0\n");
    EXPECT_TRUE(c.holds(record));
    EXPECT_EQ(record.layersDefinedBy, 0) << "the other keys are read";
    const auto& boxes = host::ui::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    const std::wstring& text = boxes[0].request.text;
    EXPECT_NE(text.find(folder_.WidePath("lwh_gml.ini")), std::wstring::npos) << WideToNarrow(text);
    EXPECT_NE(text.find(NarrowToWide(c.named)), std::wstring::npos) << WideToNarrow(text);
  }

  // Values within sense are taken without a word; a refused value leaves a
  // value loaded before it in place, and several refusals make one box.
  host::ResetForTest();
  OS_GML_ACAD_Definitions record;
  Load(&record, "[AutoCAD block scaling factor:] 1000000\n[Road fixed layer color:] 1\n"
                "[Road link fixed layer color:] 256\n");
  EXPECT_EQ(record.blockScalingFactor, 1000000.0);
  EXPECT_EQ(record.roadFixedLayerColour, 1);
  EXPECT_EQ(record.roadLinkFixedLayerColour, 256);
  EXPECT_TRUE(host::ui::MessageBoxes().empty());
  Load(&record, "[AutoCAD block scaling factor:] 2.5\n[Zoom to limits of data:] No\n");
  EXPECT_TRUE(host::ui::MessageBoxes().empty());
  Load(&record,
       "[Road fixed layer color:] 0\n[Road link fixed layer color:] 300\n"
       "[AutoCAD block scaling factor:] -1\n[Zoom to limits of data:] maybe\n");
  EXPECT_EQ(record.roadFixedLayerColour, 1);
  EXPECT_EQ(record.roadLinkFixedLayerColour, 256);
  EXPECT_EQ(record.blockScalingFactor, 2.5);
  EXPECT_EQ(record.zoomToData, 0);
  ASSERT_EQ(host::ui::MessageBoxes().size(), 1u);
  const std::wstring& all = host::ui::MessageBoxes()[0].request.text;
  EXPECT_NE(all.find(L"[Road fixed layer color:] 0 (a colour from 1 to 256 is needed; 1 is kept)"),
            std::wstring::npos);
  EXPECT_NE(all.find(L"[Road link fixed layer color:] 300 ("), std::wstring::npos);
  EXPECT_NE(
      all.find(
          L"[AutoCAD block scaling factor:] -1 (a number from 0.01 to 1000000 is needed; 2.5 is "
          L"kept)"),
      std::wstring::npos);
  EXPECT_NE(all.find(L"[Zoom to limits of data:] maybe (Yes or No is needed; No is kept)"),
            std::wstring::npos);
}

// A switch written by hand in any letter case is saved back as the word it
// was read as.
TEST_F(SettingsRecordTest, SwitchesInAnyCaseAreSavedBackAsRead) {
  OS_GML_ACAD_Definitions record;
  Load(&record,
       "[Zoom to limits of data:] no\n[Road layer is on:] NO\n[Trim lines to area edges:] YES\n");
  ASSERT_TRUE(record.SaveSettings());
  const std::string text = folder_.Read("lwh_gml.ini");
  EXPECT_NE(text.find("\n[Zoom to limits of data:] No\n"), std::string::npos);
  EXPECT_NE(text.find("\n[Road layer is on:] No\n"), std::string::npos);
  EXPECT_NE(text.find("\n[Trim lines to area edges:] Yes\n"), std::string::npos);
}

TEST_F(SettingsRecordTest, SdfOutputNeedsItsPermission) {
  OS_GML_ACAD_Definitions without;
  Load(&without, "[Attributions to SDF:] Yes\n");
  EXPECT_EQ(without.attributesToSdf, 0);

  OS_GML_ACAD_Definitions with;
  Load(&with, "[Include Zarn's HA stuff:] Yes\n[Attributions to SDF:] Yes\n");
  EXPECT_EQ(with.attributesToSdf, 1);
}

TEST_F(SettingsRecordTest, TileKeysRestartOnEveryLoad) {
  OS_GML_ACAD_Definitions record;
  Load(&record, "[Path to OS tile files:] /tiles\n"
                "[OS tiles insert mode (0=Xref, 1=Block, 2=Block (exploded)):] 2\n"
                "[Layers defined by:] 0\n");
  EXPECT_EQ(record.osTilePath, L"/tiles");
  EXPECT_EQ(record.osTileInsertMode, 2);
  Load(&record, "[Fixed block name:] b\n");
  EXPECT_TRUE(record.osTilePath.empty());
  EXPECT_EQ(record.osTileInsertMode, 0);
  EXPECT_EQ(record.layersDefinedBy, 0);  // other keys keep their values
}

TEST_F(SettingsRecordTest, MissingEmptyAndOddFiles) {
  OS_GML_ACAD_Definitions missing;
  EXPECT_TRUE(missing.LoadSettings(folder_.WidePath("nothing.ini"), true));
  EXPECT_EQ(missing.supportFolder, folder_.WideFolder());
  EXPECT_EQ(missing.settingsPath, folder_.WidePath("nothing.ini"));
  EXPECT_EQ(missing.fixedBlockName, L"apoint");

  OS_GML_ACAD_Definitions bare;
  EXPECT_TRUE(bare.LoadSettings(L"lwh_gml.ini", true));
  EXPECT_TRUE(bare.supportFolder.empty());

  OS_GML_ACAD_Definitions empty;
  Load(&empty, "");
  EXPECT_EQ(empty.attributesToXdata, 1);

  // A line longer than a read is read in pieces: the value is cut and the
  // rest of the line is no key.
  OS_GML_ACAD_Definitions longLine;
  std::string label = "[Fixed block name:] ";
  Load(&longLine, label + std::string(600, 'a') + "[Layers defined by:] 0\n");
  EXPECT_EQ(longLine.fixedBlockName, std::wstring(510 - label.size(), L'a'));
  EXPECT_EQ(longLine.layersDefinedBy, 0);

  // A last line without a line end keeps its last character.
  OS_GML_ACAD_Definitions noEnd;
  Load(&noEnd, "[Prefix for ITN layer names:] ITN2");
  EXPECT_EQ(noEnd.itnLayerPrefix, L"ITN2");
}

TEST_F(SettingsRecordTest, WrittenLayout) {
  OS_GML_ACAD_Definitions record;
  folder_.Write("lwh_gml.ini", "my note\n\n# Use Code Lookup table, Yes or No\nold stuff\n");
  record.settingsPath = folder_.WidePath("lwh_gml.ini");
  ASSERT_TRUE(record.SaveSettings());
  std::string text = folder_.Read("lwh_gml.ini");

  const std::string head =
      "my note\n\n"
      "# Use Code Lookup table, Yes or No\n\n[Use Code Look Up Table:] Yes\n\n\n"
      "\n# Use Symbol Lookup table, Yes or No\n\n[Use Symbol Look Up Table:] Yes\n\n\n"
      "\n# Mark Term (if any) beside a Topographic Point, Yes or No\n\n[Mark Term beside a point:] Yes\n\n\n"
      "# Mark Term (if any) beside a Cartographic Symbol, Yes or No\n\n[Mark Term beside a symbol:] Yes\n\n\n";
  EXPECT_EQ(text.substr(0, head.size()), head);

  const std::string middle =
      "# Attributes to SDF file ID. E.g. in \"ABC_topo_polyline.sdf\" the \"ABC_\" is the ID\n\n"
      "[Attributions to SDF file ID:] Orvane001_\n\n\n";
  EXPECT_NE(text.find(middle), std::string::npos);

  const std::string scaling =
      "[Points and symbols as:] 0\n\n\n"
      "# If fcode not found then, 0=acad point, 1=ignore, 2=fixed block\n\n"
      "[If fcode not found then:] 0\n"
      "# If fcode layer not found then, 0=code as layer, 1=ignore, 2=fixed layer\n\n"
      "[If fcode layer not found then:] 0\n"
      "[Fixed block name:] apoint\n\n\n"
      "# Set scaling factor, 0=1:500, 1=1:1250, 2=1:2500, 3=1:10000, 4=Manual value\n\n"
      "[Set scaling factor:] 1\n"
      "[Manual scaling factor value:] 500\n"
      "# Other parameters\n\n"
      "[Input ITN Roads Nodes:] No\n"
      "[Input ITN Roads Links:] No\n";
  EXPECT_NE(text.find(scaling), std::string::npos);

  EXPECT_NE(text.find("\n[AutoCAD block scaling factor:] 1.000000\n"), std::string::npos);
  const std::string tail =
      "[Prefix for ITN layer names:] ITN_\n"
      "[Edge buffering accuracy, number of points (lo med hi vhi ehi):]  24 48 96 192 384\n"
      "[Symbol placement persistance, wait time in seconds (lo med hi vhi ehi):]  2 4 8 16 32\n";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  EXPECT_EQ(text.find("old stuff"), std::string::npos);
  EXPECT_FALSE(folder_.Exists("lwh_gml.in&"));
}

TEST_F(SettingsRecordTest, SaveAndLoadGiveTheSameValues) {
  OS_GML_ACAD_Definitions record;
  record.settingsPath = folder_.WidePath("lwh_gml.ini");
  record.useCodeLookupTable = 0;
  record.includeZarnsHaStuff = 1;
  record.attributesToSdf = 1;
  record.attributesToXdata = 2;
  record.csvDirectory = L"/tmp/csv/";
  record.csvFileId = L"Job 7 ";
  record.scalingFactorChoice = 4;
  record.manualScalingFactor = 200;
  record.blockScalingFactor = 0.25;
  record.roadLayerFrozen = 1;
  record.roadNodeLayerColour = 42;
  record.inputAddressPoints = 1;
  record.saveDepartedFeatures = 0;
  record.edgeBufferingPoints = {1, 2, 3, 4, 5};
  record.itnLayerPrefix = L"N_";
  record.osTilePath = L"/tiles";
  ASSERT_TRUE(record.SaveSettings());

  OS_GML_ACAD_Definitions back;
  EXPECT_TRUE(back.LoadSettings(record.settingsPath, false));
  EXPECT_EQ(back.useCodeLookupTable, 0);
  EXPECT_EQ(back.attributesToSdf, 1);
  EXPECT_EQ(back.attributesToXdata, 2);
  EXPECT_EQ(back.csvDirectory, L"/tmp/csv/");
  EXPECT_EQ(back.csvFileId, L"Job 7 ");
  EXPECT_EQ(back.scalingFactorChoice, 4);
  EXPECT_EQ(back.manualScalingFactor, 200);
  EXPECT_EQ(back.blockScalingFactor, 0.25);
  EXPECT_EQ(back.roadLayerFrozen, 1);
  EXPECT_EQ(back.roadNodeLayerColour, 42);
  EXPECT_EQ(back.inputAddressPoints, 1);
  EXPECT_EQ(back.saveDepartedFeatures, 0);
  EXPECT_EQ(back.edgeBufferingPoints, (std::array<std::int32_t, 5>{1, 2, 3, 4, 5}));
  EXPECT_EQ(back.itnLayerPrefix, L"N_");
  EXPECT_EQ(back.osTilePath, L"/tiles");
  EXPECT_TRUE(back.supportFolder.empty());
}

// Folders, file IDs and layer names beyond Latin-1 are saved whole, as
// UTF-8; a file written before in 8-bit text reads as its Latin-1
// characters.
TEST_F(SettingsRecordTest, TextsAreSavedWholeAsUtf8AndEightBitFilesStillRead) {
  OS_GML_ACAD_Definitions record;
  record.settingsPath = folder_.WidePath("lwh_gml.ini");
  record.csvDirectory = L"/data/csv dir \u0175/";
  record.forcedTextLayer = L"Testun T\u0177 Gwyn";
  record.roadFixedLayer = L"Ffordd \u0174";
  record.osTilePath = L"/teils/\u0175\u00e9";
  ASSERT_TRUE(record.SaveSettings());
  const std::string text = folder_.Read("lwh_gml.ini");
  EXPECT_NE(text.find("\n[Attributions to CSV files' directory:] /data/csv dir \xC5\xB5/\n"),
            std::string::npos);
  EXPECT_NE(text.find("\n[Forced Text layer name:] Testun T\xC5\xB7 Gwyn\n"), std::string::npos);

  OS_GML_ACAD_Definitions back;
  back.LoadSettings(record.settingsPath, false);
  EXPECT_EQ(back.csvDirectory, L"/data/csv dir \u0175/");
  EXPECT_EQ(back.forcedTextLayer, L"Testun T\u0177 Gwyn");
  EXPECT_EQ(back.roadFixedLayer, L"Ffordd \u0174");
  EXPECT_EQ(back.osTilePath, L"/teils/\u0175\u00e9");

  OS_GML_ACAD_Definitions old;
  Load(&old,
       "[Forced Text layer name:] Caf\xE9\n[Attributions to CSV files' directory:] /d\xFBr/\n");
  EXPECT_EQ(old.forcedTextLayer, L"Caf\u00e9");
  EXPECT_EQ(old.csvDirectory, L"/d\u00fbr/");
}

TEST_F(SettingsRecordTest, UserNotesAtTheTopSurviveNotesBetweenKeysDoNot) {
  OS_GML_ACAD_Definitions record;
  record.settingsPath = folder_.WidePath("lwh_gml.ini");
  ASSERT_TRUE(record.SaveSettings());
  std::string saved = folder_.Read("lwh_gml.ini");
  folder_.Write("lwh_gml.ini", "top note\r\n" + saved + "bottom note\n");
  ASSERT_TRUE(record.SaveSettings());
  std::string again = folder_.Read("lwh_gml.ini");
  EXPECT_EQ(again, "top note\n" + saved);
}

TEST_F(SettingsRecordTest, ShortPathSavesInTheSupportFolderAndNeverInTheCurrentOne) {
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(folder_.Path("").c_str()), 0);
  OS_GML_ACAD_Definitions homeless;
  homeless.settingsPath = L"a.i";
  const bool homelessSaved = homeless.SaveSettings();
  const int filesHere = folder_.Count();
  ASSERT_EQ(chdir(previous), 0);
  EXPECT_FALSE(homeless.HasSettingsFile());
  EXPECT_FALSE(homelessSaved);
  EXPECT_EQ(filesHere, 0);

  OS_GML_ACAD_Definitions noTables;
  ASSERT_EQ(chdir(folder_.Path("").c_str()), 0);
  const bool tableSaved = noTables.SaveCodeLookupTable() || noTables.SaveSymbolLookupTable() ||
                          noTables.SaveSymbologyTable();
  const int tablesHere = folder_.Count();
  ASSERT_EQ(chdir(previous), 0);
  EXPECT_FALSE(tableSaved);
  EXPECT_EQ(tablesHere, 0);

  OS_GML_ACAD_Definitions record;
  record.settingsPath = L"a.i";
  record.supportFolder = folder_.WidePath("");
  EXPECT_TRUE(record.HasSettingsFile());
  EXPECT_TRUE(record.SaveSettings());
  EXPECT_TRUE(folder_.Exists("lwh_gml.ini"));
  EXPECT_EQ(record.settingsPath, folder_.WidePath("lwh_gml.ini"));
}

TEST_F(SettingsRecordTest, FailedSaveAtAnyStepKeepsTheOldFile) {
  const std::string old = "note\n# Use Code Lookup table, Yes or No\n[Fixed block name:] old\n";
  OS_GML_ACAD_Definitions record;
  record.settingsPath = folder_.WidePath("lwh_gml.ini");
  record.fixedBlockName = L"new";
  int step = 0;
  for (;; ++step) {
    folder_.Write("lwh_gml.ini", old);
    host::ScopedFault fault(host::FaultPoint::SaveFile, step);
    bool saved = record.SaveSettings();
    if (host::FaultsFired(host::FaultPoint::SaveFile) == 0) {
      EXPECT_TRUE(saved);
      break;
    }
    SCOPED_TRACE(step);
    EXPECT_FALSE(saved);
    EXPECT_EQ(folder_.Read("lwh_gml.ini"), old);
    EXPECT_EQ(folder_.Count(), 1);  // no temporary file left behind
  }
  EXPECT_GT(step, 100);  // every line was a step of its own
  EXPECT_NE(folder_.Read("lwh_gml.ini").find("[Fixed block name:] new"), std::string::npos);
}

TEST_F(SettingsRecordTest, SaveIntoAMissingFolderFails) {
  OS_GML_ACAD_Definitions record;
  record.settingsPath = folder_.WidePath("no/such/lwh_gml.ini");
  EXPECT_FALSE(record.SaveSettings());
}

}  // namespace
