// The binary interface between the host and an add-in.
//
// Every add-in is a shared library exporting two C functions: the entry point,
// which the host calls with application messages, and the interface version
// it was built against. The host loads add-ins with dlopen and looks both up
// by name.
#pragma once

#include <cstdint>

namespace host {

// Application messages, numbered as the add-ins expect them.
enum class AppMessage : std::int32_t {
  kNull = 0,
  kInitApp = 1,      // the add-in was loaded
  kUnloadApp = 2,    // the add-in is about to be unloaded
  kLoadDrawing = 3,  // a drawing was opened or started
  kUnloadDrawing = 4,
  kInvokeLisp = 5,   // one of the add-in's LISP functions was called
};

enum class AppResult : std::int32_t { kOk = 0, kError = 3 };

// The interface version the host offers; an add-in answering another version
// is refused.
inline constexpr std::int32_t kAddinApiVersion = 1;

using AddinEntryPointFn = AppResult (*)(AppMessage message, void* app_id);
using AddinApiVersionFn = std::int32_t (*)();

}  // namespace host

#define VARNEL_ADDIN_EXPORT extern "C" __attribute__((visibility("default")))
