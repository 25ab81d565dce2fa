#include "join/join_parameter_stage.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <optional>
#include <string>

#include "common/dialogs/layer_dialog.h"
#include "common/support_finders/support_finders.h"
#include "common/containers/text.h"
#include "host/editor/command_line.h"
#include "host/editor/display.h"
#include "host/editor/support_path.h"
#include "host/editor/units.h"
#include "host/lisp/call.h"
#include "host/system/process.h"
#include "join/join_parameters.h"

namespace {

using host::dcl::CallbackPacket;
using host::dcl::DialogHandle;

constexpr int kGoStatus = 3;
constexpr int kCancelStatus = 0;
constexpr int kEdgeColour = 8;
constexpr wchar_t kHelpFile[] = L"LWH Help.chm";

// The add-in's support folder, found at the start of every stage.
wchar_t g_supportFolder[kFinderFolderSize];

// The swatch's size, kept for repaints.
struct Swatch {
  int width = 0;
  int height = 0;
};
Swatch g_swatch;

JoinParameters& P() { return CorvexParameters(); }

bool EditReason(const CallbackPacket& packet) {
  return packet.reason == host::dcl::kReasonSelected || packet.reason == host::dcl::kReasonLostFocus;
}

bool Contains(const std::wstring& value, const wchar_t* text) {
  return value.find(text) != std::wstring::npos;
}

// A toggle's value: containing "1" sets the flag, containing "0" clears it.
void ApplyToggle(const std::wstring& value, std::uint8_t& flag) {
  if (Contains(value, L"1"))
    flag = 1;
  else if (Contains(value, L"0"))
    flag = 0;
}

std::wstring Distance(double value) {
  const host::Input<std::wstring> text = host::RealToString(value, -1, -1);
  return text.ok() ? text.value : std::to_wstring(value);
}

std::wstring Format(const wchar_t* format, double value) {
  wchar_t buffer[64];
  std::swprintf(buffer, 64, format, value);
  return buffer;
}

std::wstring Integer(int value) { return std::to_wstring(value); }

// A tolerance typed into its edit box: kept when it reads as a distance of 0
// or more, and the tile shows the stored value either way.
void OnTolerance(const CallbackPacket& packet, double& tolerance) {
  if (!EditReason(packet)) return;
  const host::Input<double> value = host::DistanceToReal(packet.value, -1);
  if (value.ok() && std::isfinite(value.value) && value.value >= 0.0) tolerance = value.value;
  host::dcl::SetTile(packet.dialog, packet.tile, Distance(tolerance));
}

void PaintSwatchFill(DialogHandle dialog) {
  if (!host::dcl::StartImage(dialog, L"color_image")) return;
  host::dcl::FillImage(1, 1, g_swatch.width - 2, g_swatch.height - 2, P().layerColour);
  host::dcl::EndImage();
}

void ShowHelp(const CallbackPacket&) { ShowCorvexHelp(); }

// The stage shared by both functions.
int GetParameters(const wchar_t* dclFile, const wchar_t* banner) {
  if (FindVmrSupportFolder(g_supportFolder) == nullptr) {
    host::Alert(kMissingSupportFolderText);
    return 0;
  }
  LoadCorvexSettings();
  host::Printf(L"\n%ls", P().applicationName);
  host::Print(banner);
  if (P().askParameters == 0) return 1;

  const int file = host::dcl::LoadDialog(dclFile);
  if (file < 0) {
    host::Printf(L"Error loading \"%ls\"\n", dclFile);
    return 0;
  }
  const std::optional<DialogHandle> dialog = host::dcl::NewDialog(L"corvex", file);
  if (!dialog) {
    host::Print(L"New_dialog for corvex failed\n");
    host::dcl::UnloadDialog(file);
    return 0;
  }
  const struct {
    const wchar_t* key;
    void (*action)(const CallbackPacket&);
  } actions[] = {
      {L"hz_tolerance", OnHzTolerance},
      {L"vt_tolerance", OnVtTolerance},
      {L"allow_3d_polylines", OnAllow3dPolylines},
      {L"verify_directions", OnVerifyDirections},
      {L"arc_divide_factor", OnArcDivideFactor},
      {L"layer_name", OnLayerName},
      {L"layer_color", OnLayerColor},
      {L"layer_type", OnLayerType},
      {L"accept_other_layers", OnAcceptOtherLayers},
      {L"always_break_arcs", OnAlwaysBreakArcs},
      {L"convert_3d_to_2d", OnConvert3dTo2d},
      {L"new_2d_level", OnNew2dLevel},
      {L"cancel_joining", OnCancelJoining},
      {L"start_joining", OnStartJoining},
      {L"joining_help", ShowHelp},
  };
  for (const auto& a : actions) host::dcl::ActionTile(*dialog, a.key, a.action);
  InitCorvexDialog(*dialog);
  DrawColorImage(*dialog);
  const std::optional<int> status = host::dcl::StartDialog(*dialog);
  host::dcl::UnloadDialog(file);
  return status && *status == kGoStatus ? 1 : 0;
}

}  // namespace

int GetCorvexParameters() { return GetParameters(L"corvex.dcl", L"Corvex"); }
int GetCorvex2Parameters() { return GetParameters(L"corvex2.dcl", L"Corvex Polylines"); }

void OnHzTolerance(const CallbackPacket& packet) { OnTolerance(packet, P().hzTolerance); }
void OnVtTolerance(const CallbackPacket& packet) { OnTolerance(packet, P().vtTolerance); }
void OnAllow3dPolylines(const CallbackPacket& packet) { ApplyToggle(packet.value, P().allow3dPolylines); }
void OnVerifyDirections(const CallbackPacket& packet) { ApplyToggle(packet.value, P().verifyDirections); }

void OnArcDivideFactor(const CallbackPacket& packet) {
  if (!EditReason(packet)) return;
  const long factor = std::wcstol(packet.value.c_str(), nullptr, 10);
  if (factor >= kMinArcDivideFactor && factor <= kMaxArcDivideFactor)
    P().arcDivideFactor = static_cast<std::int16_t>(factor);
  host::dcl::SetTile(packet.dialog, packet.tile, Integer(P().arcDivideFactor));
}

void OnLayerName(const CallbackPacket& packet) {
  wchar_t name[kJoinLayerNameChars];
  std::int16_t colour = P().layerColour;
  if (!SelectLayerDialog(name, kJoinLayerNameChars, &colour, P().layerName)) return;
  CopyField(P().layerName, name);
  P().layerColour = colour;
  host::dcl::SetTile(packet.dialog, L"layer_code_txt", P().layerName);
  PaintSwatchFill(packet.dialog);
}

void OnLayerColor(const CallbackPacket& packet) {
  const host::lisp::CallResult result = host::lisp::Invoke(
      {host::lisp::Value::String(L"acad_colordlg"), host::lisp::Value::Short(P().layerColour)});
  if (result.status != host::Status::kNormal ||
      result.value.type() != host::lisp::ValueType::kShort)
    return;
  const std::int32_t colour = result.value.integer();
  if (colour < 1 || colour > 255) return;
  P().layerColour = static_cast<std::int16_t>(colour);
  PaintSwatchFill(packet.dialog);
}

void OnLayerType(const CallbackPacket& packet) {
  P().automaticLayers = Contains(packet.value, L"layer_type_by_1st") ? 1 : 0;
  InitCorvexDialog(packet.dialog);
}

void OnAcceptOtherLayers(const CallbackPacket& packet) {
  ApplyToggle(packet.value, P().acceptOnlyFirstLayer);
  InitCorvexDialog(packet.dialog);
}

void OnAlwaysBreakArcs(const CallbackPacket& packet) { ApplyToggle(packet.value, P().alwaysBreakArcs); }

void OnConvert3dTo2d(const CallbackPacket& packet) {
  ApplyToggle(packet.value, P().convert3dTo2d);
  InitCorvexDialog(packet.dialog);
}

void OnNew2dLevel(const CallbackPacket& packet) {
  if (!EditReason(packet)) return;
  wchar_t* end = nullptr;
  const double level = std::wcstod(packet.value.c_str(), &end);
  if (end != packet.value.c_str() && std::isfinite(level)) P().newLevel2d = level;
  host::dcl::SetTile(packet.dialog, packet.tile, Format(L"%.3lf", P().newLevel2d));
}

void OnCancelJoining(const CallbackPacket& packet) { host::dcl::DoneDialog(packet.dialog, kCancelStatus); }

void OnStartJoining(const CallbackPacket& packet) {
  if (!SaveCorvexSettings()) host::Print(L"\nThe join settings could not be saved to orvan.ini.");
  host::dcl::DoneDialog(packet.dialog, kGoStatus);
}

void InitCorvexDialog(DialogHandle dialog) {
  using host::dcl::SetTile;
  using host::dcl::TileMode;
  const JoinParameters& p = P();
  auto flag = [](std::uint8_t v) { return std::wstring(v != 0 ? L"1" : L"0"); };
  auto enable = [&](const wchar_t* key, bool on) {
    host::dcl::ModeTile(dialog, key, on ? TileMode::kEnable : TileMode::kDisable);
  };
  SetTile(dialog, L"allow_3d_polylines", flag(p.allow3dPolylines));
  SetTile(dialog, L"verify_directions", flag(p.verifyDirections));
  SetTile(dialog, L"always_break_arcs", flag(p.alwaysBreakArcs));
  SetTile(dialog, L"layer_name_txt", p.layerName);
  SetTile(dialog, L"hz_tolerance", Distance(p.hzTolerance));
  SetTile(dialog, L"vt_tolerance", Distance(p.vtTolerance));
  SetTile(dialog, L"arc_divide_factor", Integer(p.arcDivideFactor));
  SetTile(dialog, L"convert_3d_to_2d", flag(p.convert3dTo2d));
  if (p.convert3dTo2d != 0) {
    SetTile(dialog, L"new_2d_level", Format(L"%.3lf", p.newLevel2d));
    enable(L"new_2d_level", true);
  } else {
    SetTile(dialog, L"new_2d_level", L"n/a");
    enable(L"new_2d_level", false);
  }
  const bool automatic = p.automaticLayers != 0;
  SetTile(dialog, L"layer_type", automatic ? L"layer_type_by_1st" : L"layer_type_fixed");
  enable(L"accept_other_layers", automatic);
  enable(L"layer_name", !automatic);
  enable(L"layer_name_txt", !automatic);
  SetTile(dialog, L"accept_other_layers", flag(p.acceptOnlyFirstLayer));
}

void DrawColorImage(DialogHandle dialog) {
  const std::optional<std::pair<int, int>> size = host::dcl::DimensionsTile(dialog, L"color_image");
  if (!size) return;
  g_swatch = {size->first, size->second};
  if (!host::dcl::StartImage(dialog, L"color_image")) return;
  host::dcl::VectorImage(0, 0, g_swatch.width - 1, 0, kEdgeColour);
  host::dcl::VectorImage(0, 0, 0, g_swatch.height - 1, kEdgeColour);
  host::dcl::FillImage(1, 1, g_swatch.width - 2, g_swatch.height - 2, P().layerColour);
  host::dcl::EndImage();
}

void ShowCorvexHelp() {
  const std::optional<std::wstring> found = host::FindFile(kHelpFile);
  if (!found) {
    host::Alert(L"Help file \"LWH Help.chm\" not found - check installation");
    return;
  }
  // The path is one argument even where it holds blanks (as the help file's
  // own name does).
  (void)host::StartProcess(L"hh", {L"-mapid 1040600 \"" + *found + L"\""});
}
