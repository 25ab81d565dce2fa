#include "gml/settings/settings_messages.h"

#include "host/system/user_actions.h"

namespace gml_settings {

void ShowMessageBox(const std::wstring& text) { host::Shown().Add("message_box", text); }

}  // namespace gml_settings
