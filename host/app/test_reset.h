// One call that puts every process-wide service of the host back as the
// program starts, for the start and end of each test.
#pragma once

namespace host {

// Closes the drawing and unloads every add-in; empties the user-action queue,
// the transcript, the command line, timed events and the records of message
// boxes and pickers; drops the action supplier and dialog event handler;
// disarms every fault point; drops environment overrides and session
// support folders; puts back an empty registry in memory (so the default
// profile and its support path), the virtual clock at 0, the real wall
// clock, the random seed, the default system variables, the host's own
// LISP functions and an empty default LISP table, the selection sets, the
// graphics, the progress meter and the DCL runtime's loaded files.
// Dialog templates stay: modules register them once.
void ResetForTest();

}  // namespace host
