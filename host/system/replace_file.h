// Replacing a file through a temporary file.
//
// A ReplacementFile is the new version of a file, written beside it:
//
//   Begin()   creates the temporary file in the target's folder (so that the
//             final rename stays within one file system);
//   Write()   appends bytes; every write is checked, and once one has failed
//             the later ones do nothing;
//   Commit()  flushes and closes the temporary file, checking both, and
//             renames it over the target.
//
// The target is touched only by that last rename: when any step fails (or
// Fail() was called) Commit() answers false, the temporary file is removed
// and the old target is whole, or still absent. Destroying a ReplacementFile
// that was not committed, or calling Abandon(), gives up the same way.
//
// What the user set on the old file stays:
//  - the new file gets the old file's permission bits (and, where the
//    system lets this process, its owner and group);
//  - a target whose owner may not write it (read-only, as files.h reads the
//    mode) is not replaced: Begin() refuses it, whoever runs the program;
//  - a target that is a symbolic link (or a chain of them) stays a link: the
//    file it points to is replaced, with the temporary file beside that file.
//    A fixed temporary name (the second Begin()) is then not used; a new
//    name beside the file pointed to is made instead.
// A target that is a folder, a device, a pipe (FIFO) or a socket, or a link
// to one, is refused and stays as it is.
//
// Reason() says why the last Begin() or commit failed, for the user: the
// system's own words for a failed system call ("No space left on device"),
// or the host's ("the file is read-only").
//
// Test seam: FaultPoint::SaveFile (host/system/fault.h) is asked once for
// every Write() and once between the close and the rename; Begin() does not
// ask it. A fault behaves as the failure of that step, with the errno value
// the fault was armed with.
//
// Paths are wide text turned into Linux paths as files.h says
// (host::NativePath); a path that names no file makes Begin() fail.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace host {

class ReplacementFile {
 public:
  ReplacementFile() = default;
  ~ReplacementFile() { Abandon(); }
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Creates a temporary file of a new name in the target's folder; a file
  // that exists is never taken over.
  [[nodiscard]] bool Begin(std::wstring_view target);
  // Creates `temporary` (emptied when it exists) as the temporary file. It
  // must lie in the target's folder.
  [[nodiscard]] bool Begin(std::wstring_view target, std::wstring_view temporary);

  // True after a successful Begin() while no step has failed.
  bool Ok() const { return file_ != nullptr && ok_; }

  // Appends `size` bytes; false when this or an earlier step failed.
  bool Write(const void* data, std::size_t size);
  bool Write(std::string_view text) { return Write(text.data(), text.size()); }
  // Marks the new version as failed, for a caller whose own step failed;
  // Commit() will then give up.
  void Fail() { ok_ = false; }

  // Gives the new file these permission bits and access and write times when
  // it is committed, in place of the old file's mode; setting them is checked
  // like a write.
  void KeepModeAndTimes(unsigned mode, const std::timespec& access,
                        const std::timespec& write);

  // Puts the new file in the target's place; true when every step succeeded.
  [[nodiscard]] bool Commit();
  // As Commit(), but only where no file of the target's name exists by then
  // (checked by the file system in the same step as the placing).
  [[nodiscard]] bool CommitAsNew();
  // Gives up: removes the temporary file and leaves the target as it was.
  void Abandon();

  // Why the last Begin(), write or commit failed; empty when nothing failed
  // or only the caller's own step did (Fail()).
  const std::string& Reason() const { return reason_; }

 private:
  // Finds the file the target names (following links) and checks that it
  // may be replaced; false with the reason set when not.
  bool Prepare(std::wstring_view target);
  bool CreateUnique();
  bool Open(int fd);
  bool Finish(bool replace);
  // Records the failure of a step: `errno` as the system's reason.
  void SystemFailure();
  // Has the system start writing to the disk what was written so far.
  void StartWriteback();

  std::string target_;
  std::string temporary_;
  std::string reason_;
  int error_ = 0;  // errno of the first failed write or close step
  std::FILE* file_ = nullptr;
  bool ok_ = false;
  // Bytes written, and how many of them the disk was asked to take; it is
  // asked again after every kWritebackStep bytes.
  static constexpr std::uint64_t kWritebackStep = 16u << 20;
  std::uint64_t written_ = 0;
  std::uint64_t handedOver_ = 0;
  struct Attributes {
    unsigned mode;
    std::timespec times[2];
  };
  std::optional<Attributes> attributes_;
  // The old file's mode, owner and group, when there is an old file.
  struct Owner {
    unsigned mode;
    unsigned user;
    unsigned group;
  };
  std::optional<Owner> old_;
};

// Numbers temporary names from the first number again, as in a new process.
// With `process` the names carry that number in place of this process's id
// from now on, so that a run that must repeat itself exactly (a fuzz target)
// makes the same names every time; a name another process took meanwhile
// only makes Begin() go on to the next. Without it the real id is used again.
void RestartReplacementNames(std::optional<unsigned> process = std::nullopt);

}  // namespace host
