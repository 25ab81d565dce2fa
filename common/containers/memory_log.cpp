#include "common/containers/memory_log.h"

#include <cinttypes>
#include <cstdio>

#include "common/containers/grow_array_ops.h"
#include "host/system/files.h"
#include "host/system/temp_files.h"

namespace {

constexpr const char* kMemoryLogName = "orvanelog.txt";

}  // namespace

std::string MemoryLogPath() {
  return host::NativePath(host::TempFolder()).value_or("/tmp/") + kMemoryLogName;
}

void WriteMemoryLog(const char* text) {
  std::FILE* log = std::fopen(MemoryLogPath().c_str(), "a+");
  if (log == nullptr) return;
  std::fprintf(log, "(vm) %s\n", text != nullptr ? text : "");
  std::fclose(log);
}

bool GrowArraySetLogged(GrowArray* header, std::int32_t index, const void* element,
                        std::int32_t step) {
  if (step <= 0) return false;
  const grow_array_detail::SetOutcome outcome =
      grow_array_detail::SetElement(header, index, element, step, kGrowArrayMaxBytes);
  if (outcome == grow_array_detail::SetOutcome::kGrowthFailed) {
    // Wraps like the size the allocator was asked for.
    const std::uint64_t bytes =
        (static_cast<std::uint64_t>(header->capacity) + static_cast<std::uint64_t>(step)) *
        header->elementSize;
    char line[80];
    std::snprintf(line, sizeof line, "ZAzeZo ui: %zu, li: %" PRIu32,
                  static_cast<std::size_t>(bytes), static_cast<std::uint32_t>(bytes));
    WriteMemoryLog(line);
  }
  return outcome == grow_array_detail::SetOutcome::kStored;
}
