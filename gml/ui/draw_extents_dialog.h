// "Draw OS MasterMap Extents": whether the extents command draws the outline
// of the data actually covered or the rectangle around it. The two choices
// exclude each other.
#pragma once

#include "host/ui/dialog.h"

inline constexpr int kDrawExtentsTemplate = 247;
inline constexpr int kIdRectangularOutline = 405;
inline constexpr int kIdActualOutline = 406;

host::ui::DialogTemplate DrawExtentsTemplate();

class CDrawMMExtents : public host::ui::Dialog {
 public:
  explicit CDrawMMExtents(host::ui::Dialog* parent = nullptr);
  bool OnInitDialog() override;
  void OnOK() override;

  int actualOutline = 1;
  int rectangularOutline = 0;
};
