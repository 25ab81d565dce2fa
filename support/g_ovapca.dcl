// The file exists: append to it, overwrite it, or cancel.
ovapca : dialog {
  label = "File exists";
  : text { key = "title_text"; width = 50; }
  : row {
    : button { key = "append"; label = "Append"; is_default = true; width = 12; }
    : button { key = "overwrite"; label = "Overwrite"; width = 12; }
    : button { key = "cancel_ovapca"; label = "Cancel"; is_cancel = true; width = 12; }
  }
}
