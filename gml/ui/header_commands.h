// Where GML files lie, without importing them: the header of files into LISP
// variables, the query extent of each file drawn as a closed polyline, and
// the choice between the two.
#pragma once

// lwhgmlsh: the header of the file named by the LISP variable
// "lwh_gml_file_name" into the six header variables.
void FileHeaderFromLispCommand();
// lwhgmlsm: the header of chosen files, their extents merged, into the six
// header variables.
void FileHeaderCommand();
// lwhgmlsq: the query extent of chosen files, or of every file of a folder,
// drawn as closed polylines on a layer; then a zoom to them.
void QueryExtentsCommand();
// lwhgmlme: asks which of the last two to run.
void DrawExtentsCommand();
