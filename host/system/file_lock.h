// Files that several processes update in turn (the registry store, which
// every running session may change).
//
// A FileLock is an advisory, exclusive lock held on a companion file (the
// store's name with ".lock" after it), not on the file itself: the file is
// replaced by a rename on every save, and a lock on the old file would not
// hold the new one. Every process that changes the file takes the lock
// first, reads the file again if it changed, makes its change and saves
// before letting go; so two processes' changes are made one after the other
// and both stand. The lock goes with the process: one that dies holding it
// lets go at once.
//
// A FileStamp tells whether a file changed since it was last read: its
// identity (device and inode, new on every replacing rename), size and
// modification time.
//
// Paths are Linux paths (NativePath in files.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace host {

class FileLock {
 public:
  FileLock() = default;
  ~FileLock() { Release(); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Waits up to `timeout_ms` for the lock on `lock_path`, creating that file
  // when missing. False when it cannot be opened (a folder, a link, a pipe)
  // or another holder kept it for the whole time.
  [[nodiscard]] bool Acquire(const std::string& lock_path, int timeout_ms);
  void Release();
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

struct FileStamp {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  std::int64_t modified_ns = 0;

  bool operator==(const FileStamp&) const = default;
};

// None when the file does not exist or cannot be looked at.
std::optional<FileStamp> GetFileStamp(const std::string& path);

}  // namespace host
