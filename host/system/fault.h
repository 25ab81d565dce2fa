// Injectable failures.
//
// Code that can fail for reasons outside its control (an allocation, setting
// a system variable, defining a LISP function, saving a file) asks
// FaultFires() at that point. Normally it answers false. A test arms a point
// as "succeed N times, then fail R times" and so walks every failure path:
// raise N from 0 until no fault fires.
//
// A fault that fires leaves `errno` set to the error it was armed with (EIO
// unless said), so that code reporting the system's reason for a failure
// can be tested with the reason a real failure gives ("No space left on
// device" for ENOSPC).
//
// Process-wide state, used from one thread only.
#pragma once

#include <cerrno>

namespace host {

enum class FaultPoint {
  Allocation,
  SetSystemVariable,
  DefineLispFunction,
  SaveFile,
  WriteFile,  // a write or the close of a file written in place (checked_file.h)
  kCount  // number of points; not a point
};

// Lets the next `succeed` checks of the point pass, then fails `fail` checks
// (a negative `fail` fails every check from then on); each failed check sets
// errno to `error`.
void ArmFault(FaultPoint point, int succeed, int fail = 1, int error = EIO);
void DisarmFault(FaultPoint point);
void DisarmAllFaults();

// True when the caller must behave as if the operation failed.
[[nodiscard]] bool FaultFires(FaultPoint point);

// True while the point is armed (succeeding or failing).
bool FaultArmed(FaultPoint point);

// Faults fired at the point since it was last armed.
int FaultsFired(FaultPoint point);

// Arms a point for one scope and disarms it at the end.
class ScopedFault {
 public:
  ScopedFault(FaultPoint point, int succeed, int fail = 1, int error = EIO) : point_(point) {
    ArmFault(point, succeed, fail, error);
  }
  ~ScopedFault() { DisarmFault(point_); }
  ScopedFault(const ScopedFault&) = delete;
  ScopedFault& operator=(const ScopedFault&) = delete;

 private:
  FaultPoint point_;
};

}  // namespace host
