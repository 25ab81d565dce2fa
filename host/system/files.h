// Files and folders, as the add-ins expect them of Windows.
//
// Paths are wide text; the Linux path is its UTF-8 (EncodeUtf8 in
// wide_text.h), so "plän.dxf" and "层/a.dxf" name the files a shell shows
// under those names. A byte of a Linux name that is not valid UTF-8 reads as
// a unit of its own (U+DC80 to U+DCFF) and goes back to the same byte, so
// every name a listing gives opens again. A path holding a NUL names no
// file: every call fails on it. The host composes paths with
// kPathSeparator; the Windows '\' is accepted too and read as '/'.
//
// Attributes come from what Linux has: directory; read-only when the owner
// may not write; hidden when the name starts with '.' ("." and ".." are not
// hidden); never system; normal when none of those. The creation time is
// the birth time where the file system keeps one, else the modification
// time.
//
// Failures are returned: false, an empty optional or an empty listing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/system/file_time.h"

namespace host {

inline constexpr wchar_t kPathSeparator = L'/';

// Attribute bits, valued as on Windows.
inline constexpr std::uint32_t kAttributeReadOnly = 0x01;
inline constexpr std::uint32_t kAttributeHidden = 0x02;
inline constexpr std::uint32_t kAttributeSystem = 0x04;
inline constexpr std::uint32_t kAttributeDirectory = 0x10;
inline constexpr std::uint32_t kAttributeNormal = 0x80;

struct FileInfo {
  std::wstring name;             // the last part of the path
  std::uint32_t attributes = 0;  // kAttribute* bits
  std::uint64_t size = 0;        // 0 for a folder
  FileTime creation_time = 0;
  FileTime last_access_time = 0;
  FileTime last_write_time = 0;
};

// The Linux form of a path (separators made '/'); none when a unit is 0 or
// no code point.
std::optional<std::string> NativePath(std::wstring_view path);
// The wide form of a Linux path.
std::wstring WidePath(std::string_view native);

// ---- looking things up ----------------------------------------------------

std::optional<FileInfo> GetFileInfo(std::wstring_view path);
bool PathExists(std::wstring_view path);
bool IsDirectory(std::wstring_view path);
// True when the path names a plain file, through links: not a folder, a
// device, a pipe (FIFO) or a socket, which a reader could wait on for ever
// or read without end.
bool IsPlainFile(std::wstring_view path);
// Both paths name one file or folder (through links too); false when either
// does not exist.
bool SameFile(std::wstring_view a, std::wstring_view b);
// True when the file exists and this process may read it.
bool CanRead(std::wstring_view path);

// The entries of a folder that match a wildcard, as a Windows folder search
// gives them: `pattern` is a folder, a separator and a wildcard for the names
// ("/data/*.*", "/data/a?.gml"); a pattern without a separator searches the
// current folder. '*' matches any run of characters, '?' one character, and
// letter case is ignored; "*.*" matches every name, and a wildcard that ends
// in ".*" also matches the names without an extension. Every folder but the
// root has the entries "." and "..". Sorted by name, case ignored. A folder
// that cannot be read gives no entries.
std::vector<FileInfo> ListFolder(std::wstring_view pattern);

// True when `name` matches the wildcard by the rules above.
bool MatchesWildcard(std::wstring_view name, std::wstring_view wildcard);
// Orders names case ignored; names equal but for case by their units.
bool NameLess(std::wstring_view a, std::wstring_view b);
// Equal names with letter case ignored (ASCII and Latin-1 letters).
bool SameNameIgnoringCase(std::wstring_view a, std::wstring_view b);

// The path with every part matched against the folder's entries with letter
// case ignored (an exact match first); none when a part matches nothing.
std::optional<std::wstring> FindPathIgnoringCase(std::wstring_view path);

// ---- changing things ------------------------------------------------------

// Copies a file's contents, permissions and times; with `overwrite` false an
// existing target makes it fail. The copy is made through a ReplacementFile
// (replace_file.h), so a failed copy leaves no partial target behind.
[[nodiscard]] bool CopyFile(std::wstring_view from, std::wstring_view to, bool overwrite);
[[nodiscard]] bool RemoveFile(std::wstring_view path);
// Renames a file or folder; fails when `to` exists (as on Windows).
[[nodiscard]] bool RenameFile(std::wstring_view from, std::wstring_view to);
// Renames a file over an existing one in one step.
[[nodiscard]] bool ReplaceFile(std::wstring_view from, std::wstring_view to);
// Sets or clears the read-only attribute.
[[nodiscard]] bool SetReadOnly(std::wstring_view path, bool read_only);

enum class CreateFolderResult { kCreated, kExists, kFailed };
// Creates one folder; its parent must exist.
[[nodiscard]] CreateFolderResult CreateFolder(std::wstring_view path);
// Creates a folder and every missing folder above it.
[[nodiscard]] bool CreateFolders(std::wstring_view path);
[[nodiscard]] bool RemoveFolder(std::wstring_view path);  // an empty one

// The process's current folder (without a trailing separator).
std::optional<std::wstring> CurrentFolder();
// The path from the root: a relative path is taken from the current folder;
// separators become '/', and "." and "name/.." parts go, as a shell reads
// them (without following links). The path itself when there is no current
// folder.
std::wstring AbsolutePath(std::wstring_view path);
[[nodiscard]] bool SetCurrentFolder(std::wstring_view path);

// ---- volumes --------------------------------------------------------------

struct VolumeSpace {
  std::uint64_t free_to_caller = 0;
  std::uint64_t total = 0;
  std::uint64_t free_total = 0;
};
std::optional<VolumeSpace> GetVolumeSpace(std::wstring_view path);

enum class DriveType { kUnknown, kNoRootFolder, kRemovable, kFixed, kRemote, kCdRom, kRamDisk };
// Local folders are fixed drives; a path that does not exist has no root.
DriveType GetDriveType(std::wstring_view path);

}  // namespace host
