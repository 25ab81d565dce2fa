#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "host/system/descriptors.h"

namespace host {
namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;

timespec ToTimespec(FileTime time) {
  timespec result{};
  const std::int64_t ticks = time - kUnixEpochAsFileTime;
  if (time == 0 || ticks < 0) {
    result.tv_nsec = UTIME_OMIT;
    return result;
  }
  result.tv_sec = static_cast<time_t>(ticks / kTicksPerSecond);
  result.tv_nsec = static_cast<long>(ticks % kTicksPerSecond) * 100;
  return result;
}

}  // namespace

int OpenDescriptorForReading(const std::string& native) {
  if (native.empty()) return -1;
  int fd;
  do {
    fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

int CreateDescriptorForWriting(const std::string& native, bool read_only) {
  if (native.empty()) return -1;
  const mode_t mode = read_only ? 0444 : 0666;
  return ::open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, mode);
}

int DuplicateDescriptor(int fd) { return fd < 0 ? -1 : fcntl(fd, F_DUPFD_CLOEXEC, 0); }

void CloseDescriptor(int fd) {
  if (fd >= 0) ::close(fd);
}

std::optional<DescriptorInfo> DescribeDescriptor(int fd) {
  struct stat st {};
  if (fd < 0 || fstat(fd, &st) != 0) return std::nullopt;
  DescriptorInfo info;
  info.regular = S_ISREG(st.st_mode);
  info.directory = S_ISDIR(st.st_mode);
  info.size = info.regular && st.st_size > 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
  return info;
}

std::int64_t ReadDescriptor(int fd, void* buffer, std::size_t size) {
  ssize_t count;
  do {
    count = ::read(fd, buffer, size);
  } while (count < 0 && errno == EINTR);
  return count;
}

bool WriteDescriptor(int fd, const void* data, std::size_t size) {
  const char* at = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = ::write(fd, at, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    at += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

std::int64_t SeekDescriptor(int fd, std::int64_t offset, SeekOrigin origin) {
  const int whence = origin == SeekOrigin::kStart ? SEEK_SET : origin == SeekOrigin::kCurrent ? SEEK_CUR : SEEK_END;
  return lseek(fd, static_cast<off_t>(offset), whence);
}

bool SetDescriptorTimes(int fd, FileTime access, FileTime write) {
  const timespec times[2] = {ToTimespec(access), ToTimespec(write)};
  return futimens(fd, times) == 0;
}

}  // namespace host
