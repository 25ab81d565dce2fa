// The texts of the message boxes shown since the last ClearMessageBoxes().
#pragma once

#include <string>
#include <vector>

#include "host/ui/message_box.h"

inline std::vector<std::wstring> BoxTexts() {
  std::vector<std::wstring> texts;
  for (const host::ui::MessageBoxRecord& box : host::ui::MessageBoxes()) {
    texts.push_back(box.request.text);
  }
  return texts;
}
