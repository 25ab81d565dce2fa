// The layer chooser and its new-layer dialog.
g_layersel : dialog {
  label = "Select layer";
  : list_box {
    key = "layerlist";
    label = "State\t Frz\tLck\tColour\tName";
    tabs = "6 10 14 22";
    width = 60;
    height = 16;
  }
  : row {
    : image { key = "main_color_image"; width = 6; height = 2; color = 7; }
    : button { key = "change_color"; label = "Colour..."; width = 12; }
    : button { key = "new_layer"; label = "New layer..."; width = 14; }
  }
  : row {
    : button { key = "ok_select"; label = "OK"; is_default = true; width = 10; }
    : button { key = "cancel_selection"; label = "Cancel"; is_cancel = true; width = 10; }
  }
}

add_new_layer : dialog {
  label = "New layer";
  : edit_box { key = "layer_name"; label = "Name:"; edit_width = 40; edit_limit = 255; }
  : row {
    : image { key = "color_image"; width = 6; height = 2; color = 7; }
    : button { key = "new_color"; label = "Colour..."; width = 12; }
  }
  : row {
    : button { key = "ok_new_layer"; label = "OK"; is_default = true; width = 10; }
    : button { key = "cancel_new_layer"; label = "Cancel"; is_cancel = true; width = 10; }
  }
}
