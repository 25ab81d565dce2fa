// Small modal DCL boxes: yes/no/cancel in two forms, integer input with a
// range check, text input, append/overwrite/cancel and a one-button message.
//
// Each box loads its own DCL file from the support path, runs one dialog and
// unloads the file. When the file does not load or the dialog is not in it,
// the box says so on the command line and answers 0 (false for the input
// boxes, whose out value is then left alone). Every box has a narrow form
// that converts its texts to wide and back.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/editor/selection.h"
#include "host/system/entity_name.h"

// 1 Yes, 2 No, 3 Cancel; 0 when the box could not be shown. The two forms
// differ only in their DCL file (and so in which button is the default).
int YesNoBox(const wchar_t* message);
int YesNoBox(const char* message);
int NoYesBox(const wchar_t* message);
int NoYesBox(const char* message);

// True with the value when the dialog ends with OK on an integer from
// `minimum` to `maximum`.
bool GetIntBox(const wchar_t* message, const wchar_t* prompt, std::int32_t minimum,
               std::int32_t maximum, std::int32_t initial, std::int32_t* value);
bool GetIntBox(const char* message, const char* prompt, std::int32_t minimum, std::int32_t maximum,
               std::int32_t initial, std::int32_t* value);

// The text a text box keeps, without its terminator.
inline constexpr std::size_t kStrBoxMaxChars = 87;
// True with the text (trailing blanks removed, cut to `textChars` - 1 and to
// kStrBoxMaxChars) when the dialog ends with OK. `suffix` picks the dialog
// "LarGetStr_<suffix>" of the file, so one file can hold several.
bool GetStrBox(const wchar_t* message, const wchar_t* prompt, const wchar_t* suffix,
               const wchar_t* initial, wchar_t* text, std::size_t textChars);
bool GetStrBox(const char* message, const char* prompt, const char* suffix, const char* initial,
               char* text, std::size_t textChars);

// 1 append, 2 overwrite, 3 cancel; 0 when the box could not be shown.
int OverwriteAppendBox(const wchar_t* title);
int OverwriteAppendBox(const char* title);

void MessageBoxDcl(const wchar_t* message);
void MessageBoxDcl(const char* message);

// The help action of the yes/no boxes: the host's help dialog; the box
// stays open.
void ShowDclHelp();

// True when the entity is a 3D polyline (a POLYLINE with the 3D flag 8 in
// group 70). The second form tests the first entity of a selection.
bool Is3dPolyline(host::EntityName entity);
bool Is3dPolyline(host::SelectionSetId selection);
