// Whether work that could be done on the caller's thread may be handed to
// threads of its own (reading ahead in a file, parsing in parallel).
//
// Allowed unless the process said otherwise. A process that must repeat
// itself exactly, such as a fuzz target whose seed must give the same run
// every time, forbids them at its start: a second thread's timing changes
// which branches run and in which order, and which addresses the allocator
// hands out afterwards. Every part that would start such a thread then does
// the same work on the caller's thread, with the same result.
#pragma once

namespace host {

bool HelperThreadsAllowed();
// Set before any such work starts; a thread already running is not stopped.
void AllowHelperThreads(bool allowed);

}  // namespace host
