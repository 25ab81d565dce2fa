// The dynamic linker's services to add-ins.
//
// An add-in is loaded locked: the user cannot unload it until it unlocks
// itself. An add-in declares that it copes with several open drawings by
// registering as MDI-aware. Both are asked with the application id the host
// gave the add-in's entry point; an id that names no loaded add-in fails.
#pragma once

namespace host {

[[nodiscard]] bool UnlockApplication(const void* app_id);
[[nodiscard]] bool LockApplication(const void* app_id);
[[nodiscard]] bool RegisterAppMdiAware(const void* app_id);

bool IsApplicationLocked(const void* app_id);
bool IsApplicationMdiAware(const void* app_id);

}  // namespace host
