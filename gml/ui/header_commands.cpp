#include "gml/ui/varnel_commands.h"

#include <string>

#include "common/cad/current_layer.h"
#include "common/containers/grow_array.h"
#include "common/containers/text.h"
#include "common/dialogs/file_select.h"
#include "gml/reader/osgml_input_view.h"
#include "gml/ui/draw_extents_dialog.h"
#include "gml/writer/entity_writers.h"
#include "host/db/database.h"
#include "host/editor/command_line.h"
#include "host/editor/prompts.h"
#include "host/editor/system_variables.h"
#include "host/lisp/call.h"
#include "host/system/files.h"
#include "host/ui/message_box.h"
#include "host/ui/pickers.h"

namespace {

constexpr double kNoMinimum = 99999999.9;
constexpr double kNoMaximum = -99999999.9;

// An extent merged over files; `found` once any file gave one.
struct Extent {
  double minX = kNoMinimum, minY = kNoMinimum, maxX = kNoMaximum, maxY = kNoMaximum;
  bool found = false;

  void Merge(double x0, double y0, double x1, double y1) {
    if (x0 < minX) minX = x0;
    if (y0 < minY) minY = y0;
    if (x1 > maxX) maxX = x1;
    if (y1 > maxY) maxY = y1;
    found = true;
  }
};

// The header texts and extent as read from one file.
struct FileHeader {
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  bool extentFound = false;
  char description[sizeof GmlInputFile::description] = {};
  char queryTime[sizeof GmlInputFile::queryTime] = {};
};

FileHeader ReadHeader(OSGMLInputView& view, const std::wstring& path) {
  FileHeader header;
  int compressed = 0;
  double size = 0;
  (void)view.ReadGmlFileHeader(path.c_str(), &header.minX, &header.minY, &header.maxX, &header.maxY,
                               &compressed, header.description, header.queryTime, &size);
  header.extentFound = view.headerExtentFound != 0;
  return header;
}

void PutHeaderVariables(const char* description, const char* queryTime, double minX, double minY,
                        double maxX, double maxY) {
  using host::lisp::Value;
  (void)host::lisp::PutSymbol(L"lwh_gml_description", Value::String(Utf8ToWide(description)));
  (void)host::lisp::PutSymbol(L"lwh_gml_query_time", Value::String(Utf8ToWide(queryTime)));
  (void)host::lisp::PutSymbol(L"lwh_gml_x_min", Value::Real(minX));
  (void)host::lisp::PutSymbol(L"lwh_gml_y_min", Value::Real(minY));
  (void)host::lisp::PutSymbol(L"lwh_gml_x_max", Value::Real(maxX));
  (void)host::lisp::PutSymbol(L"lwh_gml_y_max", Value::Real(maxY));
}

// The variables as they now hold, one line each: the answer of a command
// that a user types, who has no LISP program to read them. Coordinates to
// the millimetre, as the files give them.
void PrintHeaderVariables() {
  for (const wchar_t* name : {L"lwh_gml_description", L"lwh_gml_query_time"})
    host::Print(L"\n" + std::wstring(name) + L" = " + host::lisp::ToLispText(host::lisp::GetSymbol(name)));
  for (const wchar_t* name : {L"lwh_gml_x_min", L"lwh_gml_y_min", L"lwh_gml_x_max", L"lwh_gml_y_max"})
    host::Printf(L"\n%ls = %.3f", name, host::lisp::GetSymbol(name).real());
}

// The multiple file choice of the header commands; empty when none.
std::vector<std::wstring> ChooseGmlFiles() {
  const wchar_t* const patterns[] = {L"*.gz", L"*.gml", L"*.*"};
  const wchar_t* const descriptions[] = {L"OS MasterMap files (compressed)",
                                         L"OS MasterMap files (non-compressed)", L"All files"};
  GrowArray files{};
  std::vector<std::wstring> paths;
  if (!GrowArrayCreate(10, sizeof(SelectedFile), &files)) return paths;
  if (SelectFilesDialog(L"", patterns, descriptions, 3, 1, L"Select OS MasterMap file(s)", &files) > 0) {
    for (std::int32_t i = 0; i < files.count; ++i) {
      SelectedFile file{};
      if (GrowArrayGet(&files, i, &file)) paths.emplace_back(file.path);
    }
  }
  GrowArrayFree(&files);
  return paths;
}

// Every entry of the folder, one level, in listing order.
std::vector<std::wstring> FilesOfFolder(std::wstring folder) {
  if (folder.empty() || (folder.back() != L'/' && folder.back() != L'\\')) folder += L'/';
  std::vector<std::wstring> paths;
  for (const host::FileInfo& entry : host::ListFolder(folder + L"*.*")) {
    if (entry.attributes & host::kAttributeDirectory) continue;
    paths.push_back(folder + entry.name);
  }
  return paths;
}

// Draws the outline as a closed polyline on `layer` without xdata.
bool DrawOutline(const GrowArray& outline, const char* layer, bool plinegen) {
  host::db::Database* db = host::db::WorkingDatabase();
  if (db == nullptr) return false;
  GrowArray vertices{};
  if (!GrowArrayCreate(outline.count, sizeof(PolylineVertex), &vertices)) return false;
  bool ok = true;
  for (std::int32_t i = 0; i < outline.count && ok; ++i) {
    CoordinateTuple t{};
    ok = GrowArrayGet(&outline, i, &t);
    const PolylineVertex v{t.x, t.y, 0.0, 0.0, 0.0};
    ok = ok && GrowArraySet(&vertices, i, &v);
  }
  ok = ok && DrawFeaturePolyline(layer, 256, 0.0, outline.count, vertices, *db, 0, 0, nullptr,
                                 std::monostate{}, OsFeatureKind::kNone, true, plinegen);
  GrowArrayFree(&vertices);
  return ok;
}

}  // namespace

void FileHeaderFromLispCommand() {
  const host::lisp::Value name = host::lisp::GetSymbol(L"lwh_gml_file_name");
  if (name.IsNil()) {
    (void)host::ui::ShowMessageBox(L"Error: LISP variable lwh_gml_file_name seems to be empty.", L"");
    return;
  }
  if (!name.IsString()) {
    (void)host::ui::ShowMessageBox(
        L"Error: LISP variable lwh_gml_file_name seems not to have a file name in it.", L"");
    return;
  }
  OSGMLInputView view;
  const FileHeader header = ReadHeader(view, name.text());
  PutHeaderVariables(header.description, header.queryTime, header.minX, header.minY, header.maxX,
                     header.maxY);
}

void FileHeaderCommand() {
  const std::vector<std::wstring> files = ChooseGmlFiles();
  if (files.empty()) return;
  OSGMLInputView view;
  Extent extent;
  FileHeader last;
  for (const std::wstring& path : files) {
    last = ReadHeader(view, path);
    // A file without an extent adds nothing to the box (its zeros would pull
    // the box to the origin).
    if (last.extentFound) extent.Merge(last.minX, last.minY, last.maxX, last.maxY);
  }
  if (!extent.found) {
    host::Print(L"\nNone of the files gives an extent.");
    PutHeaderVariables(last.description, last.queryTime, 0.0, 0.0, 0.0, 0.0);
  } else {
    PutHeaderVariables(last.description, last.queryTime, extent.minX, extent.minY, extent.maxX,
                       extent.maxY);
  }
  PrintHeaderVariables();
}

void QueryExtentsCommand() {
  std::vector<std::wstring> files;
  if (host::ui::ShowMessageBox(L"Select files individually?\n\n(Or \"No\" to select a folder)", L"",
                               host::ui::MessageButtons::kYesNo) == host::ui::MessageResult::kYes) {
    files = ChooseGmlFiles();
    if (files.empty()) return;
  } else {
    // A cancelled picker ends the command (there is no folder to list).
    const std::optional<std::wstring> folder =
        host::ui::BrowseForFolder(L"Select folder where there are MasterMap files.");
    if (!folder) return;
    files = FilesOfFolder(*folder);
  }

  const host::Input<std::wstring> answer = host::GetString(false, L"\nLayer for the polyline <Query Extents>");
  if (!answer.ok()) return;
  const std::wstring layer = answer.value.empty() ? L"Query Extents" : answer.value;
  if (!MakeLayerCurrent(7, layer)) return;
  const std::string narrowLayer = WideToNarrow(layer);
  const bool plinegen = host::GetSystemVariable(L"PLINEGEN").Number() != 0;

  OSGMLInputView view;
  Extent extent;
  GrowArray outline{};
  if (!GrowArrayCreate(50, sizeof(CoordinateTuple), &outline)) return;
  char description[sizeof GmlInputFile::description];
  char queryTime[sizeof GmlInputFile::queryTime];
  for (const std::wstring& path : files) {
    outline.count = 0;
    if (!view.ReadGmlQueryExtent(path.c_str(), &outline, description, queryTime) || outline.count < 2)
      continue;
    if (!DrawOutline(outline, narrowLayer.c_str(), plinegen)) continue;
    const FileHeader header = ReadHeader(view, path);
    if (header.extentFound) extent.Merge(header.minX, header.minY, header.maxX, header.maxY);
  }
  GrowArrayFree(&outline);
  if (extent.found) ZoomWindowWithMargin(extent.maxX, extent.maxY, extent.minX, extent.minY);
}

void DrawExtentsCommand() {
  CDrawMMExtents dialog;
  if (dialog.DoModal() != host::ui::kIdOk) return;
  if (dialog.rectangularOutline)
    FileHeaderCommand();
  else
    QueryExtentsCommand();
}
