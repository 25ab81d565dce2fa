// Open files by their Linux descriptor, for the compression libraries that
// take a descriptor (zlib's gzdopen) or read through callbacks (minizip).
//
// Paths here are in their Linux form (NativePath in files.h). Every call
// answers failure by its value (-1, false or none); a read or write that a
// signal interrupts is retried.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "host/system/file_time.h"

namespace host {

enum class SeekOrigin { kStart, kCurrent, kEnd };

struct DescriptorInfo {
  bool regular = false;    // a plain file (seekable, with a size)
  bool directory = false;
  std::uint64_t size = 0;  // of a plain file
};

// Opens a file for reading; -1 when it cannot be opened. A folder opens too:
// DescribeDescriptor tells it apart.
int OpenDescriptorForReading(const std::string& native);
// Creates a file, or empties an existing one, for writing; never through a
// link at the last part of the path. `read_only` creates it without write
// permission. -1 on failure.
int CreateDescriptorForWriting(const std::string& native, bool read_only);
// A second descriptor of the same open file, closed on exec; -1 on failure.
int DuplicateDescriptor(int fd);
void CloseDescriptor(int fd);

std::optional<DescriptorInfo> DescribeDescriptor(int fd);
// Bytes read (0 at the end), or -1.
std::int64_t ReadDescriptor(int fd, void* buffer, std::size_t size);
// True when every byte was written.
bool WriteDescriptor(int fd, const void* data, std::size_t size);
// The new position from the start, or -1.
std::int64_t SeekDescriptor(int fd, std::int64_t offset, SeekOrigin origin);
// Sets a plain file's access and write times; a time of 0 (or before 1970)
// leaves that time as it is.
bool SetDescriptorTimes(int fd, FileTime access, FileTime write);

}  // namespace host
