// What the fuzz targets share: a process that, for one seed, repeats its run
// exactly, and the file each input is written to.
//
// libFuzzer keeps what it saw the code compare and which branches ran, and
// picks its next mutations from that; anything that changes from one run to
// the next (a second thread's timing, the time, a process id, a counter that
// goes on from one input to the next) changes the inputs it makes from then
// on. And no input's run may depend on the inputs before it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace host {

// For LLVMFuzzerInitialize: every piece of work stays on the fuzzer's thread
// (helper_threads.h) and the host starts as for a test (ResetForTest), with a
// fixed wall clock and fixed names for replacement files.
void StartFuzzProcess();
// For the end of every input: the host back as StartFuzzProcess left it.
void EndFuzzInput();

// `name` in the temporary folder. Where TMPDIR names a folder of the run's
// own (./dev gives one) the name is kept as it is, so that every run reads
// the same paths; in the shared /tmp it is made unique to the process.
std::string FuzzFilePath(std::string_view name);
// Writes the fuzzer's bytes to `path`, replacing it; false when that failed.
bool WriteFuzzInput(const std::string& path, const std::uint8_t* data, std::size_t size);

}  // namespace host
