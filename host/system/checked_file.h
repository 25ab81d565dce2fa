// A file written in place through a stdio stream, with every write and the
// close checked.
//
// For output that is made row by row by code that takes a std::FILE* (the
// attribute files of an import), where a full disk or a folder that goes
// away must not pass unnoticed:
//
//   Open()   creates the file, empties it, or with `append` adds to its end,
//            and gives a stream onto it (Stream()); a pipe that nobody reads
//            is refused at once rather than waited on;
//   Close()  flushes and closes it; true only when every byte handed to the
//            stream reached the file and the file is still there (its name
//            was not removed, with its folder, while it was written).
//
// Once one write has failed the stream writes nothing more, so the file
// ends where the failure was; Close() then answers false. Reason() says why
// the last Open() or Close() failed, in the system's words ("No space left
// on device") or the host's.
//
// Test seam: FaultPoint::WriteFile (host/system/fault.h) is asked once for
// every block the stream hands down and once at the close; a fault behaves
// as the failure of that step, with the errno value it was armed with.
//
// Paths are Linux paths (NativePath in files.h). An object is used from one
// thread; it cannot be copied or moved while its stream is open.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <string>

namespace host {

class CheckedFile {
 public:
  CheckedFile() = default;
  ~CheckedFile() { (void)Close(); }
  CheckedFile(const CheckedFile&) = delete;
  CheckedFile& operator=(const CheckedFile&) = delete;

  // False, with the reason, when the file cannot be opened for writing. An
  // open file is closed first.
  [[nodiscard]] bool Open(const std::string& native, bool append);
  // The stream of the open file; null when none is open.
  std::FILE* Stream() const { return stream_; }
  bool IsOpen() const { return stream_ != nullptr; }
  // False when a write or the close failed (true when nothing was open).
  [[nodiscard]] bool Close();
  const std::string& Reason() const { return reason_; }

 private:
  static ssize_t WriteBlock(void* cookie, const char* data, std::size_t size);
  static int CloseStream(void* cookie);
  // Records the first failure: `errno` as the system's reason.
  void SystemFailure();

  std::FILE* stream_ = nullptr;
  int fd_ = -1;
  bool failed_ = false;
  std::string reason_;
};

}  // namespace host
