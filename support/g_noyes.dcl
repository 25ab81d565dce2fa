// A question with Yes, No and Cancel; No is the default button, so that
// Enter never confirms by accident.
LarNoYesBox : dialog {
  label = "Please confirm";
  : text { key = "YesNoText"; width = 50; }
  spacer_1;
  : row {
    : button { key = "LarYes"; label = "Yes"; width = 10; }
    : button { key = "LarNo"; label = "No"; is_default = true; width = 10; }
    : button { key = "LarCancel"; label = "Cancel"; is_cancel = true; width = 10; }
    : button { key = "LarHelp"; label = "Help..."; width = 10; }
  }
}
