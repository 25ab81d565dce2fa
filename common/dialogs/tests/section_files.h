// Small section files for the tests: long sections and cross sections as
// the section tools write them, as far as the readers read them.
#pragma once

#include <string>
#include <vector>

// A long section: chainage and level blocks of five lines.
inline std::string LongSection(const std::string& attributes, const std::vector<std::pair<double, double>>& blocks,
                               const std::string& trailer = "") {
  std::string text = "LWH long section file\nSection " + attributes + "\n";
  for (const auto& [chainage, level] : blocks)
    text += std::to_string(chainage) + "\n0.0\n0.0\n" + std::to_string(level) + "\n-\n";
  text += "Section end\n" + trailer;
  return text;
}

// A "Cross" line with its chainage text starting at the 27th character.
inline std::string CrossLine(const std::string& chainage) {
  return "Cross section at chainage " + chainage + " m\n";
}

// A cross section: sections of (offset, level) points.
inline std::string CrossSection(const std::string& attributes,
                                const std::vector<std::pair<double, std::vector<std::pair<double, double>>>>& sections,
                                bool roadEnd = true, const std::string& trailer = "") {
  std::string text = "LWH cross section file\nsecond line\nRoad " + attributes + "\n";
  for (const auto& [chainage, points] : sections) {
    text += CrossLine(std::to_string(chainage));
    for (const auto& [offset, level] : points)
      text += std::to_string(offset) + "\n0\n0\n" + std::to_string(level) + "\n-\n";
  }
  if (roadEnd) text += "Road end\n";
  return text + trailer;
}
