// Wide text and its 8-bit form, as the host converts them.
//
// Byte n (1 to 255) is wide unit n and back, the rule the host's paths follow
// too (files.h). A conversion stops at a NUL; towards 8 bits it also stops at
// the first unit above 255, which has no 8-bit form.
#pragma once

#include <string>
#include <string_view>

namespace host {

std::wstring WidenText(std::string_view bytes);
std::string NarrowText(std::wstring_view text);

}  // namespace host
