// One call that puts every process-wide service of the host back as the
// program starts, for the start and end of each test.
#pragma once

namespace host {

// Closes the drawing and unloads every add-in; empties the user-action queue,
// the transcript, the command line, timed events and the records of message
// boxes and pickers; drops the action supplier and dialog event handler;
// disarms every fault point; drops environment overrides (so the temporary
// folder, and the memory log in it, are the real ones again) and session
// support folders; puts back an empty registry in memory (so the default
// profile and its support path) without profile listeners, the virtual
// clock at 0, the real wall clock, the random seed, the numbering of
// temporary files and of replacement files' temporary names, the default system variables, the host's own LISP
// functions, no LISP invoker and an empty default LISP table, the selection
// sets, the graphics, the progress meter, the DCL runtime's loaded files and
// file finder, and the current folder the program started in.
// Dialog templates stay: modules register them once. The working database
// stays with whoever set it (a ScopedWorkingDatabase puts it back). An
// add-in module's own state (Varnel's, the join's selections, the protected
// files list) is its module's to reset.
void ResetForTest();

}  // namespace host
