// The add-in loader: the one place of the host that opens shared libraries.
#include "host/app/addins.h"

#include <dlfcn.h>

#include <algorithm>
#include <memory>

#include "host/app/command_stack.h"
#include "host/app/documents.h"
#include "host/app/dynamic_linker.h"
#include "host/lisp/call.h"
#include "host/lisp/environment.h"
#include "host/system/files.h"
#include "host/system/user_actions.h"
#include "host/system/wide_text.h"

namespace host {
namespace {

struct Addin {
  AddinInfo info;
  void* library = nullptr;
  AddinEntryPointFn entry = nullptr;
  bool locked = true;
  bool mdi_aware = false;
};

std::vector<std::unique_ptr<Addin>>& Loaded() {
  static std::vector<std::unique_ptr<Addin>> loaded;
  return loaded;
}

Addin* Find(const void* id) {
  for (auto& a : Loaded())
    if (a.get() == id) return a.get();
  return nullptr;
}

std::wstring StemOf(std::wstring_view path) {
  std::size_t slash = path.find_last_of(L"/\\");
  std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
  std::size_t dot = name.rfind(L'.');
  if (dot != std::wstring_view::npos && dot > 0) name = name.substr(0, dot);
  return std::wstring(name);
}

AppResult Send(Addin& addin, AppMessage message) {
  Shown().Add("app_message", addin.info.name + L" " + MessageName(message));
  lisp::ScopedApp running(&addin);
  return addin.entry(message, &addin);
}

bool InvokeLisp(lisp::AppId owner, int /*code*/) {
  Addin* addin = Find(owner);
  if (addin == nullptr) return false;
  (void)Send(*addin, AppMessage::kInvokeLisp);
  return true;
}

// Closes the library and forgets everything the add-in left behind.
void Close(std::unique_ptr<Addin> addin) {
  RemoveCommandsOf(addin.get());
  lisp::CurrentEnvironment().UndefineAllOf(addin.get());
  if (addin->library) dlclose(addin->library);
}

}  // namespace

Result<const void*> LoadAddin(std::wstring_view path) {
  lisp::SetInvoker(InvokeLisp);
  const std::wstring name = StemOf(path);
  for (auto& a : Loaded())
    if (SameIgnoringAsciiCase(a->info.name, name))
      return {Status::kError, nullptr, L"\"" + name + L"\" is loaded already."};
  std::optional<std::string> native = NativePath(path);
  if (!native) return {Status::kError, nullptr, L"Cannot load " + std::wstring(path) + L": the path has characters no file name can hold"};
  if (native->find('/') == std::string::npos) *native = "./" + *native;  // not a library search
  void* library = dlopen(native->c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* why = dlerror();
    return {Status::kError, nullptr, L"Cannot load " + std::wstring(path) + L": " + DecodeUtf8(why ? why : "")};
  }
  auto entry = reinterpret_cast<AddinEntryPointFn>(dlsym(library, "acrxEntryPoint"));
  auto version = reinterpret_cast<AddinApiVersionFn>(dlsym(library, "acrxGetApiVersion"));
  if (entry == nullptr || version == nullptr) {
    dlclose(library);
    return {Status::kError, nullptr, std::wstring(path) + L" is not an add-in: it does not export the entry point and version."};
  }
  const std::int32_t got = version();
  if (got != kAddinApiVersion) {
    dlclose(library);
    return {Status::kError, nullptr,
            std::wstring(path) + L" was built for interface version " + std::to_wstring(got) +
                L"; this host offers " + std::to_wstring(kAddinApiVersion) + L"."};
  }
  auto addin = std::make_unique<Addin>();
  addin->info = AddinInfo{name, std::wstring(path), addin.get()};
  addin->library = library;
  addin->entry = entry;
  Addin& ref = *addin;
  Loaded().push_back(std::move(addin));
  if (Send(ref, AppMessage::kInitApp) != AppResult::kOk) {
    auto it = std::find_if(Loaded().begin(), Loaded().end(), [&](auto& a) { return a.get() == &ref; });
    std::unique_ptr<Addin> failed = std::move(*it);
    Loaded().erase(it);
    Close(std::move(failed));
    return {Status::kError, nullptr, name + L" failed to initialise."};
  }
  if (DrawingOpen()) (void)Send(ref, AppMessage::kLoadDrawing);
  Shown().Add("addin", L"loaded " + name);
  return {Status::kNormal, &ref, {}};
}

Status UnloadAddin(std::wstring_view name, bool force) {
  auto& loaded = Loaded();
  auto it = std::find_if(loaded.begin(), loaded.end(), [&](auto& a) {
    return SameIgnoringAsciiCase(a->info.name, name) || a->info.path == name;
  });
  if (it == loaded.end()) return Status::kError;
  if ((*it)->locked && !force) return Status::kError;
  Addin& addin = **it;
  if (DrawingOpen()) (void)Send(addin, AppMessage::kUnloadDrawing);
  (void)Send(addin, AppMessage::kUnloadApp);
  // Sending may have changed the list; find the add-in again.
  it = std::find_if(loaded.begin(), loaded.end(), [&](auto& a) { return a.get() == &addin; });
  std::unique_ptr<Addin> gone = std::move(*it);
  loaded.erase(it);
  const std::wstring gone_name = gone->info.name;
  Close(std::move(gone));
  Shown().Add("addin", L"unloaded " + gone_name);
  return Status::kNormal;
}

void UnloadAllAddins() {
  while (!Loaded().empty()) {
    const std::wstring name = Loaded().back()->info.name;
    (void)UnloadAddin(name, true);
  }
}

std::vector<AddinInfo> LoadedAddins() {
  std::vector<AddinInfo> infos;
  for (auto& a : Loaded()) infos.push_back(a->info);
  return infos;
}

const AddinInfo* FindAddin(const void* id) {
  Addin* addin = Find(id);
  return addin ? &addin->info : nullptr;
}

void SendToAllAddins(AppMessage message) {
  // Copy the ids: an add-in may be unloaded while the message goes round.
  std::vector<const void*> ids;
  for (auto& a : Loaded()) ids.push_back(a.get());
  for (const void* id : ids)
    if (Addin* addin = Find(id)) (void)Send(*addin, message);
}

const wchar_t* MessageName(AppMessage message) {
  switch (message) {
    case AppMessage::kNull: return L"null";
    case AppMessage::kInitApp: return L"init";
    case AppMessage::kUnloadApp: return L"unload app";
    case AppMessage::kLoadDrawing: return L"load drawing";
    case AppMessage::kUnloadDrawing: return L"unload drawing";
    case AppMessage::kInvokeLisp: return L"invoke";
  }
  return L"unknown";
}

bool UnlockApplication(const void* app_id) {
  Addin* addin = Find(app_id);
  if (addin == nullptr) return false;
  addin->locked = false;
  Shown().Add("dynamic_linker", addin->info.name + L" unlocked");
  return true;
}

bool LockApplication(const void* app_id) {
  Addin* addin = Find(app_id);
  if (addin == nullptr) return false;
  addin->locked = true;
  return true;
}

bool RegisterAppMdiAware(const void* app_id) {
  Addin* addin = Find(app_id);
  if (addin == nullptr) return false;
  addin->mdi_aware = true;
  Shown().Add("dynamic_linker", addin->info.name + L" MDI-aware");
  return true;
}

bool IsApplicationLocked(const void* app_id) {
  Addin* addin = Find(app_id);
  return addin != nullptr && addin->locked;
}

bool IsApplicationMdiAware(const void* app_id) {
  Addin* addin = Find(app_id);
  return addin != nullptr && addin->mdi_aware;
}

}  // namespace host
