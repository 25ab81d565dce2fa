// Fuzz target: the reading run over one file whose bytes the fuzzer gives,
// plain or gzip. The file is added to the import dialog's list as the file
// choice adds it (its header read first), then read in one of the dialog's
// modes; its query extent is read as the extent command reads it. The last byte of the input picks the mode, so that a crash found
// reproduces from its input alone:
//   bit 0  coordinates spilled to the spill file (as for a gzip file)
//   bit 1  a location filter (a window over part of the example tile) with
//          lines cut at its edges, or (with bit 2) kept when partly inside
//   bit 2  count mode instead of the import; with bit 1 the partly-inside
//          test instead of cutting
//   bit 3  update mode (departed features listed)
//   bit 4  SDF output (road links named after their roads once all is read)
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "common/containers/text.h"
#include "gml/reader/osgml_input_view.h"
#include "host/testing/fuzz_process.h"

namespace {

// Adds the file as the import dialog's file choice does; `spill` also
// sends a plain file's coordinates through the spill file.
bool AddInputFile(OSGMLInputView& view, const std::string& path, bool spill) {
  if (!view.AppendInputFile(path.c_str())) return false;
  auto* file = static_cast<GmlInputFile*>(view.inputFiles.data) + view.inputFiles.count - 1;
  if (spill) file->spillCoordinates = 1;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  host::StartFuzzProcess();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = host::FuzzFilePath("varnel-fuzz.gml");
  if (!host::WriteFuzzInput(path, data, size)) return 0;
  const std::uint8_t mode = size > 0 ? data[size - 1] : 0;
  {
    OSGMLInputView view;
    if ((mode & 2) != 0) {
      // The example tile lies at 437000,112000; the window takes a corner of
      // it so that lines, links and areas cross its edges.
      AreaFilterArea window{};
      window.kind = kAreaWindow;
      window.tag = 1;
      window.corner1X = 437100;
      window.corner1Y = 112100;
      window.corner2X = 437400;
      window.corner2Y = 112350;
      if (view.locationFilter.AddArea(window)) {
        view.settings.areaFiltering = 1;
        view.settings.trimLinesToAreaEdges = (mode & 4) == 0 ? 1 : 0;
        view.settings.locationMode = (mode & 4) != 0 ? 1 : 0;
      }
    }
    view.updateMode = (mode & 8) != 0 ? 1 : 0;
    view.createSdfFiles = (mode & 16) != 0 ? 1 : 0;
    if (AddInputFile(view, path, (mode & 1) != 0)) {
      const bool count = (mode & 4) != 0 && (mode & 2) == 0;
      (void)view.ProcessGmlFiles(count ? 0 : 1, count ? L"Stop count" : L"Stop draw",
                                 count ? 1 : 0);
    }
    GrowArray outline{};
    if (GrowArrayCreate(50, sizeof(CoordinateTuple), &outline)) {
      char description[sizeof GmlInputFile::description];
      char queryTime[sizeof GmlInputFile::queryTime];
      const std::wstring wide = NarrowToWide(std::string_view(path));
      (void)view.ReadGmlQueryExtent(wide.c_str(), &outline, description, queryTime);
      GrowArrayFree(&outline);
    }
  }
  // What the run showed and left behind is of no interest here: the next
  // input starts from a host as new.
  host::EndFuzzInput();
  std::remove(path.c_str());
  return 0;
}
