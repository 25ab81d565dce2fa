// File and folder choosers: the general file chooser in two forms, the
// folder history, and the section-file selector and deleter.

// ---- shared parts ---------------------------------------------------------

lar_folder_buttons : row {
  : button { key = "back_a_folder"; label = "< Back"; width = 10; }
  : button { key = "forward_a_folder"; label = "Forward >"; width = 10; }
  : button { key = "up_a_folder"; label = "Up"; width = 8; }
  : button { key = "browse_a_folder"; label = "Browse..."; width = 12; }
  : button { key = "historical_folders"; label = "Previous folders..."; width = 20; }
}

lar_folder_info : column {
  : text { key = "current_directory"; label = "Folder:"; width = 60; }
  : text { key = "current_diskfree"; width = 60; }
  : text { key = "subfolder_info"; width = 60; }
}

lar_sort_row : radio_row {
  key = "sort_by";
  label = "Sort by";
  : radio_button { key = "sort_by_name"; label = "Name"; }
  : radio_button { key = "sort_by_date"; label = "Date"; }
  : radio_button { key = "sort_by_size"; label = "Size"; }
}

lar_file_info : boxed_column {
  label = "Selected";
  : text { key = "files_quantity"; width = 50; }
  : text { key = "file_number"; width = 50; }
  : text { key = "file_size"; width = 50; }
  : text { key = "write_date"; width = 50; }
  : text { key = "creation_date"; width = 50; }
}

lar_file_chooser_bottom : column {
  : row {
    : toggle { key = "use_subdirectories_toggle"; label = "Show folders in the list"; }
    : toggle { key = "preview_sek_toggle"; label = "Preview"; }
  }
  : row {
    : button { key = "select_sek_file"; label = "Open"; width = 12; }
    ok_cancel;
  }
  errtile;
}

// ---- the general file chooser ---------------------------------------------

select_general_file_multiselection : dialog {
  label = "Select files";
  : text { key = "sel_title"; width = 70; }
  lar_folder_buttons;
  lar_folder_info;
  : row {
    : list_box {
      key = "sekfiles";
      label = "Files (select several with Shift or Ctrl)";
      multiple_select = true;
      width = 50;
      height = 18;
    }
    : column {
      lar_sort_row;
      lar_file_info;
    }
  }
  : popup_list { key = "filespec_combo"; label = "Files of type:"; width = 50; }
  lar_file_chooser_bottom;
}

select_general_file_singleselection : dialog {
  label = "Select a file";
  : text { key = "sel_title"; width = 70; }
  lar_folder_buttons;
  lar_folder_info;
  : row {
    : list_box { key = "sekfiles"; label = "Files"; width = 50; height = 18; }
    : column {
      lar_sort_row;
      lar_file_info;
    }
  }
  : popup_list { key = "filespec_combo"; label = "Files of type:"; width = 50; }
  lar_file_chooser_bottom;
}

// ---- folder history ---------------------------------------------------------

dirsel : dialog {
  label = "Previous folders";
  : list_box { key = "folders"; width = 70; height = 15; }
  : row {
    : button { key = "clear_history"; label = "Clear list..."; width = 14; }
    : button { key = "edit_history"; label = "Edit list..."; width = 14; }
    ok_cancel;
  }
}

// ---- the section-file selector and deleter ----------------------------------

lar_section_info : boxed_column {
  label = "Section file";
  : text { key = "type"; width = 50; }
  : text { key = "file_name_etc"; width = 50; }
  : text { key = "section_type_txt"; width = 50; }
  : text { key = "description"; width = 50; }
  : text { key = "file_number"; width = 50; }
  : text { key = "line1"; width = 50; }
  : text { key = "line2"; width = 50; }
  : text { key = "line3"; width = 50; }
  : text { key = "line4"; width = 50; }
  : text { key = "line5"; width = 50; }
  : text { key = "file_size"; width = 50; }
  : text { key = "write_date"; width = 50; }
  : text { key = "creation_date"; width = 50; }
}

lar_view_type_row : radio_row {
  key = "view_type";
  label = "Show";
  : radio_button { key = "view_type_ls"; label = "Long sections"; }
  : radio_button { key = "view_type_cs"; label = "Cross sections"; }
  : radio_button { key = "view_type_both"; label = "Both"; }
}

lar_section_toggles : row {
  : toggle { key = "use_subfolder_toggle"; label = "Use section subfolder"; }
  : toggle { key = "use_subdirectories_toggle"; label = "Show folders in the list"; }
  : toggle { key = "preview_sek_toggle"; label = "Preview"; }
}

lar_section_scan : row {
  : button { key = "find_section_files"; label = "Find in folder tree..."; width = 22; }
  : button { key = "view_section_files"; label = "Scan this folder..."; width = 20; }
}

seksel : dialog {
  label = "Select a section file";
  : text { key = "sel_title"; width = 70; }
  lar_folder_buttons;
  lar_folder_info;
  : row {
    : list_box { key = "sekfiles"; label = "Section files"; width = 40; height = 18; }
    : column {
      lar_sort_row;
      lar_view_type_row;
      lar_section_info;
    }
  }
  lar_section_toggles;
  lar_section_scan;
  : row {
    : button { key = "select_sek_file"; label = "Open"; width = 12; }
    ok_cancel;
  }
  errtile;
}

seksel_view_type : dialog {
  label = "Select a section file";
  : text { key = "sel_title"; width = 70; }
  lar_folder_buttons;
  lar_folder_info;
  : row {
    : list_box { key = "sekfiles"; label = "Section files"; width = 40; height = 18; }
    : column {
      lar_sort_row;
      lar_view_type_row;
      lar_section_info;
    }
  }
  lar_section_toggles;
  lar_section_scan;
  : row {
    : button { key = "select_sek_file"; label = "Open"; width = 12; }
    ok_cancel;
  }
  errtile;
}

sekdel : dialog {
  label = "Delete section files";
  : text { key = "sel_title"; width = 70; }
  : row {
    : button { key = "back_a_folder"; label = "< Back"; width = 10; }
    : button { key = "forward_a_folder"; label = "Forward >"; width = 10; }
    : button { key = "up_a_folder"; label = "Up"; width = 8; }
    : button { key = "browse_a_folder"; label = "Browse..."; width = 12; }
  }
  lar_folder_info;
  : row {
    : list_box { key = "sekfiles"; label = "Section files"; width = 40; height = 18; }
    : column {
      lar_sort_row;
      lar_view_type_row;
      lar_section_info;
    }
  }
  : row {
    : toggle { key = "use_subfolder_toggle"; label = "Use section subfolder"; }
    : toggle { key = "preview_sek_toggle"; label = "Preview"; }
  }
  : row {
    : button { key = "delete_sek_file"; label = "Delete..."; width = 12; }
    : button { key = "cancel"; label = "Close"; is_cancel = true; is_default = true; width = 12; }
  }
  errtile;
}
