// Adding a file to the input list, as the file choice does.
#include "common/containers/text.h"
#include "gml/reader/osgml_input_view.h"
#include "host/system/files.h"

bool OSGMLInputView::AppendInputFile(const char* path) {
  GmlInputFile file{};
  CopyField(file.path, path);
  char name[kMaxPath];
  CopyField(file.name, GetFileNameOfPath(path, name));
  const std::wstring wide = host::WidePath(path);
  // Only a plain file has a size and an end (not a pipe or a device).
  if (!host::IsPlainFile(wide)) return false;
  double uncompressed = -1;
  int compressed = 0;
  (void)ReadGmlFileHeader(wide.c_str(), &file.minX, &file.minY, &file.maxX, &file.maxY,
                          &compressed, file.description, file.queryTime, &uncompressed);
  const std::optional<host::FileInfo> info = host::GetFileInfo(wide);
  if (!info) return false;
  // A gzip file whose trailer told its length counts by the text it holds;
  // one whose trailer could not be read or cannot be right (a cut or
  // damaged file) by its size on disk.
  const double onDisk = static_cast<double>(info->size);
  const bool knownLength = compressed && uncompressed > 0;
  file.size = knownLength ? uncompressed : onDisk;
  file.compressedSize = knownLength ? onDisk : -1.0;
  file.spillCoordinates = compressed;
  file.active = 1;
  if (!GrowArraySet(&inputFiles, inputFiles.count, &file)) return false;
  ++activeFileCount;
  totalBytes += file.size;
  return true;
}
