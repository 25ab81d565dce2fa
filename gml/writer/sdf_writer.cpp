#include "gml/writer/sdf_writer.h"

#include "host/editor/command_line.h"

bool SdfWriter::Create(const std::wstring&, const std::wstring&, int) { return true; }
bool SdfWriter::BeginPolygon() { return true; }
bool SdfWriter::AddPolygonRing(const GrowArray&) { return true; }
bool SdfWriter::WritePolygon(const char*, const char*) { return true; }
bool SdfWriter::WriteLine(const GrowArray&, const char*, const char*) { return true; }
bool SdfWriter::WritePoint(const PointFeatureRecord&) { return true; }
bool SdfWriter::WriteText(const TextFeatureRecord&) { return true; }
bool SdfWriter::WriteRoadLink(const GrowArray&, const RoadLinkRecord&) { return true; }
bool SdfWriter::WriteRoadNode(const RoadNodeRecord&) { return true; }

void NoteSdfOutputUnavailable(bool* noted) {
  if (noted == nullptr || *noted) return;
  *noted = true;
  host::Print(
      L"\nNote: SDF files are not written on this platform. The features chosen for SDF output "
      L"were neither drawn nor saved; only their CSV rows were written.\n");
}
