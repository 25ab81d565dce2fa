#include "gml/settings/settings_messages.h"

#include "host/ui/message_box.h"

namespace gml_settings {

void ShowMessageBox(const std::wstring& text) {
  // An OK box: whatever the answer, reading goes on.
  (void)host::ui::ShowMessageBox(text, L"");
}

}  // namespace gml_settings
