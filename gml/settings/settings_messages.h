// Messages of the settings and filters to the user.
//
// The support files report a missing or unreadable file in a message box
// and go on. Everything shown goes through this one function, so that the
// message boxes of the stand-in host serve it in one place.
#pragma once

#include <string>

namespace gml_settings {

void ShowMessageBox(const std::wstring& text);

}  // namespace gml_settings
