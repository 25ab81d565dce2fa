// The Linux half of replace_file.h: the temporary file made with open(2),
// buffered writes through stdio, then rename(2) or link(2).
#include "host/system/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "host/system/fault.h"
#include "host/system/files.h"

namespace host {
namespace {

// Numbers the temporary names of this process; a name that exists is skipped.
unsigned g_next_temporary = 0;
constexpr int kNameAttempts = 1000;

}  // namespace

bool ReplacementFile::Begin(std::wstring_view target) {
  Abandon();
  std::optional<std::string> native = NativePath(target);
  if (!native || native->empty()) return false;
  target_ = *native;
  const std::string pid = std::to_string(getpid());
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    temporary_ = target_ + ".~" + pid + "-" + std::to_string(g_next_temporary++) + ".tmp";
    const int fd = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return Open(fd);
    if (errno != EEXIST) break;
  }
  temporary_.clear();
  return false;
}

bool ReplacementFile::Begin(std::wstring_view target, std::wstring_view temporary) {
  Abandon();
  std::optional<std::string> native_target = NativePath(target);
  std::optional<std::string> native_temporary = NativePath(temporary);
  if (!native_target || !native_temporary || native_target->empty() ||
      native_temporary->empty() || *native_target == *native_temporary)
    return false;
  target_ = *native_target;
  temporary_ = *native_temporary;
  const int fd = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    temporary_.clear();
    return false;
  }
  return Open(fd);
}

bool ReplacementFile::Open(int fd) {
  file_ = fdopen(fd, "wb");
  if (file_ == nullptr) {
    close(fd);
    unlink(temporary_.c_str());
    temporary_.clear();
    return false;
  }
  ok_ = true;
  attributes_.reset();
  return true;
}

bool ReplacementFile::Write(const void* data, std::size_t size) {
  if (!Ok()) return false;
  if (FaultFires(FaultPoint::SaveFile) || std::fwrite(data, 1, size, file_) != size) ok_ = false;
  return ok_;
}

void ReplacementFile::KeepModeAndTimes(unsigned mode, const std::timespec& access,
                                       const std::timespec& write) {
  attributes_ = Attributes{mode, {access, write}};
}

bool ReplacementFile::Commit() { return Finish(true); }

bool ReplacementFile::CommitAsNew() { return Finish(false); }

bool ReplacementFile::Finish(bool replace) {
  if (file_ == nullptr) return false;
  // On the disk before the rename, so that the target never names a file
  // whose content did not reach it.
  bool ok = ok_ && std::fflush(file_) == 0 && fsync(fileno(file_)) == 0;
  // After the flush nothing more is written, so the times set here stay.
  if (ok && attributes_) {
    const int fd = fileno(file_);
    ok = fchmod(fd, static_cast<mode_t>(attributes_->mode & 07777)) == 0 &&
         futimens(fd, attributes_->times) == 0;
  }
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  if (ok && FaultFires(FaultPoint::SaveFile)) ok = false;
  if (ok) {
    if (replace) {
      ok = rename(temporary_.c_str(), target_.c_str()) == 0;
    } else {
      // link() refuses an existing target, so nothing slips in between.
      ok = link(temporary_.c_str(), target_.c_str()) == 0;
    }
  }
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

}  // namespace host
