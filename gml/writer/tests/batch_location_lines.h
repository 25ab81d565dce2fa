// The lines a batch import prints about its locations, as the tests of the
// batch run and of the import command read them.
#pragma once

#include <string>
#include <vector>

#include "host/system/user_actions.h"

namespace batch_test {

// The lines the run printed about its locations, in order: each drawing
// saved, skipped, stopped or not done.
inline std::vector<std::wstring> LocationLines() {
  std::vector<std::wstring> lines;
  for (const std::wstring& text : host::Shown().TextsOf("print"))
    for (const wchar_t* start : {L"AutoCAD Drawing file", L"Skipped", L"Stopped", L"Not done"})
      if (text.rfind(start, 0) == 0) lines.push_back(text);
  return lines;
}

}  // namespace batch_test
