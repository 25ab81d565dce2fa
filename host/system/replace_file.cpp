// The Linux half of replace_file.h: the temporary file made with open(2),
// buffered writes through stdio, then rename(2) or link(2).
#include "host/system/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/system/fault.h"
#include "host/system/files.h"

namespace host {
namespace {

// Numbers the temporary names of this process; a name that exists is skipped.
unsigned g_next_temporary = 0;
// Stands in for the process id in temporary names when set.
std::optional<unsigned> g_name_process;
constexpr int kNameAttempts = 1000;
// As the kernel: a longer chain of links is taken for a loop.
constexpr int kMaxLinks = 40;

// The file `path` names once every symbolic link on the way is followed (the
// last one may name no file yet); none, with errno set, when a link cannot be
// read or the chain does not end.
std::optional<std::string> FollowLinks(std::string path) {
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) {
      if (errno == ENOENT) return path;
      return std::nullopt;
    }
    if (!S_ISLNK(st.st_mode)) return path;
    std::string link(st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : 256, '\0');
    const ssize_t n = readlink(path.c_str(), link.data(), link.size());
    if (n < 0) return std::nullopt;
    if (static_cast<std::size_t>(n) >= link.size()) {  // the link changed while read
      errno = EAGAIN;
      return std::nullopt;
    }
    link.resize(static_cast<std::size_t>(n));
    if (link.empty()) {
      errno = ENOENT;
      return std::nullopt;
    }
    // A relative link is read from the folder that holds it.
    const std::size_t slash = path.find_last_of('/');
    if (link[0] == '/' || slash == std::string::npos)
      path = link;
    else
      path = path.substr(0, slash + 1) + link;
  }
  errno = ELOOP;
  return std::nullopt;
}

// Why a target of this kind (not a folder, not a plain file) is refused.
const char* NotAFileReason(mode_t mode) {
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device, not a file";
  if (S_ISFIFO(mode)) return "it is a pipe (FIFO), not a file";
  if (S_ISSOCK(mode)) return "it is a socket, not a file";
  return "it is not a plain file";
}

}  // namespace

void ReplacementFile::SystemFailure() {
  if (error_ == 0) {
    error_ = errno != 0 ? errno : EIO;
    reason_ = std::strerror(error_);
  }
  ok_ = false;
}

bool ReplacementFile::Prepare(std::wstring_view target) {
  Abandon();
  reason_.clear();
  error_ = 0;
  old_.reset();
  std::optional<std::string> native = NativePath(target);
  if (!native || native->empty()) {
    reason_ = "no file name";
    return false;
  }
  std::optional<std::string> real = FollowLinks(*native);
  if (!real) {
    reason_ = std::strerror(errno);
    return false;
  }
  target_ = *real;
  struct stat st {};
  if (stat(target_.c_str(), &st) != 0) {
    if (errno == ENOENT) return true;  // a new file
    reason_ = std::strerror(errno);
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    reason_ = "it is a folder";
    return false;
  }
  // A device, a pipe or a socket would be swapped for a plain file by the
  // rename (as root, /dev/null itself): what it is stays.
  if (!S_ISREG(st.st_mode)) {
    reason_ = NotAFileReason(st.st_mode);
    return false;
  }
  // Read-only by the mode, as the user set it: root would be let through by
  // the system, but the user's choice holds for every user.
  if ((st.st_mode & S_IWUSR) == 0) {
    reason_ = "the file is read-only";
    return false;
  }
  if (access(target_.c_str(), W_OK) != 0) {
    reason_ = std::strerror(errno);
    return false;
  }
  old_ = Owner{static_cast<unsigned>(st.st_mode & 07777), static_cast<unsigned>(st.st_uid),
               static_cast<unsigned>(st.st_gid)};
  return true;
}

bool ReplacementFile::CreateUnique() {
  const std::string pid =
      g_name_process ? std::to_string(*g_name_process) : std::to_string(getpid());
  // Private until the old file's mode is given to it at the commit.
  const mode_t mode = old_ ? 0600 : 0666;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    temporary_ = target_ + ".~" + pid + "-" + std::to_string(g_next_temporary++) + ".tmp";
    const int fd = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) return Open(fd);
    if (errno != EEXIST) break;
  }
  reason_ = std::string("cannot create a temporary file: ") + std::strerror(errno);
  temporary_.clear();
  return false;
}

bool ReplacementFile::Begin(std::wstring_view target) {
  return Prepare(target) && CreateUnique();
}

bool ReplacementFile::Begin(std::wstring_view target, std::wstring_view temporary) {
  std::optional<std::string> native_target = NativePath(target);
  std::optional<std::string> native_temporary = NativePath(temporary);
  if (!native_target || !native_temporary || native_target->empty() ||
      native_temporary->empty() || *native_target == *native_temporary) {
    Abandon();
    reason_ = "no file name";
    return false;
  }
  if (!Prepare(target)) return false;
  // Through a link the fixed name would lie beside the link, perhaps on
  // another file system than the file replaced.
  if (target_ != *native_target) return CreateUnique();
  temporary_ = *native_temporary;
  const int fd = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW,
                      old_ ? 0600 : 0666);
  if (fd < 0) {
    reason_ = std::string("cannot create a temporary file: ") + std::strerror(errno);
    temporary_.clear();
    return false;
  }
  return Open(fd);
}

bool ReplacementFile::Open(int fd) {
  file_ = fdopen(fd, "wb");
  if (file_ == nullptr) {
    reason_ = std::strerror(errno);
    close(fd);
    unlink(temporary_.c_str());
    temporary_.clear();
    return false;
  }
  ok_ = true;
  attributes_.reset();
  written_ = 0;
  handedOver_ = 0;
  return true;
}

bool ReplacementFile::Write(const void* data, std::size_t size) {
  if (!Ok()) return false;
  if (FaultFires(FaultPoint::SaveFile) || std::fwrite(data, 1, size, file_) != size) SystemFailure();
  written_ += size;
  if (ok_ && written_ - handedOver_ >= kWritebackStep) StartWriteback();
  return ok_;
}

// The disk starts on what is written while the rest is made, so that the
// flush before the rename waits only for the last of it. Starting it is a
// hint to the system: only the flush into the file is checked.
void ReplacementFile::StartWriteback() {
  if (std::fflush(file_) != 0) {
    SystemFailure();
    return;
  }
  (void)sync_file_range(fileno(file_), static_cast<off_t>(handedOver_), static_cast<off_t>(written_ - handedOver_),
                        SYNC_FILE_RANGE_WRITE);
  handedOver_ = written_;
}

void ReplacementFile::KeepModeAndTimes(unsigned mode, const std::timespec& access,
                                       const std::timespec& write) {
  attributes_ = Attributes{mode, {access, write}};
}

bool ReplacementFile::Commit() { return Finish(true); }

bool ReplacementFile::CommitAsNew() { return Finish(false); }

bool ReplacementFile::Finish(bool replace) {
  if (file_ == nullptr) return false;
  const int fd = fileno(file_);
  // On the disk before the rename, so that the target never names a file
  // whose content did not reach it.
  if (ok_ && (std::fflush(file_) != 0 || fsync(fd) != 0)) SystemFailure();
  // After the flush nothing more is written, so the times set here stay.
  if (ok_ && attributes_) {
    if (fchmod(fd, static_cast<mode_t>(attributes_->mode & 07777)) != 0 ||
        futimens(fd, attributes_->times) != 0)
      SystemFailure();
  } else if (ok_ && old_) {
    // The owner and group go back where this process may set them (root, or
    // a group of the user's); elsewhere the file is the user's own. The mode
    // is set after them, as a change of owner clears the set-id bits.
    struct stat st {};
    if (fstat(fd, &st) == 0 && (st.st_uid != old_->user || st.st_gid != old_->group) &&
        fchown(fd, old_->user, old_->group) != 0)
      (void)fchown(fd, static_cast<uid_t>(-1), old_->group);
    if (fchmod(fd, static_cast<mode_t>(old_->mode)) != 0) SystemFailure();
  }
  if (std::fclose(file_) != 0 && ok_) SystemFailure();
  file_ = nullptr;
  if (ok_ && FaultFires(FaultPoint::SaveFile)) SystemFailure();
  if (ok_) {
    // link() refuses an existing target, so nothing slips in between.
    const int placed = replace ? rename(temporary_.c_str(), target_.c_str())
                               : link(temporary_.c_str(), target_.c_str());
    if (placed != 0) SystemFailure();
  }
  const bool ok = ok_;
  if (!ok || !replace) unlink(temporary_.c_str());
  temporary_.clear();
  ok_ = false;
  return ok;
}

void ReplacementFile::Abandon() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (!temporary_.empty()) unlink(temporary_.c_str());
  temporary_.clear();
  ok_ = false;
}

void RestartReplacementNames(std::optional<unsigned> process) {
  g_next_temporary = 0;
  g_name_process = process;
}

}  // namespace host
