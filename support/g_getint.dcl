// Asks for a whole number within a range.
LarGetInt : dialog {
  label = "Enter a number";
  : text { key = "LarGetIntMesg"; width = 50; }
  : edit_box { key = "LarGetIntField"; label = ""; edit_width = 12; edit_limit = 39; }
  : text { key = "LarGetIntPrompt"; width = 50; }
  ok_cancel;
  errtile;
}
