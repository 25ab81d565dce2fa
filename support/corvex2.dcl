// The parameters of LarCorvex2: every selected object chained.
corvex : dialog {
  label = "Corvex Polylines - join lines, arcs and polylines";
  : boxed_column {
    label = "Tolerances";
    : edit_box { key = "hz_tolerance"; label = "Horizontal tolerance:"; edit_width = 12; }
    : edit_box { key = "vt_tolerance"; label = "Vertical tolerance:"; edit_width = 12; }
  }
  : boxed_column {
    label = "Options";
    : toggle { key = "allow_3d_polylines"; label = "Allow 3D polylines"; }
    : toggle { key = "verify_directions"; label = "Verify directions"; }
    : toggle { key = "always_break_arcs"; label = "Always break arcs into chords"; }
    : edit_box { key = "arc_divide_factor"; label = "Chords per arc:"; edit_width = 6; }
    : toggle { key = "convert_3d_to_2d"; label = "Convert 3D to 2D"; }
    : edit_box { key = "new_2d_level"; label = "Level of converted polylines:"; edit_width = 12; }
  }
  : boxed_radio_column {
    key = "layer_type";
    label = "Layer of the new polylines";
    : radio_button { key = "layer_type_by_1st"; label = "Layer and colour of the first object"; }
    : radio_button { key = "layer_type_fixed"; label = "Fixed layer"; }
  }
  : toggle { key = "accept_other_layers"; label = "Join only objects on the first object's layer"; }
  : row {
    : button { key = "layer_name"; label = "Layer..."; width = 12; }
    : text { key = "layer_name_txt"; label = ""; width = 32; }
  }
  : row {
    : image { key = "color_image"; width = 6; height = 2; color = 7; }
    : button { key = "layer_color"; label = "Colour..."; width = 12; }
    : text { key = "layer_code_txt"; label = ""; width = 24; }
  }
  : row {
    : button { key = "start_joining"; label = "Join"; is_default = true; width = 10; }
    : button { key = "cancel_joining"; label = "Cancel"; is_cancel = true; width = 10; }
    : button { key = "joining_help"; label = "Help"; width = 10; }
  }
}
