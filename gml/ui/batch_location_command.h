// The batch-location mark: a name attached to an entity as xdata, so that the
// import's batch mode can take the entity as a named location.
#pragma once

// LISP (lwhgmlax_ads ENAME NAME [APPLICATION]) and the command lwhgmlax
// (which has no arguments and does nothing). Returns T to LISP when the mark
// was written, nil otherwise.
void AddBatchLocationCommand();
