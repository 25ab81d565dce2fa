// A question with Yes, No and Cancel; Yes is the default button.
LarYesNoBox : dialog {
  label = "Please confirm";
  : text { key = "YesNoText"; width = 50; }
  spacer_1;
  : row {
    : button { key = "LarYes"; label = "Yes"; is_default = true; width = 10; }
    : button { key = "LarNo"; label = "No"; width = 10; }
    : button { key = "LarCancel"; label = "Cancel"; is_cancel = true; width = 10; }
    : button { key = "LarHelp"; label = "Help..."; width = 10; }
  }
}
