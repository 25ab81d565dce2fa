// A message with one button.
LarMessage : dialog {
  label = "Message";
  : text { key = "LarMesg"; width = 60; }
  : button { key = "LarMsgYes"; label = "OK"; is_default = true; is_cancel = true; fixed_width = true; alignment = centered; width = 10; }
}
