// Loading and unloading add-ins, and the application messages.
//
// An add-in is a shared library that exports the entry point and the
// interface version (host/app/addin_abi.h). Loading opens the library,
// checks the version, gives the add-in an application id and sends it the
// init message; when a drawing is open it then gets the load-drawing message
// for it. Unloading sends unload-drawing for the open drawing, then unload
// application, drops the commands and LISP functions the add-in left behind
// and closes the library. An add-in whose init answers an error is closed
// again at once and counts as not loaded.
//
// Every message sent is recorded in the transcript as "app_message"
// ("<name> init", "<name> load drawing", ...). LISP calls of an add-in's
// functions reach it as the invoke message, sent while the call runs.
//
// Process-wide state, used from one thread only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/app/addin_abi.h"
#include "host/system/result.h"
#include "host/system/status.h"

namespace host {

struct AddinInfo {
  std::wstring name;  // the file name without folder and extension
  std::wstring path;
  const void* id = nullptr;
};

// Its value: the add-in's application id (null on failure).
Result<const void*> LoadAddin(std::wstring_view path);
// Unloads an add-in by name (case ignored) or path. A locked add-in is
// refused unless `force`. kError when none is loaded under that name.
Status UnloadAddin(std::wstring_view name, bool force = false);
// Unloads every add-in, newest first, locked or not (the host is closing).
void UnloadAllAddins();

std::vector<AddinInfo> LoadedAddins();
const AddinInfo* FindAddin(const void* id);

// Sends a message to every loaded add-in, in load order (drawing messages).
void SendToAllAddins(AppMessage message);

const wchar_t* MessageName(AppMessage message);

}  // namespace host
