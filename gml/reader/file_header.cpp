// The head of a GML file: its description, query time and extent, read
// before the file is read in full.
#include <cmath>
#include <cstring>
#include <optional>
#include <string>

#include "common/containers/text.h"
#include "gml/reader/gml_numbers.h"
#include "gml/reader/osgml_input_view.h"
#include "host/system/files.h"

namespace {

// The walk over the head of a file stops after this many characters.
constexpr std::int64_t kHeaderCharacters = 10000;
constexpr int kHeaderTextLength = 1023;

bool Starts(const char* tag, const char* name) {
  const std::size_t n = std::strlen(name);
  return std::strncmp(tag, name, n) == 0 &&
         (tag[n] == 0 || tag[n] == ' ' || tag[n] == '\t' || tag[n] == '\r' || tag[n] == '\n');
}

}  // namespace

int OSGMLInputView::ReadGmlFileHeader(const wchar_t* path, double* minX, double* minY,
                                      double* maxX, double* maxY, int* compressed,
                                      char* description, char* queryTime,
                                      double* uncompressedSize) {
  *minX = *minY = *maxX = *maxY = 0;
  headerExtentFound = 0;
  description[0] = 0;
  queryTime[0] = 0;
  *uncompressedSize = -1;
  *compressed = 0;
  headerProblem.clear();
  ArchiveReader archive;
  currentChar = 0;
  // A pipe waits for a writer and a device may never end: only plain files
  // are read.
  if (!host::IsPlainFile(path)) {
    headerProblem = L"not a regular file (a pipe, a device or a socket)";
    return 0;
  }
  const std::optional<host::FileInfo> info = host::GetFileInfo(path);
  if (info && info->size == 0) {
    headerProblem = L"the file is empty (0 bytes)";
    return 0;
  }
  if (!archive.OpenGz(host::NativePath(path).value_or("").c_str())) {
    headerProblem = archive.HasReadError()
                        ? L"its gzip data is damaged at its start (zlib: " +
                              NarrowToWide(archive.ReadErrorText()) + L")"
                        : std::wstring(L"the file cannot be opened");
    return 0;
  }
  *compressed = archive.IsCompressed();
  *uncompressedSize = archive.GetUncompressedSize();

  char tag[kGmlTagBufferSize];
  char text[kGmlTagBufferSize];
  std::int64_t consumed = 0;
  int items = 0;
  bool inExtent = false, inBox = false, inRing = false;
  bool boxStarted = false, ringStarted = false;
  while ((items == 0 || items < 3) && ReadGmlTag(archive, tag, kGmlMaxTagLength, &consumed)) {
    // Only the head of the file is looked at.
    if (consumed > kHeaderCharacters) break;
    QuotesToApostrophes(tag);
    if (tag[0] == '/') {
      if (Starts(tag, "/osgb:queryExtent") || Starts(tag, "/gml:boundedBy")) inExtent = false;
      if (Starts(tag, "/osgb:Rectangle") || Starts(tag, "/gml:Box")) inBox = false;
      if (Starts(tag, "/gml:outerBoundaryIs")) inRing = false;
      continue;
    }
    if (Starts(tag, "gml:coordinates") && inExtent && (inBox || inRing)) {
      CoordinateTuple t;
      while (ReadCoordinateTuple(archive, &t, &consumed)) {
        // An extent corner that is not a finite number is no extent.
        if (!std::isfinite(t.x) || !std::isfinite(t.y)) continue;
        if (inBox) {
          if (!boxStarted) {
            *minX = t.x;
            *minY = t.y;
            boxStarted = true;
            ++items;
          } else {
            *maxX = t.x;
            *maxY = t.y;
          }
        } else {
          if (!ringStarted) {
            *minX = *maxX = t.x;
            *minY = *maxY = t.y;
            ringStarted = true;
            ++items;
          } else {
            if (t.x < *minX) *minX = t.x;
            if (t.y < *minY) *minY = t.y;
            if (t.x > *maxX) *maxX = t.x;
            if (t.y > *maxY) *maxY = t.y;
          }
        }
      }
    } else if (Starts(tag, "osgb:Rectangle") || Starts(tag, "gml:Box")) {
      inBox = true;
      ReadGmlText(archive, text, kHeaderTextLength, &consumed);
    } else if (Starts(tag, "osgb:queryExtent") || Starts(tag, "gml:boundedBy")) {
      inExtent = true;
      ReadGmlText(archive, text, kHeaderTextLength, &consumed);
    } else if (Starts(tag, "gml:outerBoundaryIs")) {
      inRing = true;
    } else if (Starts(tag, "osgb:queryTime")) {
      if (ReadGmlText(archive, text, kHeaderTextLength, &consumed)) {
        DecodeXmlText(text);
        CopyUtf8Field(queryTime, sizeof GmlInputFile::queryTime, text);
        ++items;
      }
    } else if (Starts(tag, "gml:description")) {
      if (ReadGmlText(archive, text, kHeaderTextLength, &consumed)) {
        DecodeXmlText(text);
        CopyUtf8Field(description, sizeof GmlInputFile::description, text);
        ++items;
      }
    }
  }
  if (items == 0)
    headerProblem =
        archive.HasReadError()
            ? L"its gzip data is damaged after byte " + std::to_wstring(archive.Tell()) +
                  L" of the text (zlib: " + NarrowToWide(archive.ReadErrorText()) + L")"
            : std::wstring(L"no description, query time or extent in its first 10,000 characters");
  archive.CloseStream();
  cancelRequested = 0;
  headerExtentFound = (boxStarted || ringStarted) ? 1 : 0;
  return items > 0 ? 1 : 0;
}

int OSGMLInputView::ReadGmlQueryExtent(const wchar_t* path, GrowArray* outline,
                                       char* description, char* queryTime) {
  outline->count = 0;
  description[0] = 0;
  queryTime[0] = 0;
  ArchiveReader archive;
  currentChar = 0;
  // A pipe waits for a writer and a device may never end: only plain files
  // are read.
  if (!host::IsPlainFile(path)) return 0;
  if (!archive.OpenGz(host::NativePath(path).value_or("").c_str())) return 0;

  char tag[kGmlTagBufferSize];
  char text[kGmlTagBufferSize];
  std::int64_t consumed = 0;
  bool ok = true;
  bool inExtent = false, inBox = false, inRing = false;
  while (ok && ReadGmlTag(archive, tag, kGmlMaxTagLength, &consumed)) {
    if (consumed > kHeaderCharacters) break;
    QuotesToApostrophes(tag);
    if (tag[0] == '/') {
      if (Starts(tag, "/osgb:queryExtent")) inExtent = false;
      if (Starts(tag, "/osgb:Rectangle")) inBox = false;
      if (Starts(tag, "/gml:outerBoundaryIs")) inRing = false;
      continue;
    }
    if (Starts(tag, "gml:coordinates") && inExtent && inBox) {
      double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
      bool first = true, any = false;
      CoordinateTuple t;
      while (ReadCoordinateTuple(archive, &t, &consumed)) {
        if (!std::isfinite(t.x) || !std::isfinite(t.y)) continue;
        any = true;
        if (first) {
          x0 = t.x;
          y0 = t.y;
          first = false;
        } else {
          x1 = t.x;
          y1 = t.y;
        }
      }
      if (any) {
        const CoordinateTuple corners[4] = {{x0, y0, 0, 1, 1, 0}, {x0, y1, 0, 1, 1, 0},
                                            {x1, y1, 0, 1, 1, 0}, {x1, y0, 0, 1, 1, 0}};
        for (int k = 0; k < 4 && ok; ++k) ok = GrowArraySet(outline, k, &corners[k]);
      }
    } else if (Starts(tag, "gml:coordinates") && inExtent && inRing) {
      CoordinateTuple t;
      while (ok && ReadCoordinateTuple(archive, &t, &consumed))
        if (std::isfinite(t.x) && std::isfinite(t.y)) ok = GrowArraySet(outline, outline->count, &t);
    } else if (Starts(tag, "osgb:queryExtent")) {
      // The contexts open whether or not text follows the start tag, so that
      // a file written without line breaks gives its extent too.
      inExtent = true;
    } else if (Starts(tag, "osgb:Rectangle")) {
      inBox = true;
    } else if (Starts(tag, "gml:outerBoundaryIs")) {
      inRing = true;
    } else if (Starts(tag, "osgb:queryTime")) {
      if (ReadGmlText(archive, text, kHeaderTextLength, &consumed)) {
        DecodeXmlText(text);
        CopyUtf8Field(queryTime, sizeof GmlInputFile::queryTime, text);
      }
    } else if (Starts(tag, "gml:description")) {
      if (ReadGmlText(archive, text, kHeaderTextLength, &consumed)) {
        DecodeXmlText(text);
        CopyUtf8Field(description, sizeof GmlInputFile::description, text);
      }
    }
  }
  archive.CloseStream();
  cancelRequested = 0;
  return ok ? 1 : 0;
}
