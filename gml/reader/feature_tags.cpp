// The tag loop of a pass: which feature or context a tag opens or closes,
// attribute elements, coordinates, references and TOIDs; and the ends of the
// topographic points, symbols, texts and lines.
#include <cstring>
#include <strings.h>

#include "gml/reader/gml_elements.h"
#include "gml/reader/gml_numbers.h"
#include "gml/reader/gml_pass.h"
#include "gml/reader/line_trimming.h"
#include "host/ui/message_box.h"

namespace {

// The TOID after `pattern` ("...fid='osgb"), when the tag text from the
// pattern on is longer than `minLength`: at most 16 characters up to the next
// apostrophe. Empty otherwise.
bool ToidAfter(const char* tag, const char* pattern, std::size_t minLength, char* toid) {
  const char* at = std::strstr(tag, pattern);
  if (at == nullptr) return false;
  toid[0] = 0;
  if (std::strlen(at) > minLength) {
    const char* p = at + std::strlen(pattern);
    std::size_t i = 0;
    while (i < kToidWidth - 1 && p[i] != 0 && p[i] != '\'') {
      toid[i] = p[i];
      ++i;
    }
    toid[i] = 0;
  }
  return true;
}

// The referenced TOID of an xlink:href='#osgb... attribute, when the tag
// text from there on is longer than 30 characters.
bool ReferencedToid(const char* tag, char* toid) {
  const char* at = std::strstr(tag, "xlink:href='#osgb");
  if (at == nullptr || std::strlen(at) <= 30) return false;
  const char* p = at + std::strlen("xlink:href='#osgb");
  std::size_t i = 0;
  while (i < kToidWidth - 1 && p[i] != 0 && p[i] != '\'') {
    toid[i] = p[i];
    ++i;
  }
  toid[i] = 0;
  return true;
}

// The characters of `tag` from `offset` after `pattern` up to the next
// apostrophe, at most `maxChars`, into `field`.
template <std::size_t Width>
void AttributeValue(const char* tag, const char* pattern, std::size_t offset, std::size_t maxChars,
                    char (&field)[Width]) {
  const char* at = std::strstr(tag, pattern);
  if (at == nullptr || std::strlen(at) < offset) return;
  const char* p = at + offset;
  std::size_t i = 0;
  while (i + 1 < Width && i < maxChars && p[i] != 0 && p[i] != '\'') {
    field[i] = p[i];
    ++i;
  }
  field[i] = 0;
}

void AppendValue(DescriptiveValue* list, int* count, int max, const char* value) {
  if (*count >= max) return;
  SetField(list[*count].text, value);
  ++*count;
}

}  // namespace

void GmlPass::ClearTexts() {
  common = CommonAttributes{};
  accuracyOfPosition[0] = 0;
  physicalPresence[0] = 0;
  textString[0] = 0;
  roadName[0] = 0;
  natureOfRoad[0] = 0;
  startNode[0] = 0;
  endNode[0] = 0;
}

void GmlPass::ClearValueLists() {
  termCount = 0;
  groupCount = 0;
  themeCount = 0;
}

// A point, symbol or text starts with no coordinates, texts or values of its
// own, and height and orientation set back.
void GmlPass::StartPointLike() {
  EmptyTuples();
  SetBackHeightAndOrientation();
  ClearTexts();
  ClearValueLists();
}

void GmlPass::SetBackHeightAndOrientation() {
  heightAboveDatum = kNoHeightAboveDatum;
  orientation = 0;
}

// Start tags ---------------------------------------------------------------------

void GmlPass::OnStartTag(char* t) {
  OSGMLInputView& v = view;
  using enum GmlElement;
  const GmlElement e = ClassifyElement(t).element;
  // Every feature starts with an empty tuple list: the coordinates of a
  // feature whose end tag never came are not carried into the next one.
  // A road stands apart: the chain below runs after it on the same tag.
  if ((e == kRoad || e == kPath) && t[9] == ' ') {
    inRoad = true;
    ++v.seenRoads;
    EmptyTuples();
    if (DrawMode()) {
      roadName[0] = 0;
      common = CommonAttributes{};
      accuracyOfPosition[0] = 0;
      physicalPresence[0] = 0;
      ClearValueLists();
      // The previous road's member list belongs to its record (or was freed
      // at its end); one still held here is of a road whose end never came.
      if (roadMembersCreated) GrowArrayFree(&roadMembers);
      roadMembersCreated = false;
      roadMembers = GrowArray{};
    }
  }

  if (e == kRoadLink || e == kPathLink) {
    inRoadLink = true;
    ++v.seenRoadLinks;
    EmptyTuples();
    coordinatePosition = -1;  // until its coordinates come
    if (DrawMode()) {
      length = 0;
      natureOfRoad[0] = 0;
      common = CommonAttributes{};
      startNode[0] = 0;
      endNode[0] = 0;
    }
  } else if (e == kRoadNode || e == kPathNode) {
    inRoadNode = true;
    ++v.seenRoadNodes;
    EmptyTuples();
    ClearTexts();
  } else if (e == kTopographicArea) {
    EmptyTuples();
    StartArea();
  } else if (e == kTopographicPoint) {
    inPoint = true;
    ++v.seenPoints;
    StartPointLike();
  } else if (e == kAddressPoint) {
    inAddress = true;
    ++v.seenAddressPoints;
    EmptyTuples();
    address = AddressPointRecord{};
    address.bs7666Empty = 1;
    address.authorityEmpty = 1;
    address.statusEmpty = 1;
    address.postalEmpty = 1;
    address.nonGeographic = 0;
    address.multipleOccupancyCount = 0;
  } else if (e == kTopographicLine || e == kBoundaryLine) {
    inLine = true;
    ++v.seenLines;
    EmptyTuples();
    coordinatePosition = -1;  // until its coordinates come
    if (DrawMode()) {
      SetBackHeightAndOrientation();
      ClearTexts();
      ClearValueLists();
    }
  } else if (e == kCartographicSymbol) {
    inSymbol = true;
    ++v.seenSymbols;
    StartPointLike();
  } else if (e == kCartographicText) {
    inText = true;
    ++v.seenTexts;
    StartPointLike();
  } else if (e == kOsgbPoint) {
    inOsgbPoint = true;
  } else if (e == kOsgbPolyline) {
    inOsgbPolyline = true;
  } else if (e == kOsgbPolygon) {
    inOsgbPolygon = true;
  } else if (e == kGmlBox) {
    inGmlBox = true;
  } else if (e == kGmlOuterBoundary) {
    inGmlOuter = true;
  } else if (e == kGmlInnerBoundary) {
    inGmlInner = true;
  } else if (e == kOsgbOuterBoundary) {
    inOsgbOuter = true;
    StartReferenceBoundary(true);
  } else if (e == kOsgbInnerBoundary) {
    inOsgbInner = true;
    StartReferenceBoundary(false);
  } else if (e == kGmlPoint) {
    inGmlPoint = true;
  } else if (e == kBs7666Attributes) {
    inBs7666 = true;
  } else if (e == kAddressAuthority) {
    inAuthority = true;
  } else if (e == kAddressStatus) {
    inStatus = true;
  } else if (e == kPostalAddress) {
    inPostal = true;
    address.nonGeographic =
        std::strstr(t, "osgb:postalAddress nonGeographic='0'") != nullptr ? 0 : 1;
  } else if (StoreAddressAttribute(t, e) || StoreAttribute(t, e)) {
    return;  // an attribute element's value was stored: the tag is done
  }

  OnReferences(t, e);
  if (e == kGmlCoordinates) OnCoordinates();
  CaptureToid(t);
}

// Attribute elements ----------------------------------------------------------------

namespace {

enum Group { kAny, kBs7666, kAuthority, kStatus, kPostal };

}  // namespace

bool GmlPass::StoreAddressAttribute(const char* t, GmlElement element) {
  struct Handler {
    GmlElement element;
    Group group;
    int kind;  // what to store, see below
  };
  // Tried in this order; the first whose element and group match reads the
  // value.
  static const Handler handlers[] = {
      {GmlElement::kPostCode, kBs7666, 0},        {GmlElement::kAdminArea, kBs7666, 1},
      {GmlElement::kTown, kBs7666, 2},            {GmlElement::kLocality, kBs7666, 3},
      {GmlElement::kStreet, kBs7666, 4},          {GmlElement::kPaon, kBs7666, 5},
      {GmlElement::kSaon, kBs7666, 6},            {GmlElement::kUdprn, kAuthority, 7},
      {GmlElement::kUarn, kAuthority, 8},         {GmlElement::kStructureType, kStatus, 9},
      {GmlElement::kPositionalQuality, kStatus, 10}, {GmlElement::kPhysicalStatus, kStatus, 11},
      {GmlElement::kMatchStatus, kStatus, 12},    {GmlElement::kOrganisationKey, kPostal, 13},
      {GmlElement::kAddressKey, kPostal, 14},     {GmlElement::kDeliveryPointSuffix, kPostal, 15},
      {GmlElement::kPostCode, kPostal, 16},       {GmlElement::kPostTown, kPostal, 17},
      {GmlElement::kThoroughfare, kPostal, 18},   {GmlElement::kCapitalBuildingName, kPostal, 19},
      {GmlElement::kBuildingNumber, kPostal, 20}, {GmlElement::kOrganisation, kPostal, 21},
      {GmlElement::kMultipleOccupancyCount, kAny, 22}, {GmlElement::kPostCode, kAny, 23},
      {GmlElement::kBaseFunction, kAny, 24},      {GmlElement::kDependentLocality, kAny, 25},
      {GmlElement::kDependentThoroughfare, kAny, 26}, {GmlElement::kThoroughfare, kAny, 27},
      {GmlElement::kSubBuildingName, kAny, 28},   {GmlElement::kBuildingName, kAny, 29},
      {GmlElement::kPoBox, kAny, 30},             {GmlElement::kDepartment, kAny, 31},
      {GmlElement::kOsapr, kAny, 32},
  };
  if (!IsAddressAttribute(element)) return false;
  const Handler* found = nullptr;
  for (const Handler& h : handlers) {
    const bool inGroup = h.group == kAny || (h.group == kBs7666 && inBs7666) ||
                         (h.group == kAuthority && inAuthority) ||
                         (h.group == kStatus && inStatus) || (h.group == kPostal && inPostal);
    if (inGroup && h.element == element) {
      found = &h;
      break;
    }
  }
  if (found == nullptr) return false;
  if (!view.ReadGmlText(archive, text, kGmlMaxTagLength, &fileConsumed)) return false;
  DecodeXmlText(text);
  AddressPointRecord& a = address;
  switch (found->kind) {
    case 0:
      SetField(a.bs7666PostCode, text, 12);
      AttributeValue(t, "osgb:postCode type=", 20, 12, a.bs7666PostCodeType);
      a.bs7666Empty = 0;
      break;
    case 1: SetField(a.adminArea, text, 128); a.bs7666Empty = 0; break;
    case 2: SetField(a.town, text, 32); a.bs7666Empty = 0; break;
    case 3: SetField(a.locality, text, 32); a.bs7666Empty = 0; break;
    case 4: SetField(a.street, text, 32); a.bs7666Empty = 0; break;
    case 5: SetField(a.paon, text, 128); a.bs7666Empty = 0; break;
    case 6: SetField(a.saon, text, 64); a.bs7666Empty = 0; break;
    case 7: SetField(a.udprn, text, 32); a.authorityEmpty = 0; break;
    case 8: SetField(a.uarn, text, 32); a.authorityEmpty = 0; break;
    case 9: SetField(a.structureType, text, 64); a.statusEmpty = 0; break;
    case 10:
      SetField(a.positionalQuality, text, 16);
      AttributeValue(t, "osgb:positionalQuality accuracy=", 33, 16, a.positionalAccuracy);
      a.statusEmpty = 0;
      break;
    case 11: SetField(a.physicalStatus, text, 16); a.statusEmpty = 0; break;
    case 12: SetField(a.matchStatus, text, 64); a.statusEmpty = 0; break;
    case 13: SetField(a.organisationKey, text, kOrganisationKeyChars); a.postalEmpty = 0; break;
    case 14: SetField(a.addressKey, text, 12); a.postalEmpty = 0; break;
    case 15: SetField(a.deliveryPointSuffix, text, 12); a.postalEmpty = 0; break;
    case 16:
      SetField(a.postalPostCode, text, 12);
      AttributeValue(t, "osgb:postCode type=", 20, 12, a.postalPostCodeType);
      a.postalEmpty = 0;
      break;
    case 17: SetField(a.postTown, text, 32); a.postalEmpty = 0; break;
    case 18: SetField(a.postalThoroughfare, text, 32); a.postalEmpty = 0; break;
    case 19: SetField(a.postalBuildingName, text, 64); a.postalEmpty = 0; break;
    case 20: SetField(a.buildingNumber, text, 16); break;
    case 21: SetField(a.organisation, text, 64); break;
    case 22: a.multipleOccupancyCount = ParseGmlInt(text); break;
    case 23:
      SetField(a.postCode, text, 12);
      AttributeValue(t, "osgb:postCode type=", 20, 12, a.postCodeType);
      break;
    case 24: SetField(a.baseFunction, text, 32); break;
    case 25: SetField(a.dependentLocality, text, 64); break;
    case 26: SetField(a.dependentThoroughfare, text, 32); break;
    case 27: SetField(a.thoroughfare, text, 32); break;
    case 28: SetField(a.subBuildingName, text, 64); break;
    case 29: SetField(a.buildingName, text, 64); break;
    case 30: SetField(a.poBox, text, 16); break;
    case 31: SetField(a.department, text, 64); break;
    case 32: SetField(a.osapr, text, 32); break;
  }
  return true;
}

bool GmlPass::StoreAttribute(const char* t, GmlElement element) {
  enum Kind {
    kAreaValue, kHeightAboveDatum, kRoadName, kTerm, kFeatureCode, kMake, kChangeDate, kReason,
    kGroup, kAccuracy, kPresence, kNature, kTheme, kVersionDate, kTextString, kLength,
    kOrientation, kHeight, kAnchor, kLevel, kVersion
  };
  struct Handler {
    GmlElement element;
    Kind kind;
  };
  static const Handler handlers[] = {
      {GmlElement::kCalculatedAreaValue, kAreaValue},
      {GmlElement::kHeightAboveDatum, kHeightAboveDatum},
      {GmlElement::kRoadName, kRoadName},             {GmlElement::kPathName, kRoadName},
      {GmlElement::kDescriptiveTerm, kTerm},          {GmlElement::kFeatureCode, kFeatureCode},
      {GmlElement::kMake, kMake},                     {GmlElement::kChangeDate, kChangeDate},
      {GmlElement::kReasonForChange, kReason},        {GmlElement::kDescriptiveGroup, kGroup},
      {GmlElement::kAccuracyOfPosition, kAccuracy},   {GmlElement::kPhysicalPresence, kPresence},
      {GmlElement::kNatureOfRoad, kNature},           {GmlElement::kNatureOfPath, kNature},
      {GmlElement::kTheme, kTheme},                   {GmlElement::kVersionDate, kVersionDate},
      {GmlElement::kTextString, kTextString},         {GmlElement::kLength, kLength},
      {GmlElement::kOrientation, kOrientation},       {GmlElement::kHeight, kHeight},
      {GmlElement::kAnchorPosition, kAnchor},         {GmlElement::kPhysicalLevel, kLevel},
  };
  Kind kind;
  bool found = false;
  for (const Handler& h : handlers) {
    if (h.kind == kLength && !inRoadLink) continue;
    if (h.element == element) {
      kind = h.kind;
      found = true;
      break;
    }
  }
  if (!found && strcasecmp(t, "osgb:version") == 0) {
    kind = kVersion;
    found = true;
  }
  if (!found) return false;
  if (!view.ReadGmlText(archive, text, kGmlMaxTagLength, &fileConsumed)) return false;
  DecodeXmlText(text);
  switch (kind) {
    case kAreaValue: calculatedAreaValue = ParseGmlDouble(text); break;
    case kHeightAboveDatum: heightAboveDatum = ParseGmlDouble(text); break;
    case kRoadName: SetField(roadName, text); break;
    case kTerm:
      SetField(common.descriptiveTerm, text);
      AppendValue(terms, &termCount, kMaxListedTerms, text);
      break;
    case kFeatureCode: SetField(common.featureCode, text); break;
    case kMake: SetField(common.make, text); break;
    case kChangeDate: SetField(common.changeDate, text); break;
    case kReason: SetField(common.reasonForChange, text); break;
    case kGroup:
      SetField(common.descriptiveGroup, text);
      AppendValue(groups, &groupCount, kMaxListedGroups, text);
      break;
    case kAccuracy: SetField(accuracyOfPosition, text); break;
    case kPresence: SetField(physicalPresence, text); break;
    case kNature: SetField(natureOfRoad, text); break;
    case kTheme:
      SetField(common.theme, text);
      AppendValue(themes, &themeCount, kMaxListedThemes, text);
      break;
    case kVersionDate: SetField(common.versionDate, text); break;
    case kTextString: SetField(textString, text); break;
    case kLength: length = ParseGmlDouble(text); break;
    case kOrientation: orientation = ParseGmlDouble(text); break;
    case kHeight: height = ParseGmlDouble(text); break;
    case kAnchor: anchorPosition = ParseGmlInt(text); break;
    case kLevel: physicalLevel = ParseGmlInt(text); break;
    case kVersion: version = ParseGmlInt(text); break;
  }
  return true;
}

// References, coordinates and TOIDs -------------------------------------------------

void GmlPass::OnReferences(const char* t, GmlElement element) {
  OSGMLInputView& v = view;
  if (element == GmlElement::kDirectedNode) {
    if ((v.settings.inputRoadLinks || v.settings.inputRoads) && inRoadLink) {
      const char* at = std::strstr(t, "xlink:href='#osgb");
      if (at != nullptr) {
        char toid[kToidWidth];
        const char* p = at + std::strlen("xlink:href='#osgb");
        std::size_t i = 0;
        while (i < kToidWidth - 1 && p[i] != 0 && p[i] != '\'') {
          toid[i] = p[i];
          ++i;
        }
        toid[i] = 0;
        if (std::strstr(t, "orientation='-'") != nullptr)
          SetField(startNode, toid);
        else
          SetField(endNode, toid);
      }
    }
  } else if (element == GmlElement::kNetworkMember && t[18] == ' ') {
    if (v.settings.inputRoads && inRoad && DrawMode()) {
      MemberReference member{};
      if (ReferencedToid(t, member.toid)) {
        member.reversed = std::strstr(t, "orientation='-'") != nullptr ? 1 : 0;
        if (!roadMembersCreated) {
          if (!GrowArrayCreate(50, sizeof(MemberReference), &roadMembers)) {
            sound = false;
            return;
          }
          roadMembersCreated = true;
        }
        if (!GrowArraySetGrowBy(&roadMembers, roadMembers.count, &member, 100)) sound = false;
      }
    }
  } else if (element == GmlElement::kRingMember && t[15] == ' ') {
    AddRingMember(t);
  }
}

void GmlPass::OnCoordinates() {
  OSGMLInputView& v = view;
  if (v.settings.inputPolygons && inArea && inOsgbPolygon && (inGmlOuter || inGmlInner)) {
    ReadAllTuples(false);
  } else if (v.settings.inputRoads && inRoad && inGmlBox) {
    ReadAllTuples(false);
  } else if ((v.settings.inputRoadLinks || v.settings.inputRoads) && inRoadLink && inOsgbPolyline) {
    coordinatePosition = CoordinatePosition();
    if (v.settings.inputRoadLinks || spilling) ReadAllTuples(spilling);
  } else if ((v.settings.inputTopoLines || v.settings.inputPolygons) && inLine && inOsgbPolyline) {
    coordinatePosition = CoordinatePosition();
    if (v.settings.inputTopoLines || spilling) ReadAllTuples(spilling && v.settings.inputPolygons);
  } else if (inOsgbPoint && ((v.settings.inputCartoSymbols && inSymbol) ||
                             (v.settings.inputRoadNodes && inRoadNode) ||
                             (v.settings.inputTopoPoints && inPoint) ||
                             (v.settings.inputAddressPoints && inAddress))) {
    ReadOneTuple();
  } else if (v.settings.inputCartoText && inText && inGmlPoint) {
    ReadOneTuple();
  }
}

void GmlPass::CaptureToid(const char* t) {
  struct Pattern {
    const char* text;
    std::size_t minLength;
  };
  static const Pattern patterns[] = {
      {"osgb:TopographicPoint fid='osgb", 40}, {"osgb:TopographicLine fid='osgb", 40},
      {"osgb:CartographicText fid='osgb", 40}, {"osgb:CartographicSymbol fid='osgb", 40},
      {"osgb:TopographicArea fid='osgb", 40},  {"osgb:DepartedFeature fid='osgb", 40},
      {"osgb:RoadNode fid='osgb", 35},         {"osgb:RoadLink fid='osgb", 35},
      {"osgb:Road fid='osgb", 35},             {"osgb:PathNode fid='osgb", 35},
      {"osgb:PathLink fid='osgb", 35},         {"osgb:Path fid='osgb", 35},
      {"osgb:BoundaryLine fid='osgb", 40},     {"osgb:AddressPoint fid='osgb", 40},
  };
  // Every pattern holds a blank.
  if (!tagHasBlank || std::strstr(t, "fid='osgb") == nullptr) return;
  for (const Pattern& p : patterns) {
    const bool departed = p.text[5] == 'D';
    if (departed && !view.updateMode) continue;
    char toid[kToidWidth];
    if (!ToidAfter(t, p.text, p.minLength, toid)) continue;
    if (departed) {
      DepartedFeatureToid entry{};
      SetField(entry.toid, toid);
      if (!GrowArraySetGrowBy(&view.departedToids, view.departedToids.count, &entry, 2000))
        sound = false;
    } else {
      SetField(common.toid, toid);
    }
    return;
  }
}

// End tags ----------------------------------------------------------------------------

void GmlPass::OnEndTag(const char* t) {
  OSGMLInputView& v = view;
  if (t[0] != '/') return;  // a self-closing element not listed as a start tag
  const char* name = t + 1;
  using enum GmlElement;
  const GmlElement e = ClassifyElement(name).element;
  if (e == kTopographicLine || e == kBoundaryLine) {
    EndLine();
  } else if (e == kTopographicPoint) {
    EndPointLike(&v.points, v.settings.inputTopoPoints, &v.keptPoints, false);
    inPoint = false;
  } else if (e == kCartographicSymbol) {
    EndPointLike(&v.symbols, v.settings.inputCartoSymbols, &v.keptSymbols, false);
    inSymbol = false;
  } else if (e == kCartographicText) {
    EndPointLike(&v.texts, v.settings.inputCartoText, &v.keptTexts, true);
    inText = false;
  } else if (e == kRoadLink || e == kPathLink) {
    EndRoadLink();
  } else if (e == kRoadNode || e == kPathNode) {
    EndRoadNode();
  } else if ((e == kRoad || e == kPath) && name[9] == 0) {
    EndRoad();
  } else if (e == kAddressPoint) {
    EndAddressPoint();
  } else if (e == kTopographicArea) {
    EndArea();
  } else if (e == kGmlOuterBoundary) {
    EndOuterBoundary();
  } else if (e == kGmlInnerBoundary) {
    EndInnerBoundary();
  } else if (e == kOsgbOuterBoundary || e == kOsgbInnerBoundary) {
    EndReferenceBoundary();
  } else if (e == kOsgbPoint) {
    inOsgbPoint = false;
  } else if (e == kOsgbPolyline) {
    inOsgbPolyline = false;
  } else if (e == kOsgbPolygon) {
    inOsgbPolygon = false;
  } else if (e == kGmlPoint) {
    inGmlPoint = false;
  } else if (e == kGmlBox) {
    inGmlBox = false;
  } else if (e == kBs7666Attributes) {
    inBs7666 = false;
  } else if (e == kAddressAuthority) {
    inAuthority = false;
  } else if (e == kAddressStatus) {
    inStatus = false;
  } else if (e == kPostalAddress) {
    inPostal = false;
  }
}

// Points, symbols and texts --------------------------------------------------------

void GmlPass::EndPointLike(GrowArray* target, std::int32_t read, std::int32_t* kept,
                           bool isText) {
  OSGMLInputView& v = view;
  if (read && tuples.count > 0 && PropertyPasses()) {
    CoordinateTuple first;
    (void)GrowArrayGet(&tuples, 0, &first);
    const double z = TupleZ(first);
    if (!Filtered() || InsideFilter(first.x, first.y)) {
      ++*kept;
      v.UpdateReadExtent(first.x, first.y, z);
      if (keepRecords) {
        bool stored;
        if (isText) {
          TextFeatureRecord r{};
          r.common = common;
          r.physicalLevel = physicalLevel;
          r.version = version;
          SetField(r.textString, textString);
          r.anchorPosition = anchorPosition;
          r.x = first.x;
          r.y = first.y;
          r.z = z;
          r.orientation = orientation;
          r.height = height;
          stored = GrowArraySetGrowBy(target, target->count, &r, 500);
        } else {
          PointFeatureRecord r{};
          r.common = common;
          SetField(r.accuracyOfPosition, accuracyOfPosition);
          SetField(r.physicalPresence, physicalPresence);
          r.physicalLevel = physicalLevel;
          r.version = version;
          r.x = first.x;
          r.y = first.y;
          r.z = z;
          r.orientation = orientation;
          stored = GrowArraySetGrowBy(target, target->count, &r, 500);
        }
        if (!stored) sound = false;
      }
    }
  }
  EmptyTuples();
  ClearTexts();
  if (isText) SetBackHeightAndOrientation();
}

// Lines ------------------------------------------------------------------------------

bool GmlPass::LineLeavesFileExtent() const {
  for (std::int32_t i = 0; i < tuples.count; ++i) {
    const auto* t = static_cast<const CoordinateTuple*>(tuples.data) + i;
    if (t->x <= file->minX || t->x >= file->maxX || t->y <= file->minY || t->y >= file->maxY)
      return true;
  }
  return false;
}

// Tests the tuple list against the location filter: without trimming, every
// tuple inside (mode 0) or one (mode 1); with trimming the tuple list is cut
// to the pieces inside.
bool GmlPass::PassesLocation(bool trim, bool* trimmedAway) {
  *trimmedAway = false;
  if (!Filtered()) return true;
  if (trim) {
    if (!TrimLineToFilter(*view.activeLocationFilter, &tuples)) {
      *trimmedAway = true;
      return false;
    }
    return true;
  }
  const auto* t = static_cast<const CoordinateTuple*>(tuples.data);
  if (view.settings.locationMode == 0) {
    for (std::int32_t i = 0; i < tuples.count; ++i)
      if (!InsideFilter(t[i].x, t[i].y)) return false;
    return true;
  }
  for (std::int32_t i = 0; i < tuples.count; ++i)
    if (InsideFilter(t[i].x, t[i].y)) return true;
  return false;
}

// Turns the tuple list of a passing line or link into LinePoints (stored in
// `points` when `store`), or preview points; the first vertex kept raises
// `kept`.
bool GmlPass::BuildLinePoints(bool store, GrowArray* points, bool* counted, std::int32_t* kept) {
  OSGMLInputView& v = view;
  const auto* t = static_cast<const CoordinateTuple*>(tuples.data);
  LinePoint last{};
  bool any = false;
  for (std::int32_t i = 0; i < tuples.count; ++i) {
    if (!t[i].hasX) {
      // A piece break of a trimmed line.
      if (DrawMode() && store) {
        LinePoint p{kLinePointBreak, t[i].x, t[i].y, TupleZ(t[i])};
        if (!GrowArraySetGrowBy(points, points->count, &p, 50)) return false;
      }
      continue;
    }
    if (!*counted) {
      *counted = true;
      ++*kept;
    }
    if (DrawMode()) {
      LinePoint p{kLinePointVertex, t[i].x, t[i].y, TupleZ(t[i])};
      v.UpdateReadExtent(p.x, p.y, p.z);
      if (store && !GrowArraySetGrowBy(points, points->count, &p, 50)) return false;
      last = p;
      any = true;
    } else {
      v.UpdateReadExtent(t[i].x, t[i].y, TupleZ(t[i]));
      if (PreviewMode() &&
          !GrowArraySetGrowBy(&v.previewPoints, v.previewPoints.count, &t[i], 5000))
        return false;
    }
  }
  if (PreviewMode()) {
    CoordinateTuple end{};
    if (!GrowArraySetGrowBy(&v.previewPoints, v.previewPoints.count, &end, 5000)) return false;
  }
  if (DrawMode() && store && any) {
    last.tag = kLinePointEnd;
    if (!GrowArraySetGrowBy(points, points->count, &last, 50)) return false;
  }
  return true;
}

bool GmlPass::PassingLinePoints(bool store, std::int32_t* kept, GrowArray* points) {
  OSGMLInputView& v = view;
  bool trimmedAway;
  if (!PassesLocation(v.settings.trimLinesToAreaEdges != 0, &trimmedAway)) return false;
  bool created = false;
  if (store) {
    created = GrowArrayCreate(tuples.count + 1, sizeof(LinePoint), points);
    if (!created) {
      (void)host::ui::ShowMessageBox(L"Out of memory - have to cancel, sorry.", L"");
      sound = false;
    }
  }
  bool counted = false;
  if (sound && !BuildLinePoints(store, points, &counted, kept)) sound = false;
  if (sound && store && v.activeFileCount > 1 && LineLeavesFileExtent() &&
      !v.crossFileToids.InsertPointers(common.toid, -1, -1))
    sound = false;
  if (!created) return false;
  // The register owns the list once it holds it; a list that no record
  // takes is freed here.
  if (sound && points->count > 1 && v.RegisterNestedArray(*points)) return true;
  if (sound && points->count > 1) sound = false;  // the register was full
  GrowArrayFree(points);
  return false;
}

void GmlPass::EndLine() {
  OSGMLInputView& v = view;
  bool crossFile = false;
  if (v.activeFileCount > 1) crossFile = v.crossFileToids.Find(common.toid) != nullptr;
  const bool taken =
      (v.settings.inputTopoLines || countOnly || (v.settings.inputPolygons && Filtered())) &&
      tuples.count > 1 && PropertyPasses() && !crossFile;
  if (taken) {
    // Only a line that is drawn gets a point list.
    std::int32_t ignored = 0;
    GrowArray points{};
    if (PassingLinePoints(DrawMode() && v.settings.inputTopoLines,
                          v.settings.inputTopoLines ? &v.keptLines : &ignored, &points)) {
      LineFeatureRecord r{};
      r.common = common;
      SetField(r.accuracyOfPosition, accuracyOfPosition);
      SetField(r.physicalPresence, physicalPresence);
      r.physicalLevel = physicalLevel;
      r.version = version;
      r.points = points;
      if (!PagedGrowArraySet(&v.lines, v.lines.count, &r, 50000)) sound = false;
    }
  }
  EmptyTuples();
  inLine = false;
  if (DrawMode() && v.settings.inputPolygons) {
    if (!lineToids.InsertPointers(common.toid, coordinatePosition, 0)) sound = false;
  }
  ClearTexts();
}
