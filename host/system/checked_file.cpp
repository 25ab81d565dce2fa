// The Linux half of checked_file.h: a descriptor from open(2) under a stdio
// stream made with fopencookie(3), whose write and close steps check each
// system call.
#include "host/system/checked_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/system/descriptors.h"
#include "host/system/fault.h"

namespace host {

void CheckedFile::SystemFailure() {
  if (!failed_) reason_ = std::strerror(errno != 0 ? errno : EIO);
  failed_ = true;
}

bool CheckedFile::Open(const std::string& native, bool append) {
  (void)Close();
  reason_.clear();
  failed_ = false;
  if (native.empty()) {
    reason_ = "no file name";
    return false;
  }
  // Without waiting: a pipe that nobody reads fails at once (ENXIO) instead
  // of holding the caller for ever. Writes wait as usual.
  int fd;
  do {
    fd = ::open(native.c_str(),
                O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | (append ? O_APPEND : O_TRUNC), 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    reason_ = std::strerror(errno);
    return false;
  }
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    reason_ = std::strerror(errno);
    ::close(fd);
    return false;
  }
  const cookie_io_functions_t steps{nullptr, &CheckedFile::WriteBlock, nullptr, &CheckedFile::CloseStream};
  fd_ = fd;
  stream_ = fopencookie(this, "w", steps);
  if (stream_ == nullptr) {
    reason_ = std::strerror(errno);
    ::close(fd_);
    fd_ = -1;
    return false;
  }
  return true;
}

// Called by stdio with each block it writes: the whole block, or 0 for a
// failure (stdio then marks the stream failed).
ssize_t CheckedFile::WriteBlock(void* cookie, const char* data, std::size_t size) {
  CheckedFile& self = *static_cast<CheckedFile*>(cookie);
  if (self.failed_) return 0;
  if (FaultFires(FaultPoint::WriteFile) || !WriteDescriptor(self.fd_, data, size)) {
    self.SystemFailure();
    return 0;
  }
  return static_cast<ssize_t>(size);
}

// Called by fclose after the last block.
int CheckedFile::CloseStream(void* cookie) {
  CheckedFile& self = *static_cast<CheckedFile*>(cookie);
  struct stat st {};
  // A file whose last name went (its folder removed meanwhile) took the
  // rows, but nobody will find them.
  if (!self.failed_ && fstat(self.fd_, &st) == 0 && st.st_nlink == 0) {
    self.failed_ = true;
    self.reason_ = "the file or its folder was removed while it was written";
  }
  if (!self.failed_ && FaultFires(FaultPoint::WriteFile)) self.SystemFailure();
  if (::close(self.fd_) != 0) self.SystemFailure();
  self.fd_ = -1;
  return self.failed_ ? -1 : 0;
}

bool CheckedFile::Close() {
  if (stream_ == nullptr) return true;
  if (std::fclose(stream_) != 0 && !failed_) SystemFailure();
  stream_ = nullptr;
  return !failed_;
}

}  // namespace host
