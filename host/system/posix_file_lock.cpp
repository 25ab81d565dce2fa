#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "host/system/file_lock.h"

namespace host {

bool FileLock::Acquire(const std::string& lock_path, int timeout_ms) {
  Release();
  if (lock_path.empty()) return false;
  // Never through a link, and never waiting on a pipe someone put there.
  const int fd = ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
  if (fd < 0) return false;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  // Polled rather than blocking, so that a holder that hangs costs a bounded
  // wait and never a hung session.
  constexpr long kPollNs = 2'000'000;
  long waited_ns = 0;
  for (;;) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
      fd_ = fd;
      return true;
    }
    if ((errno != EWOULDBLOCK && errno != EINTR) || waited_ns >= static_cast<long>(timeout_ms) * 1'000'000) {
      ::close(fd);
      return false;
    }
    timespec pause{0, kPollNs};
    nanosleep(&pause, nullptr);
    waited_ns += kPollNs;
  }
}

void FileLock::Release() {
  if (fd_ < 0) return;
  (void)flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}

std::optional<FileStamp> GetFileStamp(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return std::nullopt;
  FileStamp stamp;
  stamp.device = static_cast<std::uint64_t>(st.st_dev);
  stamp.inode = static_cast<std::uint64_t>(st.st_ino);
  stamp.size = st.st_size > 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
  stamp.modified_ns = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
  return stamp;
}

}  // namespace host
