// The Linux half of files.h: stat, directory reading, copying, renaming,
// folders, the current folder and volumes, through POSIX calls.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "host/system/files.h"
#include "host/system/replace_file.h"

namespace host {
namespace {

// File-system magic numbers (statfs f_type) that tell the kind of drive.
constexpr long kNfsMagic = 0x6969;
constexpr long kSmbMagic = 0x517B;
constexpr long kCifsMagic = 0xFF534D42;
constexpr long kSmb2Magic = 0xFE534D42;
constexpr long kTmpfsMagic = 0x01021994;
constexpr long kRamfsMagic = 0x858458F6;
constexpr long kIso9660Magic = 0x9660;
constexpr long kUdfMagic = 0x15013346;

std::wstring LastPart(std::wstring_view path) {
  while (path.size() > 1 && (path.back() == L'/' || path.back() == L'\\')) path.remove_suffix(1);
  const std::size_t cut = path.find_last_of(L"/\\");
  if (cut == std::wstring_view::npos || path.size() == 1) return std::wstring(path);
  return std::wstring(path.substr(cut + 1));
}

std::optional<FileInfo> InfoOf(const std::string& native, std::wstring name) {
  struct statx stx {};
  bool have = statx(AT_FDCWD, native.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &stx) == 0;
  if (!have) {
    // A link that leads nowhere is listed as itself.
    have = statx(AT_FDCWD, native.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &stx) == 0;
  }
  if (!have) return std::nullopt;
  FileInfo info;
  const bool dot_entry = name == L"." || name == L"..";
  info.name = std::move(name);
  if (S_ISDIR(stx.stx_mode)) info.attributes |= kAttributeDirectory;
  if ((stx.stx_mode & S_IWUSR) == 0) info.attributes |= kAttributeReadOnly;
  if (!dot_entry && !info.name.empty() && info.name[0] == L'.') info.attributes |= kAttributeHidden;
  if (info.attributes == 0) info.attributes = kAttributeNormal;
  info.size = S_ISDIR(stx.stx_mode) ? 0 : stx.stx_size;
  info.last_write_time = UnixTimeToFileTime(stx.stx_mtime.tv_sec, stx.stx_mtime.tv_nsec);
  info.last_access_time = UnixTimeToFileTime(stx.stx_atime.tv_sec, stx.stx_atime.tv_nsec);
  info.creation_time = (stx.stx_mask & STATX_BTIME)
                           ? UnixTimeToFileTime(stx.stx_btime.tv_sec, stx.stx_btime.tv_nsec)
                           : info.last_write_time;
  return info;
}

bool IsRootFolder(const std::string& native) {
  char* resolved = realpath(native.c_str(), nullptr);
  if (resolved == nullptr) return false;
  const bool root = std::string(resolved) == "/";
  std::free(resolved);
  return root;
}

// Owns a file descriptor.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

bool ReadOnlyFile(const std::string& native) {
  struct stat st {};
  return stat(native.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) && (st.st_mode & S_IWUSR) == 0;
}

}  // namespace

std::optional<FileInfo> GetFileInfo(std::wstring_view path) {
  std::optional<std::string> native = NativePath(path);
  if (!native || native->empty()) return std::nullopt;
  return InfoOf(*native, LastPart(path));
}

bool PathExists(std::wstring_view path) { return GetFileInfo(path).has_value(); }

bool IsDirectory(std::wstring_view path) {
  std::optional<FileInfo> info = GetFileInfo(path);
  return info && (info->attributes & kAttributeDirectory) != 0;
}

bool IsPlainFile(std::wstring_view path) {
  const std::optional<std::string> native = NativePath(path);
  struct stat st {};
  return native && !native->empty() && stat(native->c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool SameFile(std::wstring_view a, std::wstring_view b) {
  const std::optional<std::string> x = NativePath(a);
  const std::optional<std::string> y = NativePath(b);
  struct stat first {}, second {};
  if (!x || !y || stat(x->c_str(), &first) != 0 || stat(y->c_str(), &second) != 0) return false;
  return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool CanRead(std::wstring_view path) {
  std::optional<std::string> native = NativePath(path);
  return native && !native->empty() && access(native->c_str(), R_OK) == 0;
}

std::vector<FileInfo> ListFolder(std::wstring_view pattern) {
  std::vector<FileInfo> entries;
  const std::size_t cut = pattern.find_last_of(L"/\\");
  std::wstring folder = cut == std::wstring_view::npos ? L"." : std::wstring(pattern.substr(0, cut));
  if (folder.empty()) folder = L"/";
  const std::wstring_view wildcard =
      cut == std::wstring_view::npos ? pattern : pattern.substr(cut + 1);
  if (wildcard.empty()) return entries;
  std::optional<std::string> native = NativePath(folder);
  if (!native) return entries;

  DIR* dir = opendir(native->c_str());
  if (dir == nullptr) return entries;
  const bool root = IsRootFolder(*native);
  std::string prefix = *native;
  if (prefix.back() != '/') prefix += '/';
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (root && (name == "." || name == "..")) continue;
    std::wstring wide = WidePath(name);
    if (!MatchesWildcard(wide, wildcard)) continue;
    if (std::optional<FileInfo> info = InfoOf(prefix + name, std::move(wide)))
      entries.push_back(std::move(*info));
  }
  closedir(dir);
  std::sort(entries.begin(), entries.end(),
            [](const FileInfo& a, const FileInfo& b) { return NameLess(a.name, b.name); });
  return entries;
}

std::optional<std::wstring> FindPathIgnoringCase(std::wstring_view path) {
  std::optional<std::string> native = NativePath(path);
  if (!native || native->empty()) return std::nullopt;
  std::string found = (*native)[0] == '/' ? "/" : "";
  std::size_t pos = 0;
  while (pos <= native->size()) {
    std::size_t end = native->find('/', pos);
    if (end == std::string::npos) end = native->size();
    const std::string part = native->substr(pos, end - pos);
    pos = end + 1;
    if (part.empty()) continue;
    const std::string folder = found.empty() ? "." : found;
    std::string match;
    struct stat st {};
    const std::string exact = (found.empty() || found.back() == '/' ? found : found + "/") + part;
    if (part == "." || part == ".." || lstat(exact.c_str(), &st) == 0) {
      match = part;
    } else {
      DIR* dir = opendir(folder.c_str());
      if (dir == nullptr) return std::nullopt;
      std::vector<std::wstring> candidates;
      while (dirent* entry = readdir(dir)) {
        std::wstring name = WidePath(entry->d_name);
        if (SameNameIgnoringCase(name, WidePath(part))) candidates.push_back(std::move(name));
      }
      closedir(dir);
      if (candidates.empty()) return std::nullopt;
      std::sort(candidates.begin(), candidates.end(),
                [](const std::wstring& a, const std::wstring& b) { return NameLess(a, b); });
      match = *NativePath(candidates.front());
    }
    if (!found.empty() && found.back() != '/') found += '/';
    found += match;
  }
  return WidePath(found);
}

bool CopyFile(std::wstring_view from, std::wstring_view to, bool overwrite) {
  std::optional<std::string> source = NativePath(from);
  std::optional<std::string> target = NativePath(to);
  if (!source || !target || source->empty() || target->empty()) return false;
  struct stat st {};
  if (stat(source->c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  struct stat existing {};
  if (stat(target->c_str(), &existing) == 0) {
    // As on Windows: no overwriting when told not to, nor of a read-only file.
    if (!overwrite || S_ISDIR(existing.st_mode) || (existing.st_mode & S_IWUSR) == 0) return false;
  }

  Fd in(open(source->c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) return false;
  // The copy is written beside the target and put in its place at the end,
  // so a failure never leaves a partial target.
  ReplacementFile out;
  if (!out.Begin(to)) return false;
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(in.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) out.Fail();
    if (n <= 0 || !out.Write(buffer, static_cast<std::size_t>(n))) break;
  }
  // The copy keeps the source's permissions and last write time.
  out.KeepModeAndTimes(st.st_mode, st.st_atim, st.st_mtim);
  return overwrite ? out.Commit() : out.CommitAsNew();
}

bool RemoveFile(std::wstring_view path) {
  std::optional<std::string> native = NativePath(path);
  if (!native || native->empty() || ReadOnlyFile(*native)) return false;
  struct stat st {};
  if (lstat(native->c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  return unlink(native->c_str()) == 0;
}

bool RenameFile(std::wstring_view from, std::wstring_view to) {
  std::optional<std::string> source = NativePath(from);
  std::optional<std::string> target = NativePath(to);
  if (!source || !target || source->empty() || target->empty()) return false;
  if (renameat2(AT_FDCWD, source->c_str(), AT_FDCWD, target->c_str(), RENAME_NOREPLACE) == 0)
    return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // The file system cannot refuse by itself: look first.
  struct stat st {};
  if (lstat(target->c_str(), &st) == 0) return false;
  return rename(source->c_str(), target->c_str()) == 0;
}

bool ReplaceFile(std::wstring_view from, std::wstring_view to) {
  std::optional<std::string> source = NativePath(from);
  std::optional<std::string> target = NativePath(to);
  if (!source || !target || source->empty() || target->empty()) return false;
  return rename(source->c_str(), target->c_str()) == 0;
}

bool SetReadOnly(std::wstring_view path, bool read_only) {
  std::optional<std::string> native = NativePath(path);
  if (!native || native->empty()) return false;
  struct stat st {};
  if (stat(native->c_str(), &st) != 0) return false;
  mode_t mode = st.st_mode & 07777;
  mode = read_only ? (mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH)) : (mode | S_IWUSR);
  return chmod(native->c_str(), mode) == 0;
}

CreateFolderResult CreateFolder(std::wstring_view path) {
  std::optional<std::string> native = NativePath(path);
  if (!native || native->empty()) return CreateFolderResult::kFailed;
  if (mkdir(native->c_str(), 0777) == 0) return CreateFolderResult::kCreated;
  if (errno == EEXIST && IsDirectory(path)) return CreateFolderResult::kExists;
  return CreateFolderResult::kFailed;
}

bool CreateFolders(std::wstring_view path) {
  std::optional<std::string> native = NativePath(path);
  if (!native || native->empty()) return false;
  std::size_t pos = (*native)[0] == '/' ? 1 : 0;
  for (;;) {
    const std::size_t end = native->find('/', pos);
    const std::string level = native->substr(0, end);
    if (!level.empty() && level.back() != '/' &&
        CreateFolder(WidePath(level)) == CreateFolderResult::kFailed)
      return false;
    if (end == std::string::npos) return true;
    pos = end + 1;
  }
}

bool RemoveFolder(std::wstring_view path) {
  std::optional<std::string> native = NativePath(path);
  return native && !native->empty() && rmdir(native->c_str()) == 0;
}

std::optional<std::wstring> CurrentFolder() {
  std::unique_ptr<char, decltype(&std::free)> cwd(getcwd(nullptr, 0), &std::free);
  if (!cwd) return std::nullopt;
  return WidePath(cwd.get());
}

std::wstring AbsolutePath(std::wstring_view path) {
  std::wstring text(path);
  for (wchar_t& c : text)
    if (c == L'\\') c = L'/';
  if (text.empty() || text[0] != L'/') {
    const std::optional<std::wstring> folder = CurrentFolder();
    if (!folder) return text;
    text = *folder + L"/" + text;
  }
  std::vector<std::wstring_view> parts;
  const std::wstring_view all(text);
  std::size_t start = 1;
  while (start <= all.size()) {
    std::size_t end = all.find(L'/', start);
    if (end == std::wstring_view::npos) end = all.size();
    const std::wstring_view part = all.substr(start, end - start);
    if (part == L"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != L".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::wstring out;
  for (std::wstring_view part : parts) {
    out += L'/';
    out += part;
  }
  return out.empty() ? std::wstring(L"/") : out;
}

bool SetCurrentFolder(std::wstring_view path) {
  std::optional<std::string> native = NativePath(path);
  return native && !native->empty() && chdir(native->c_str()) == 0;
}

std::optional<VolumeSpace> GetVolumeSpace(std::wstring_view path) {
  std::optional<std::string> native = NativePath(path);
  struct statvfs vfs {};
  if (!native || native->empty() || statvfs(native->c_str(), &vfs) != 0) return std::nullopt;
  VolumeSpace space;
  space.free_to_caller = static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_frsize;
  space.total = static_cast<std::uint64_t>(vfs.f_blocks) * vfs.f_frsize;
  space.free_total = static_cast<std::uint64_t>(vfs.f_bfree) * vfs.f_frsize;
  return space;
}

DriveType GetDriveType(std::wstring_view path) {
  std::optional<std::string> native = NativePath(path);
  struct statfs fs {};
  if (!native || native->empty() || statfs(native->c_str(), &fs) != 0)
    return DriveType::kNoRootFolder;
  switch (static_cast<long>(fs.f_type)) {
    case kNfsMagic:
    case kSmbMagic:
    case kCifsMagic:
    case kSmb2Magic: return DriveType::kRemote;
    case kTmpfsMagic:
    case kRamfsMagic: return DriveType::kRamDisk;
    case kIso9660Magic:
    case kUdfMagic: return DriveType::kCdRom;
    default: return DriveType::kFixed;
  }
}

}  // namespace host
