// The search input of the locate commands: "LarMasterMap - Locate TOID" and
// "LarMasterMap - Locate Road Name". The caller gives the last accepted
// values before each opening and reads them back after OK ("Locate...");
// values out of range get the framework's standard message and keep the
// dialog open.
#pragma once

#include <string>

#include "host/ui/dialog.h"

inline constexpr int kLocateToidTemplate = 214;
inline constexpr int kLocateRoadNameTemplate = 246;
inline constexpr int kIdToid = 274;
inline constexpr int kIdPartialMatch = 275;
inline constexpr int kIdZoomWhenFound = 278;
inline constexpr int kIdZoomWindowSize = 279;
inline constexpr int kIdRoadName = 406;
inline constexpr int kMaxToidChars = 16;

host::ui::DialogTemplate LocateToidTemplate();
host::ui::DialogTemplate LocateRoadNameTemplate();

class LocateTOIDsView : public host::ui::Dialog {
 public:
  explicit LocateTOIDsView(host::ui::Dialog* parent = nullptr);
  void DoDataExchange(host::ui::DataExchange& dx) override;

  int partialMatch = 1;
  int zoomWhenFound = 1;
  std::wstring toid;
  double windowSize = 50.0;  // metres, 10 to 1000
};

class CLocateRoadName : public host::ui::Dialog {
 public:
  explicit CLocateRoadName(host::ui::Dialog* parent = nullptr);
  void DoDataExchange(host::ui::DataExchange& dx) override;

  double windowSize = 50.0;  // metres, 1 to 9999999
  int zoomWhenFound = 1;
  int partialMatch = 1;
  std::wstring roadName;
};
