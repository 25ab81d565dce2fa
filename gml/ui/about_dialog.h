// "About Orvane": the product name in a larger bold font, the picture and a
// line on what the add-in does.
#pragma once

#include "host/ui/dialog.h"

inline constexpr int kAboutTemplate = 100;
inline constexpr int kIdProductName = 258;
inline constexpr int kAboutBitmap = 217;

host::ui::DialogTemplate AboutTemplate();

class AboutDialogBox : public host::ui::Dialog {
 public:
  explicit AboutDialogBox(host::ui::Dialog* parent = nullptr);
  bool OnInitDialog() override;
};
