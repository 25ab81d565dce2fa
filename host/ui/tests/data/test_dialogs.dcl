// Dialogs for the DCL runtime tests: every tile kind, prototypes defined at
// file level, nested clusters, comments of both kinds.
@include "base.dcl"

/* A prototype: a wide list that later tiles derive from. */
wide_list : list_box {
  width = 40;
  height = 8;
  tabs = "10 20";
}

my_toggle : toggle { label = "Default toggle"; value = "1"; }

everything : dialog {
  label = "Every tile";
  initial_focus = "name";
  : row {
    : column {
      : edit_box { key = "name"; label = "Name:"; edit_limit = 8; value = "first"; }
      : edit_box { key = "count"; label = "Count:"; edit_limit = 4; }
      : popup_list { key = "kind"; label = "Kind:"; list = "Alpha\nBeta\nGamma"; }
      : slider { key = "level"; min_value = 0; max_value = 100; value = "50"; }
    }
    : boxed_radio_column {
      label = "Sort by";
      key = "sort_by";
      : radio_button { key = "sort_by_name"; label = "Name"; value = "1"; }
      : radio_button { key = "sort_by_date"; label = "Date"; }
      : radio_button { key = "sort_by_size"; label = "Size"; }
    }
  }
  : wide_list { key = "files"; label = "Files"; multiple_select = true; }
  : wide_list { key = "layers"; label = "Layers"; width = 30; }
  : my_toggle { key = "subdirs"; }
  : toggle { key = "preview"; label = "Preview"; is_enabled = false; }
  : image { key = "swatch"; width = 10; height = 2; color = 1; }
  : image_button { key = "pick"; width = 4; height = 1; }
  : paragraph {
    : text_part { label = "Two parts"; }
    : text_part { label = "of text"; }
  }
  : concatenation { : text { key = "info"; label = "Info"; } }
  spacer;
  : button { key = "apply"; label = "Apply"; }
  : button { key = "nested"; label = "Nested..."; }
  ok_cancel_help_errtile;
}

nested : dialog {
  label = "Nested";
  : text { key = "msg"; }
  : row {
    : button { key = "yes"; label = "Yes"; is_default = true; }
    : button { key = "no"; label = "No"; is_cancel = true; }
  }
}

plain : dialog {
  label = "Plain";
  ok_only;
}
