// The tag loop of a pass: which feature or context a tag opens or closes,
// attribute elements, coordinates, references and TOIDs; and the ends of the
// topographic points, symbols, texts and lines.
#include <strings.h>

#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "gml/reader/gml_elements.h"
#include "gml/reader/gml_numbers.h"
#include "gml/reader/gml_pass.h"
#include "gml/reader/gml_tokens.h"
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

// True when `text` (what follows "osgb") can be a TOID: digits alone, as
// many as the field holds at most.
bool IsToidText(std::string_view text) {
  if (text.empty() || text.size() > kToidWidth - 1) return false;
  for (const char c : text)
    if (c < '0' || c > '9') return false;
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
// apostrophe, as many as `field` holds, into `field`.
void AttributeValue(const char* tag, const char* pattern, std::size_t offset,
                    std::span<char> field) {
  const char* at = std::strstr(tag, pattern);
  if (at == nullptr || std::strlen(at) < offset) return;
  const char* p = at + offset;
  std::size_t i = 0;
  while (i + 1 < field.size() && p[i] != 0 && p[i] != '\'') {
    field[i] = p[i];
    ++i;
  }
  field[i] = 0;
}

void AppendValue(DescriptiveValue* list, int* count, int max, const char* value) {
  if (*count >= max) return;
  // The entry is cleared first: records take entries whole, and what an
  // earlier value left behind its end has no place in them.
  list[*count] = DescriptiveValue{};
  CopyUtf8Field(list[*count].text, value);
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
  using enum GmlElement;
  const GmlElement e = ClassifyElement(t).element;
  // A number refused in one feature leaves out that feature alone.
  switch (e) {
    case kRoad: case kPath: case kRoadLink: case kPathLink: case kRoadNode: case kPathNode:
    case kTopographicArea: case kTopographicPoint: case kAddressPoint: case kTopographicLine:
    case kBoundaryLine: case kCartographicSymbol: case kCartographicText:
      numberRefused = false;
      break;
    default:
      break;
  }
  // Every feature starts with an empty tuple list: the coordinates of a
  // feature whose end tag never came are not carried into the next one.
  // A road stands apart: the chain below runs after it on the same tag.
  if ((e == kRoad || e == kPath) && t[9] == ' ') {
    inRoad = true;
    ++out->seenRoads;
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
    ++out->seenRoadLinks;
    EmptyTuples();
    coordinatePosition = -1;  // until its coordinates come
    positionKnown = true;
    if (DrawMode()) {
      length = 0;
      natureOfRoad[0] = 0;
      common = CommonAttributes{};
      startNode[0] = 0;
      endNode[0] = 0;
    }
  } else if (e == kRoadNode || e == kPathNode) {
    inRoadNode = true;
    ++out->seenRoadNodes;
    EmptyTuples();
    ClearTexts();
  } else if (e == kTopographicArea) {
    EmptyTuples();
    StartArea();
  } else if (e == kTopographicPoint) {
    inPoint = true;
    ++out->seenPoints;
    StartPointLike();
  } else if (e == kAddressPoint) {
    inAddress = true;
    ++out->seenAddressPoints;
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
    ++out->seenLines;
    EmptyTuples();
    coordinatePosition = -1;  // until its coordinates come
    positionKnown = true;
    if (DrawMode()) {
      SetBackHeightAndOrientation();
      ClearTexts();
      ClearValueLists();
    }
  } else if (e == kCartographicSymbol) {
    inSymbol = true;
    ++out->seenSymbols;
    StartPointLike();
  } else if (e == kCartographicText) {
    inText = true;
    ++out->seenTexts;
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
  if (e == kGmlCoordinates) {
    if (inRoad || inRoadLink || inRoadNode || inArea || inPoint || inAddress || inLine || inSymbol ||
        inText)
      ++out->featureGeometries;
    OnCoordinates();
  }
  CaptureToid(t);
}

// Attribute elements ----------------------------------------------------------------

namespace {

enum Group { kAny, kBs7666, kAuthority, kStatus, kPostal };

// As many characters as a field holds.
constexpr std::size_t kWholeField = static_cast<std::size_t>(-1);

// A text field of the address record, with the width its array has.
using AddressField = std::span<char> (*)(AddressPointRecord&);
template <auto Member>
std::span<char> FieldOf(AddressPointRecord& a) {
  return a.*Member;
}

// One address attribute: where its element counts, the field its text goes
// to, the group flag it clears, and a type attribute of the tag stored
// beside it (the characters from `typeOffset` after `typePattern`).
struct AddressRow {
  GmlElement element;
  Group group;
  AddressField field;                          // nullptr: osgb:multipleOccupancyCount, a number
  char AddressPointRecord::*filled = nullptr;  // the group's "empty" flag
  std::size_t maxChars = kWholeField;
  const char* typePattern = nullptr;
  std::size_t typeOffset = 0;
  AddressField typeField = nullptr;
};

using A = AddressPointRecord;
constexpr const char kPostCodeType[] = "osgb:postCode type=";
constexpr std::size_t kPostCodeTypeOffset = 20;
constexpr const char kAccuracy[] = "osgb:positionalQuality accuracy=";
constexpr std::size_t kAccuracyOffset = 33;

// Tried in this order; the first whose element and group match reads the
// value.
constexpr AddressRow kAddressRows[] = {
    {GmlElement::kPostCode, kBs7666, FieldOf<&A::bs7666PostCode>, &A::bs7666Empty, kWholeField,
     kPostCodeType, kPostCodeTypeOffset, FieldOf<&A::bs7666PostCodeType>},
    {GmlElement::kAdminArea, kBs7666, FieldOf<&A::adminArea>, &A::bs7666Empty},
    {GmlElement::kTown, kBs7666, FieldOf<&A::town>, &A::bs7666Empty},
    {GmlElement::kLocality, kBs7666, FieldOf<&A::locality>, &A::bs7666Empty},
    {GmlElement::kStreet, kBs7666, FieldOf<&A::street>, &A::bs7666Empty},
    {GmlElement::kPaon, kBs7666, FieldOf<&A::paon>, &A::bs7666Empty},
    {GmlElement::kSaon, kBs7666, FieldOf<&A::saon>, &A::bs7666Empty},
    {GmlElement::kUdprn, kAuthority, FieldOf<&A::udprn>, &A::authorityEmpty},
    {GmlElement::kUarn, kAuthority, FieldOf<&A::uarn>, &A::authorityEmpty},
    {GmlElement::kStructureType, kStatus, FieldOf<&A::structureType>, &A::statusEmpty},
    {GmlElement::kPositionalQuality, kStatus, FieldOf<&A::positionalQuality>, &A::statusEmpty,
     kWholeField, kAccuracy, kAccuracyOffset, FieldOf<&A::positionalAccuracy>},
    {GmlElement::kPhysicalStatus, kStatus, FieldOf<&A::physicalStatus>, &A::statusEmpty},
    {GmlElement::kMatchStatus, kStatus, FieldOf<&A::matchStatus>, &A::statusEmpty},
    {GmlElement::kOrganisationKey, kPostal, FieldOf<&A::organisationKey>, &A::postalEmpty,
     kOrganisationKeyChars},
    {GmlElement::kAddressKey, kPostal, FieldOf<&A::addressKey>, &A::postalEmpty},
    {GmlElement::kDeliveryPointSuffix, kPostal, FieldOf<&A::deliveryPointSuffix>, &A::postalEmpty},
    {GmlElement::kPostCode, kPostal, FieldOf<&A::postalPostCode>, &A::postalEmpty, kWholeField,
     kPostCodeType, kPostCodeTypeOffset, FieldOf<&A::postalPostCodeType>},
    {GmlElement::kPostTown, kPostal, FieldOf<&A::postTown>, &A::postalEmpty},
    {GmlElement::kThoroughfare, kPostal, FieldOf<&A::postalThoroughfare>, &A::postalEmpty},
    {GmlElement::kCapitalBuildingName, kPostal, FieldOf<&A::postalBuildingName>, &A::postalEmpty},
    // Building number and organisation alone do not make the postal group
    // present.
    {GmlElement::kBuildingNumber, kPostal, FieldOf<&A::buildingNumber>},
    {GmlElement::kOrganisation, kPostal, FieldOf<&A::organisation>},
    {GmlElement::kMultipleOccupancyCount, kAny, nullptr},
    {GmlElement::kPostCode, kAny, FieldOf<&A::postCode>, nullptr, kWholeField, kPostCodeType,
     kPostCodeTypeOffset, FieldOf<&A::postCodeType>},
    {GmlElement::kBaseFunction, kAny, FieldOf<&A::baseFunction>},
    {GmlElement::kDependentLocality, kAny, FieldOf<&A::dependentLocality>},
    {GmlElement::kDependentThoroughfare, kAny, FieldOf<&A::dependentThoroughfare>},
    {GmlElement::kThoroughfare, kAny, FieldOf<&A::thoroughfare>},
    {GmlElement::kSubBuildingName, kAny, FieldOf<&A::subBuildingName>},
    {GmlElement::kBuildingName, kAny, FieldOf<&A::buildingName>},
    {GmlElement::kPoBox, kAny, FieldOf<&A::poBox>},
    {GmlElement::kDepartment, kAny, FieldOf<&A::department>},
    {GmlElement::kOsapr, kAny, FieldOf<&A::osapr>},
};

}  // namespace

bool GmlPass::StoreAddressAttribute(const char* t, GmlElement element) {
  if (!IsAddressAttribute(element)) return false;
  const AddressRow* found = nullptr;
  for (const AddressRow& row : kAddressRows) {
    const bool inGroup = row.group == kAny || (row.group == kBs7666 && inBs7666) ||
                         (row.group == kAuthority && inAuthority) ||
                         (row.group == kStatus && inStatus) || (row.group == kPostal && inPostal);
    if (inGroup && row.element == element) {
      found = &row;
      break;
    }
  }
  if (found == nullptr) return false;
  if (!ReadFeatureText(t)) return false;
  NoteTextEncoding(t, text);
  DecodeXmlText(text);
  AddressPointRecord& a = address;
  if (found->field == nullptr) {
    (void)ParseIntValue(t, text, &a.multipleOccupancyCount);
    return true;
  }
  const std::span<char> field = found->field(a);
  CopyUtf8Field(field.data(), field.size(), text, found->maxChars);
  if (found->typeField != nullptr) {
    const std::span<char> type = found->typeField(a);
    AttributeValue(t, found->typePattern, found->typeOffset, type);
  }
  if (found->filled != nullptr) a.*(found->filled) = 0;
  return true;
}

namespace {

// A text field of the current feature, with the width its array has.
using PassField = std::span<char> (*)(GmlPass&);
template <auto Member>
std::span<char> PassFieldOf(GmlPass& pass) {
  return pass.*Member;
}
template <auto Member>
std::span<char> CommonFieldOf(GmlPass& pass) {
  return pass.common.*Member;
}

// The lists of values a feature keeps besides its last one.
enum ValueList { kNoList, kTermList, kGroupList, kThemeList };

// One attribute element of the topography and ITN features: the text field,
// or the number, its value goes to.
struct AttributeRow {
  GmlElement element;
  PassField text = nullptr;
  double GmlPass::*real = nullptr;
  std::int32_t GmlPass::*integer = nullptr;
  ValueList list = kNoList;
};

using P = GmlPass;
using C = CommonAttributes;
constexpr AttributeRow kAttributeRows[] = {
    {GmlElement::kCalculatedAreaValue, nullptr, &P::calculatedAreaValue},
    {GmlElement::kHeightAboveDatum, nullptr, &P::heightAboveDatum},
    {GmlElement::kRoadName, PassFieldOf<&P::roadName>},
    {GmlElement::kPathName, PassFieldOf<&P::roadName>},
    {GmlElement::kDescriptiveTerm, CommonFieldOf<&C::descriptiveTerm>, nullptr, nullptr, kTermList},
    {GmlElement::kFeatureCode, CommonFieldOf<&C::featureCode>},
    {GmlElement::kMake, CommonFieldOf<&C::make>},
    {GmlElement::kChangeDate, CommonFieldOf<&C::changeDate>},
    {GmlElement::kReasonForChange, CommonFieldOf<&C::reasonForChange>},
    {GmlElement::kDescriptiveGroup, CommonFieldOf<&C::descriptiveGroup>, nullptr, nullptr,
     kGroupList},
    {GmlElement::kAccuracyOfPosition, PassFieldOf<&P::accuracyOfPosition>},
    {GmlElement::kPhysicalPresence, PassFieldOf<&P::physicalPresence>},
    {GmlElement::kNatureOfRoad, PassFieldOf<&P::natureOfRoad>},
    {GmlElement::kNatureOfPath, PassFieldOf<&P::natureOfRoad>},
    {GmlElement::kTheme, CommonFieldOf<&C::theme>, nullptr, nullptr, kThemeList},
    {GmlElement::kVersionDate, CommonFieldOf<&C::versionDate>},
    {GmlElement::kTextString, PassFieldOf<&P::textString>},
    {GmlElement::kLength, nullptr, &P::length},  // of a road link only
    {GmlElement::kOrientation, nullptr, &P::orientation},
    {GmlElement::kHeight, nullptr, &P::height},
    {GmlElement::kAnchorPosition, nullptr, nullptr, &P::anchorPosition},
    {GmlElement::kPhysicalLevel, nullptr, nullptr, &P::physicalLevel},
};
constexpr AttributeRow kVersionRow{GmlElement::kOther, nullptr, nullptr, &P::version};

}  // namespace

bool GmlPass::StoreAttribute(const char* t, GmlElement element) {
  const AttributeRow* found = nullptr;
  for (const AttributeRow& row : kAttributeRows) {
    if (row.element == GmlElement::kLength && !inRoadLink) continue;
    if (row.element == element) {
      found = &row;
      break;
    }
  }
  if (found == nullptr && strcasecmp(t, "osgb:version") == 0) found = &kVersionRow;
  if (found == nullptr) return false;
  if (!ReadFeatureText(t)) return false;
  NoteTextEncoding(t, text);
  DecodeXmlText(text);
  if (found->real != nullptr) {
    // A text's height and anchor stay until a text gives its own.
    if (ParseRealValue(t, text, &(this->*(found->real))) && found->real == &GmlPass::height)
      SetCarried(kCarriedTextHeight);
  } else if (found->integer != nullptr) {
    if (ParseIntValue(t, text, &(this->*(found->integer))) &&
        found->integer == &GmlPass::anchorPosition)
      SetCarried(kCarriedTextAnchor);
  } else {
    const std::span<char> field = found->text(*this);
    CopyUtf8Field(field.data(), field.size(), text);
  }
  if (found->list == kTermList) AppendValue(terms, &termCount, kMaxListedTerms, text);
  if (found->list == kGroupList) AppendValue(groups, &groupCount, kMaxListedGroups, text);
  if (found->list == kThemeList) AppendValue(themes, &themeCount, kMaxListedThemes, text);
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
          CopyField(startNode, toid);
        else
          CopyField(endNode, toid);
      }
    }
  } else if (element == GmlElement::kNetworkMember && t[18] == ' ') {
    // A refused road takes no more members: it is left out whole.
    if (v.settings.inputRoads && inRoad && DrawMode() && !numberRefused) {
      MemberReference member{};
      if (ReferencedToid(t, member.toid)) {
        if (roadMembersCreated && roadMembers.count >= kMaxFeatureMembers) {
          RefuseOversized("road", kMaxFeatureMembers, "members");
          return;
        }
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
    positionKnown = true;
    if (v.settings.inputRoadLinks || spilling) ReadAllTuples(spilling);
  } else if ((v.settings.inputTopoLines || v.settings.inputPolygons) && inLine && inOsgbPolyline) {
    coordinatePosition = CoordinatePosition();
    positionKnown = true;
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
      // A departed feature moves or erases the entities of its TOID: a value
      // that is no TOID must name none of them, where cut to the field it
      // would name another feature's.
      const char* value = std::strstr(t, p.text) + std::strlen(p.text);
      const std::string_view whole(value, std::strcspn(value, "'"));
      if (toid[0] != 0 && !IsToidText(whole)) {
        RefuseDepartedToid(whole);
        return;
      }
      DepartedFeatureToid entry{};
      CopyField(entry.toid, toid);
      if (!GrowArraySetGrowBy(&out->departedToids, out->departedToids.count, &entry, 2000))
        sound = false;
    } else {
      CopyField(common.toid, toid);
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
    EndPointLike(&out->points, v.settings.inputTopoPoints, &out->keptPoints, false);
    inPoint = false;
  } else if (e == kCartographicSymbol) {
    EndPointLike(&out->symbols, v.settings.inputCartoSymbols, &out->keptSymbols, false);
    inSymbol = false;
  } else if (e == kCartographicText) {
    EndPointLike(&out->texts, v.settings.inputCartoText, &out->keptTexts, true);
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
  } else if (e == kOther && !rootClosed && lookAhead == '>' && IsRootEnd(t)) {
    rootClosed = true;  // the whole file was there
  }
}

// Points, symbols and texts --------------------------------------------------------

void GmlPass::EndPointLike(GrowArray* target, std::int32_t read, std::int32_t* kept,
                           bool isText) {
  if (read && tuples.count > 0 && PropertyPasses()) {
    CoordinateTuple first;
    (void)GrowArrayGet(&tuples, 0, &first);
    const double z = TupleZ(first);
    if (!Filtered() || InsideFilter(first.x, first.y)) {
      ++*kept;
      out->UpdateReadExtent(first.x, first.y, z);
      if (keepRecords) {
        bool stored;
        if (isText) {
          TextFeatureRecord r{};
          r.common = common;
          r.physicalLevel = physicalLevel;
          r.version = version;
          CopyUtf8Field(r.textString, textString);
          TouchCarried(kCarriedTextHeight | kCarriedTextAnchor);
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
          CopyUtf8Field(r.accuracyOfPosition, accuracyOfPosition);
          CopyUtf8Field(r.physicalPresence, physicalPresence);
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
      out->UpdateReadExtent(p.x, p.y, p.z);
      if (store && !GrowArraySetGrowBy(points, points->count, &p, 50)) return false;
      last = p;
      any = true;
    } else {
      out->UpdateReadExtent(t[i].x, t[i].y, TupleZ(t[i]));
      if (PreviewMode() &&
          !GrowArraySetGrowBy(&out->previewPoints, out->previewPoints.count, &t[i], 5000))
        return false;
    }
  }
  if (PreviewMode()) {
    CoordinateTuple end{};
    if (!GrowArraySetGrowBy(&out->previewPoints, out->previewPoints.count, &end, 5000)) return false;
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
    created = GrowArrayCreateExact(tuples.count + 1, sizeof(LinePoint), points);
    if (!created) {
      ShowOutOfMemory();
      sound = false;
    }
  }
  bool counted = false;
  if (sound && !BuildLinePoints(store, points, &counted, kept)) sound = false;
  if (!created) return false;
  // The register owns the list once it holds it; a list that no record
  // takes is freed here.
  if (sound && points->count > 1 && out->RegisterNestedArray(*points)) return true;
  if (sound && points->count > 1) sound = false;  // the register was full
  GrowArrayFree(points);
  return false;
}

std::int64_t GmlPass::CrossFileCopy(CopyKind kind) {
  OSGMLInputView& v = view;
  if (v.activeFileCount <= 1) return kNewCopy;
  const BinaryTreeNode* node = v.crossFileToids.Find(common.toid);
  if (node == nullptr) return kNewCopy;
  // A copy of another kind under the TOID is no earlier copy of this
  // feature, and no record of it is taken over.
  const auto kindValue = static_cast<std::int64_t>(kind);
  if (node->payloadB < 0 || node->payloadB % 4 != kindValue || version <= node->payloadA)
    return kOutdatedCopy;
  return node->payloadB / 4;
}

bool GmlPass::NoteCrossFileCopy(CopyKind kind, std::int64_t index, bool replaces,
                                bool leavesExtent) {
  OSGMLInputView& v = view;
  if (v.activeFileCount <= 1) return true;
  if (replaces) {
    if (BinaryTreeNode* node = v.crossFileToids.Find(common.toid)) node->payloadA = version;
    return true;
  }
  if (!leavesExtent) return true;
  return v.crossFileToids.InsertPointers(common.toid, version,
                                         index * 4 + static_cast<std::int64_t>(kind));
}

void GmlPass::EndLine() {
  OSGMLInputView& v = view;
  DropRefusedSpill();
  const std::int64_t copy = CrossFileCopy(CopyKind::kLine);
  const bool taken =
      (v.settings.inputTopoLines || countOnly || (v.settings.inputPolygons && Filtered())) &&
      tuples.count > 1 && PropertyPasses() && copy != kOutdatedCopy;
  if (taken) {
    // Only a line that is drawn gets a point list. A newer copy of a line
    // an earlier file gave is counted there already.
    const bool replaces = copy >= 0;
    std::int32_t ignored = 0;
    GrowArray points{};
    if (PassingLinePoints(DrawMode() && v.settings.inputTopoLines,
                          v.settings.inputTopoLines && !replaces ? &out->keptLines : &ignored,
                          &points)) {
      LineFeatureRecord r{};
      r.common = common;
      CopyUtf8Field(r.accuracyOfPosition, accuracyOfPosition);
      CopyUtf8Field(r.physicalPresence, physicalPresence);
      r.physicalLevel = physicalLevel;
      r.version = version;
      r.points = points;
      const std::int64_t index = replaces ? copy : out->lines.count;
      if (!PagedGrowArraySet(&out->lines, static_cast<std::int32_t>(index), &r, 50000) ||
          !NoteCrossFileCopy(CopyKind::kLine, index, replaces, LineLeavesFileExtent()))
        sound = false;
    }
  }
  EmptyTuples();
  inLine = false;
  if (DrawMode() && v.settings.inputPolygons) {
    if (!NoteLinePosition(ToidTree::kLines, common.toid)) sound = false;
  }
  ClearTexts();
}
