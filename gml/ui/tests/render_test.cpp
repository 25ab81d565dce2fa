// Every dialog of the import as a terminal shows it: its caption and every
// control with a readable label, values filled from the default support
// folder.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "gml/ui/about_dialog.h"
#include "gml/ui/address_settings_dialog.h"
#include "gml/ui/code_exceptions_dialog.h"
#include "gml/ui/code_pair_dialog.h"
#include "gml/ui/draw_extents_dialog.h"
#include "gml/ui/item_value_selection.h"
#include "gml/ui/itn_settings_dialog.h"
#include "gml/ui/layer_selection.h"
#include "gml/ui/locate_dialogs.h"
#include "gml/ui/lookup_table_view.h"
#include "gml/ui/polygon_symbology_dialog.h"
#include "gml/ui/remove_duplicates_view.h"
#include "gml/ui/settings_view.h"
#include "host/ui/modal.h"
#include "ui_fixture.h"

namespace {

class RenderTest : public UiTest {};

TEST_F(RenderTest, EveryDialogShowsItsCaptionAndLabelledControls) {
  CopyDefaultSupport();
  OS_GML_ACAD_Definitions record;
  LoadSupportRecord(record);
  GrowArray variants{};
  ASSERT_TRUE(GrowArrayCreate(50, sizeof(ConditionVariant), &variants));

  struct Case {
    std::wstring caption;
    std::function<std::unique_ptr<host::ui::Dialog>()> make;
  };
  const Case cases[] = {
      {L"Item / Value selection", [] { return std::make_unique<CItemValueSelection>(); }},
      {L"Layers to import", [] { return std::make_unique<CLayerSelection>(); }},
      {L"LarMasterMap - Locate TOID", [] { return std::make_unique<LocateTOIDsView>(); }},
      {L"LarMasterMap - Locate Road Name", [] { return std::make_unique<CLocateRoadName>(); }},
      {L"Orvane - Remove identical TOIDs", [] { return std::make_unique<RemoveDuplicatesView>(); }},
      {L"Draw OS MasterMap Extents", [] { return std::make_unique<CDrawMMExtents>(); }},
      {L"About Orvane", [] { return std::make_unique<AboutDialogBox>(); }},
      {L"ITN Input and Layer Settings", [] { return std::make_unique<CITNSettingsDialog>(); }},
      {L"Address Point Data settings", [] { return std::make_unique<CAddressPointSettings>(); }},
      {L"Feature Code / AutoCAD Layer Lookup Table",
       [&] {
         auto d = std::make_unique<CodeLayerLookupView>();
         d->table = &record.codeTable;
         d->record = &record;
         return d;
       }},
      {L"Feature Code / AutoCAD Block Lookup Table",
       [&] {
         auto d = std::make_unique<CodeSymbolLookupView>();
         d->table = &record.symbolTable;
         d->record = &record;
         return d;
       }},
      {L"Feature Code / AutoCAD Layer pair", [] { return std::make_unique<AddCodeLayer>(); }},
      {L"Code / Layer exeptions for code 10021",
       [&] {
         auto d = std::make_unique<CCodeExeptionsView>();
         d->caption = L"Code / Layer exeptions for code 10021";
         d->variants = &variants;
         return d;
       }},
      {L"Symbology settings",
       [&] {
         auto d = std::make_unique<CPolygonSymbology>();
         d->settings = &record;
         return d;
       }},
      {L"AutoCAD Input and Layer settings",
       [&] {
         auto d = std::make_unique<ACAD_SettingsView>();
         d->settings = &record;
         return d;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    std::unique_ptr<host::ui::Dialog> dialog = c.make();
    std::wstring shown;
    // Moving the focus to OK takes the text form while the dialog waits, as
    // a terminal shows it before each action.
    dialog->On(host::ui::kIdOk, host::ui::Notify::kSetFocus, [&] { shown = host::ui::RenderActiveDialog(); });
    Push("dlg_focus", {L"1"});
    Push("esc");
    dialog->DoModal();
    shown = shown.empty() ? dialog->Render() : shown;
    EXPECT_EQ(shown.rfind(L"Dialog \"" + c.caption + L"\"", 0), 0u) << shown;
    for (const auto& control : dialog->Controls()) {
      const host::ui::ControlKind kind = control->Kind();
      if (kind == host::ui::ControlKind::kButton || kind == host::ui::ControlKind::kCheckBox ||
          kind == host::ui::ControlKind::kRadioButton) {
        EXPECT_FALSE(control->Text().empty()) << control->Id();
      }
    }
    host::Actions().Clear();
  }
  GrowArrayFree(&variants);
}

}  // namespace
