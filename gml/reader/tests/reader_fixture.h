// Helpers of the reader's tests: reading files through an import dialog
// object that is never shown, and the stored features as text lines.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "gml/reader/osgml_input_view.h"

namespace reader_test {

// A folder of its own under the temporary folder, removed at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Adds a file to the dialog's input list as the file choice does: its
// header read, active, gzip files spilling their coordinates.
bool AddInputFile(OSGMLInputView& view, const std::string& path);

// Reads every input file in import mode; the run's result.
int ReadAll(OSGMLInputView& view);

// Every stored feature as one line, sorted (the format of gml_reference.py).
std::vector<std::string> StoredFeatures(const OSGMLInputView& view);

// The independent reading of a file by gml_reference.py, sorted.
std::vector<std::string> ReferenceReading(const std::string& path);

// Output of a command; empty when it could not be run.
std::string RunCommand(const std::string& command);

// Writes a gzip copy of `from` at `to`.
bool GzipFile(const std::string& from, const std::string& to);

std::string SharedSample(const char* name);

// The head of a small hand-made topography file (extent 0,0 to 1000,1000)
// and its tail, the root element's end.
extern const char* const kSmallFileHead;
extern const char* const kSmallFileTail;

// A topographic line member; `extra` goes in before its geometry.
std::string LineMember(const std::string& toid, const std::string& coordinates,
                 const std::string& extra = "");

}  // namespace reader_test
