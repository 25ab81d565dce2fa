// The parameter stage before each join run: the support folder, the
// settings, a banner and, when the settings ask for it, the dialog "corvex"
// in which the user edits the parameters and starts or cancels the join.
//
// LarCorvex uses corvex.dcl, LarCorvex2 corvex2.dcl, which has four tiles
// more (accept_other_layers, always_break_arcs, convert_3d_to_2d,
// new_2d_level); the code sets those tiles in both dialogs, where setting a
// missing tile does nothing. The dialog edits the process's JoinParameters
// directly; only "start_joining" writes them to orvan.ini.
//
// Edit boxes act on Enter and on leaving them, and always show the stored
// value afterwards: an entry that cannot be read, or lies outside its range,
// leaves the setting as it was.
#pragma once

#include <string_view>

#include "host/ui/dcl_runtime.h"

// 1 to go on with the run, 0 to stop.
int GetCorvexParameters();
int GetCorvex2Parameters();

// The tile actions.
void OnHzTolerance(const host::dcl::CallbackPacket& packet);
void OnVtTolerance(const host::dcl::CallbackPacket& packet);
void OnAllow3dPolylines(const host::dcl::CallbackPacket& packet);
void OnVerifyDirections(const host::dcl::CallbackPacket& packet);
void OnArcDivideFactor(const host::dcl::CallbackPacket& packet);
void OnLayerName(const host::dcl::CallbackPacket& packet);
void OnLayerColor(const host::dcl::CallbackPacket& packet);
void OnLayerType(const host::dcl::CallbackPacket& packet);
void OnAcceptOtherLayers(const host::dcl::CallbackPacket& packet);
void OnAlwaysBreakArcs(const host::dcl::CallbackPacket& packet);
void OnConvert3dTo2d(const host::dcl::CallbackPacket& packet);
void OnNew2dLevel(const host::dcl::CallbackPacket& packet);
void OnCancelJoining(const host::dcl::CallbackPacket& packet);
void OnStartJoining(const host::dcl::CallbackPacket& packet);

// Sets every tile from the parameters, with the enable states that follow
// from them.
void InitCorvexDialog(host::dcl::DialogHandle dialog);
// The colour swatch: a dark top and left edge, filled with the layer colour.
void DrawColorImage(host::dcl::DialogHandle dialog);
// Starts the help viewer at the join's page, or says that the help file is
// missing.
void ShowCorvexHelp();

inline constexpr wchar_t kMissingSupportFolderText[] =
    L"Error: Path to LarchWOOD-HILL support directory not found.\n\nCheck one or both of the "
    L"following:\n\n1) LarchWOOD-HILL installation\n2) AutoCAD setting Tools/Options/[Files] "
    L"Support File Search Path";
