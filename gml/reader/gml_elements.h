// The element names the reader acts on, and the lookup that turns the start
// of a tag's text into one of them, so that the tag loop compares small
// numbers instead of strings.
#pragma once

#include <cstddef>
#include <cstdint>

// X(identifier, element name)
#define GML_READER_ELEMENTS(X)                                   \
  X(kRoad, "osgb:Road")                                          \
  X(kPath, "osgb:Path")                                          \
  X(kRoadLink, "osgb:RoadLink")                                  \
  X(kPathLink, "osgb:PathLink")                                  \
  X(kRoadNode, "osgb:RoadNode")                                  \
  X(kPathNode, "osgb:PathNode")                                  \
  X(kTopographicArea, "osgb:TopographicArea")                    \
  X(kTopographicPoint, "osgb:TopographicPoint")                  \
  X(kAddressPoint, "osgb:AddressPoint")                          \
  X(kTopographicLine, "osgb:TopographicLine")                    \
  X(kBoundaryLine, "osgb:BoundaryLine")                          \
  X(kCartographicSymbol, "osgb:CartographicSymbol")              \
  X(kCartographicText, "osgb:CartographicText")                  \
  X(kOsgbPoint, "osgb:point")                                    \
  X(kOsgbPolyline, "osgb:polyline")                              \
  X(kOsgbPolygon, "osgb:polygon")                                \
  X(kGmlBox, "gml:Box")                                          \
  X(kGmlOuterBoundary, "gml:outerBoundaryIs")                    \
  X(kGmlInnerBoundary, "gml:innerBoundaryIs")                    \
  X(kOsgbOuterBoundary, "osgb:outerBoundaryIs")                  \
  X(kOsgbInnerBoundary, "osgb:innerBoundaryIs")                  \
  X(kGmlPoint, "gml:Point")                                      \
  X(kGmlCoordinates, "gml:coordinates")                          \
  X(kBs7666Attributes, "osgb:bs7666Attributes")                  \
  X(kAddressAuthority, "osgb:addressAuthority")                  \
  X(kAddressStatus, "osgb:addressStatus")                        \
  X(kPostalAddress, "osgb:postalAddress")                        \
  X(kDirectedNode, "osgb:directedNode")                          \
  X(kNetworkMember, "osgb:networkMember")                        \
  X(kRingMember, "osgb:ringMember")                              \
  /* feature attributes */                                       \
  X(kCalculatedAreaValue, "osgb:calculatedAreaValue")            \
  X(kHeightAboveDatum, "osgb:heightAboveDatum")                  \
  X(kRoadName, "osgb:roadName")                                  \
  X(kPathName, "osgb:pathName")                                  \
  X(kDescriptiveTerm, "osgb:descriptiveTerm")                    \
  X(kFeatureCode, "osgb:featureCode")                            \
  X(kMake, "osgb:make")                                          \
  X(kChangeDate, "osgb:changeDate")                              \
  X(kReasonForChange, "osgb:reasonForChange")                    \
  X(kDescriptiveGroup, "osgb:descriptiveGroup")                  \
  X(kAccuracyOfPosition, "osgb:accuracyOfPosition")              \
  X(kPhysicalPresence, "osgb:physicalPresence")                  \
  X(kNatureOfRoad, "osgb:natureOfRoad")                          \
  X(kNatureOfPath, "osgb:natureOfPath")                          \
  X(kTheme, "osgb:theme")                                        \
  X(kVersionDate, "osgb:versionDate")                            \
  X(kTextString, "osgb:textString")                              \
  X(kLength, "osgb:length")                                      \
  X(kOrientation, "osgb:orientation")                            \
  X(kHeight, "osgb:height")                                      \
  X(kAnchorPosition, "osgb:anchorPosition")                      \
  X(kPhysicalLevel, "osgb:physicalLevel")                        \
  /* address attributes: keep them last (IsAddressAttribute) */ \
  X(kPostCode, "osgb:postCode")                                  \
  X(kAdminArea, "osgb:adminArea")                                \
  X(kTown, "osgb:town")                                          \
  X(kLocality, "osgb:locality")                                  \
  X(kStreet, "osgb:street")                                      \
  X(kPaon, "osgb:paon")                                          \
  X(kSaon, "osgb:saon")                                          \
  X(kUdprn, "osgb:UDPRN")                                        \
  X(kUarn, "osgb:UARN")                                          \
  X(kStructureType, "osgb:structureType")                        \
  X(kPositionalQuality, "osgb:positionalQuality")                \
  X(kPhysicalStatus, "osgb:physicalStatus")                      \
  X(kMatchStatus, "osgb:matchStatus")                            \
  X(kOrganisationKey, "osgb:organisationKey")                    \
  X(kAddressKey, "osgb:addressKey")                              \
  X(kDeliveryPointSuffix, "osgb:deliveryPointSuffix")            \
  X(kPostTown, "osgb:postTown")                                  \
  X(kThoroughfare, "osgb:thoroughfare")                          \
  X(kCapitalBuildingName, "osgb:BuildingName")                   \
  X(kBuildingNumber, "osgb:buildingNumber")                      \
  X(kOrganisation, "osgb:organisation")                          \
  X(kMultipleOccupancyCount, "osgb:multipleOccupancyCount")      \
  X(kBaseFunction, "osgb:baseFunction")                          \
  X(kDependentLocality, "osgb:dependentLocality")                \
  X(kDependentThoroughfare, "osgb:dependentThoroughfare")        \
  X(kSubBuildingName, "osgb:subBuildingName")                    \
  X(kBuildingName, "osgb:buildingName")                          \
  X(kPoBox, "osgb:PoBox")                                        \
  X(kDepartment, "osgb:department")                              \
  X(kOsapr, "osgb:OSAPR")

enum class GmlElement : std::uint8_t {
  kOther,  // any element the reader does not act on by name
#define GML_READER_ELEMENT_ENUM(id, name) id,
  GML_READER_ELEMENTS(GML_READER_ELEMENT_ENUM)
#undef GML_READER_ELEMENT_ENUM
};

// True for the elements of an address point's attributes, which are listed
// last.
inline bool IsAddressAttribute(GmlElement element) { return element >= GmlElement::kPostCode; }

// The element a tag's text names, and where its name ends.
struct ElementName {
  GmlElement element = GmlElement::kOther;
  // Characters of the name: the tag's text up to its end or the first blank,
  // tab, line break or '/'.
  std::size_t length = 0;
};

// The element named at the start of `tag`: the name runs up to the end of
// the text or the first ' ', '\t', '\n', '\r' or '/', and must equal one of
// the names above exactly.
ElementName ClassifyElement(const char* tag);
