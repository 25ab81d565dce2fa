#include "reader_fixture.h"

#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <sstream>

#include "common/containers/text.h"

namespace reader_test {
namespace fs = std::filesystem;

TempFolder::TempFolder() {
  static int serial = 0;
  path_ = fs::temp_directory_path() /
          ("varnel-reader-" + std::to_string(getpid()) + "-" + std::to_string(++serial));
  fs::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

bool AddInputFile(OSGMLInputView& view, const std::string& path) {
  return view.AppendInputFile(path.c_str());
}

int ReadAll(OSGMLInputView& view) { return view.ProcessGmlFiles(1, L"Stop draw", 0); }

namespace {

std::string Points(const GrowArray& list) {
  std::string out;
  char buffer[80];
  const auto* p = static_cast<const LinePoint*>(list.data);
  for (std::int32_t i = 0; list.marker == kGrowArrayMarker && i < list.count; ++i) {
    if (p[i].tag != kLinePointVertex) continue;
    std::snprintf(buffer, sizeof buffer, "%s%.3f,%.3f", out.empty() ? "" : ";", p[i].x, p[i].y);
    out += buffer;
  }
  return out;
}

// Runs of a list split at its end entries, joined with '/'.
std::string Runs(const GrowArray& list) {
  std::string out, run;
  char buffer[80];
  const auto* p = static_cast<const LinePoint*>(list.data);
  for (std::int32_t i = 0; list.marker == kGrowArrayMarker && i < list.count; ++i) {
    if (p[i].tag == kLinePointEnd) {
      out += (out.empty() ? "" : "/") + run;
      run.clear();
      continue;
    }
    std::snprintf(buffer, sizeof buffer, "%s%.3f,%.3f", run.empty() ? "" : ";", p[i].x, p[i].y);
    run += buffer;
  }
  return out;
}

std::string Rings(const GrowArray& list) {
  std::string out, ring;
  char buffer[80];
  const auto* p = static_cast<const RingPoint*>(list.data);
  for (std::int32_t i = 0; list.marker == kGrowArrayMarker && i < list.count; ++i) {
    if (p[i].tag == kRingPointEnd) {
      out += (out.empty() ? "" : "/") + ring;
      ring.clear();
      continue;
    }
    std::snprintf(buffer, sizeof buffer, "%s%.3f,%.3f", ring.empty() ? "" : ";", p[i].x, p[i].y);
    ring += buffer;
  }
  return out;
}

std::string Attributes(const CommonAttributes& c, std::int32_t version) {
  return std::string(c.featureCode) + "|" + c.theme + "|" + c.descriptiveGroup + "|" +
         c.descriptiveTerm + "|" + std::to_string(version);
}

std::string Point(double x, double y) {
  char buffer[80];
  std::snprintf(buffer, sizeof buffer, "%.3f,%.3f", x, y);
  return buffer;
}

std::string Number(const char* format, double value) {
  char buffer[80];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

}  // namespace

std::vector<std::string> StoredFeatures(const OSGMLInputView& v) {
  std::vector<std::string> out;
  for (const auto* array : {&v.points, &v.symbols}) {
    const auto* r = static_cast<const PointFeatureRecord*>(array->data);
    for (std::int32_t i = 0; i < array->count; ++i)
      out.push_back(std::string(array == &v.points ? "point|" : "symbol|") + r[i].common.toid +
                    "|" + Attributes(r[i].common, r[i].version) + "|" + Point(r[i].x, r[i].y) +
                    "|z=" + Number("%.3f", r[i].z) + "|o=" + Number("%.1f", r[i].orientation));
  }
  const auto* texts = static_cast<const TextFeatureRecord*>(v.texts.data);
  for (std::int32_t i = 0; i < v.texts.count; ++i) {
    const TextFeatureRecord& r = texts[i];
    out.push_back("text|" + std::string(r.common.toid) + "|" + Attributes(r.common, r.version) +
                  "|" + Point(r.x, r.y) + "|" + r.textString + "|h=" + Number("%.2f", r.height) +
                  "|a=" + std::to_string(r.anchorPosition) + "|o=" + Number("%.1f", r.orientation));
  }
  for (std::int32_t i = 0; i < v.lines.count; ++i) {
    LineFeatureRecord r;
    (void)PagedGrowArrayGet(&v.lines, i, &r);
    out.push_back("line|" + std::string(r.common.toid) + "|" + Attributes(r.common, r.version) +
                  "|" + Points(r.points));
  }
  for (std::int32_t i = 0; i < v.areas.count; ++i) {
    AreaFeatureRecord r;
    (void)PagedGrowArrayGet(&v.areas, i, &r);
    out.push_back("area|" + std::string(r.attributes.common.toid) + "|" +
                  Attributes(r.attributes.common, r.attributes.version) +
                  "|outer=" + Rings(r.outerRing) + "|inner=" + Rings(r.innerRings));
  }
  const auto* links = static_cast<const RoadLinkRecord*>(v.roadLinks.data);
  for (std::int32_t i = 0; i < v.roadLinks.count; ++i) {
    const RoadLinkRecord& r = links[i];
    out.push_back("link|" + std::string(r.toid) + "|" + r.theme + "|" + r.descriptiveGroup + "|" +
                  r.descriptiveTerm + "|" + std::to_string(r.version) + "|" + r.natureOfRoad +
                  "|" + r.startNode + "|" + r.endNode + "|" + Points(r.points));
  }
  const auto* nodes = static_cast<const RoadNodeRecord*>(v.roadNodes.data);
  for (std::int32_t i = 0; i < v.roadNodes.count; ++i) {
    const RoadNodeRecord& r = nodes[i];
    out.push_back("node|" + std::string(r.toid) + "|" + r.theme + "|" + r.descriptiveGroup + "|" +
                  r.descriptiveTerm + "|" + std::to_string(r.version) + "|" + Point(r.x, r.y));
  }
  const auto* roads = static_cast<const RoadRecord*>(v.roads.data);
  for (std::int32_t i = 0; i < v.roads.count; ++i) {
    const RoadRecord& r = roads[i];
    out.push_back("road|" + std::string(r.toid) + "|" + r.theme + "|" + r.descriptiveGroup + "|" +
                  r.descriptiveTerm + "|" + std::to_string(r.version) + "|" + r.roadName +
                  "|box=" + Point(r.boxMinX, r.boxMinY) + ";" + Point(r.boxMaxX, r.boxMaxY) + "|" +
                  Runs(r.geometry));
  }
  const auto* addresses = static_cast<const AddressPointRecord*>(v.addressPoints.data);
  for (std::int32_t i = 0; i < v.addressPoints.count; ++i) {
    const AddressPointRecord& r = addresses[i];
    out.push_back("address|" + std::string(r.toid) + "|" + Point(r.x, r.y) + "|" +
                  r.bs7666PostCode + "|" + r.street + "|" + r.paon + "|" + r.udprn + "|" +
                  r.postalPostCode + "|" + r.osapr);
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::string RunCommand(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  std::array<char, 65536> buffer;
  std::size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
  pclose(pipe);
  return out;
}

std::vector<std::string> ReferenceReading(const std::string& path) {
  const char* python = fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
  const std::string script =
      std::string(VARNEL_SOURCE_DIR) + "/gml/reader/tests/gml_reference.py";
  std::istringstream lines(RunCommand(std::string(python) + " '" + script + "' '" + path + "'"));
  std::vector<std::string> out;
  for (std::string line; std::getline(lines, line);) out.push_back(line);
  std::sort(out.begin(), out.end());
  return out;
}

bool GzipFile(const std::string& from, const std::string& to) {
  std::ifstream in(from, std::ios::binary);
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  gzFile out = gzopen(to.c_str(), "wb");
  if (out == nullptr) return false;
  const bool ok = gzwrite(out, content.data(), static_cast<unsigned>(content.size())) ==
                  static_cast<int>(content.size());
  return gzclose(out) == Z_OK && ok;
}

std::string SharedSample(const char* name) {
  return std::string(VARNEL_SHARED_DIR) + "/testdata/osmm/" + name;
}

const char* const kSmallFileHead =
    "<?xml version='1.0' encoding='UTF-8'?>\n"
    "<osgb:FeatureCollection xmlns:osgb='http://www.ordnancesurvey.co.uk/xml/namespaces/osgb' "
    "xmlns:gml='http://www.opengis.net/gml' xmlns:xlink='http://www.w3.org/1999/xlink' "
    "fid='BAD'>\n<gml:description>bad input</gml:description>\n"
    "<osgb:queryExtent><osgb:Rectangle srsName='osgb:BNG'>\n"
    "<gml:coordinates>0,0 1000,1000</gml:coordinates></osgb:Rectangle></osgb:queryExtent>\n";
const char* const kSmallFileTail = "</osgb:FeatureCollection>\n";

std::string LineMember(const std::string& toid, const std::string& coordinates,
                 const std::string& extra) {
  return "<osgb:topographicMember><osgb:TopographicLine fid='osgb" + toid +
         "'><osgb:featureCode>10019</osgb:featureCode>" + extra +
         "<osgb:polyline><gml:LineString><gml:coordinates>" + coordinates +
         "</gml:coordinates></gml:LineString></osgb:polyline></osgb:TopographicLine>"
         "</osgb:topographicMember>\n";
}

}  // namespace reader_test
