// Data exchange between a dialog's members and its controls, with the
// framework's validation.
//
// DoDataExchange calls these in order. Loading (UpdateData(false)) moves
// members into controls; saving moves controls into members and validates.
// A Ddv call checks the member of the Ddx call just before it. The first
// failure shows the framework's standard message (a message box with the
// exclamation icon and the application title), puts the focus on the failing
// control and stops the exchange: the later calls do nothing, and
// UpdateData answers false (so the default OnOK keeps the dialog open).
#pragma once

#include <string>

namespace host::ui {

class Dialog;

// The framework's standard messages; %1 and %2 stand for the limits.
inline constexpr const wchar_t* kMsgEnterInteger = L"Please enter an integer.";
inline constexpr const wchar_t* kMsgEnterNumber = L"Please enter a number.";
inline constexpr const wchar_t* kMsgIntegerRange = L"Please enter an integer between %1 and %2.";
inline constexpr const wchar_t* kMsgNumberRange = L"Please enter a number between %1 and %2.";
inline constexpr const wchar_t* kMsgMaxChars = L"Please enter no more than %1 characters.";

class DataExchange {
 public:
  DataExchange(Dialog& dialog, bool saving) : dialog_(dialog), saving_(saving) {}

  Dialog& dialog() { return dialog_; }
  bool Saving() const { return saving_; }
  bool Failed() const { return failed_; }
  // False once the exchange has failed: the later calls are skipped.
  bool Active() const { return !failed_; }
  int LastId() const { return last_id_; }
  void SetLastId(int id) { last_id_ = id; }
  // Shows `message`, moves the focus to the last control, stops the exchange.
  void Fail(const std::wstring& message);

 private:
  Dialog& dialog_;
  bool saving_;
  bool failed_ = false;
  int last_id_ = 0;
};

// Text of an edit or static.
void DdxText(DataExchange& dx, int id, std::wstring& value);
// Whole numbers ("%d"), and reals ("%.15g").
void DdxText(DataExchange& dx, int id, int& value);
void DdxText(DataExchange& dx, int id, double& value);
// Check state of a check box (0, 1).
void DdxCheck(DataExchange& dx, int id, int& value);
// Index of the checked radio button in the group starting at `first_id`;
// -1 when none.
void DdxRadio(DataExchange& dx, int first_id, int& index);
// Selected row of a list box or combo box; -1 when none.
void DdxListIndex(DataExchange& dx, int id, int& index);

void DdvMinMax(DataExchange& dx, int value, int min, int max);
void DdvMinMax(DataExchange& dx, double value, double min, double max);
// While loading, this also limits what the user can type into the control.
void DdvMaxChars(DataExchange& dx, const std::wstring& value, int max_chars);

// "%1"/"%2" of a standard message replaced.
std::wstring FormatStandardMessage(const wchar_t* message, const std::wstring& first,
                                   const std::wstring& second = L"");

}  // namespace host::ui
