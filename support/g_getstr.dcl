// Text input boxes; each dialog's keys end with its suffix.
LarGetStr_ : dialog {
  label = "Enter a text";
  : text { key = "LarGetStrMesg_"; width = 50; }
  : edit_box { key = "LarGetStrField_"; edit_width = 40; edit_limit = 87; }
  : text { key = "LarGetStrPrompt_"; width = 50; }
  ok_cancel;
}

LarGetStr_name : dialog {
  label = "Enter a name";
  : text { key = "LarGetStrMesg_name"; width = 50; }
  : edit_box { key = "LarGetStrField_name"; edit_width = 40; edit_limit = 87; }
  : text { key = "LarGetStrPrompt_name"; width = 50; }
  ok_cancel;
}
