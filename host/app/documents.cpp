#include "host/app/documents.h"

#include <cstdint>
#include <memory>

#include "host/app/addins.h"
#include "host/db/database.h"
#include "host/db/drawing_file.h"
#include "host/editor/graphics.h"
#include "host/editor/selection.h"
#include "host/editor/system_variables.h"
#include "host/lisp/environment.h"
#include "host/system/files.h"
#include "host/system/wide_text.h"
#include "host/system/user_actions.h"

namespace host {
namespace {

struct Document {
  std::wstring path;
  db::Database database;
  // The database's change count when the drawing was started, read or saved.
  std::uint64_t kept_changes = 0;
  lisp::Environment lisp;
};

std::unique_ptr<Document>& Current() {
  static std::unique_ptr<Document> document;
  return document;
}

std::wstring FolderOf(const std::wstring& path) {
  std::wstring folder = AbsolutePath(path);
  folder.resize(folder.find_last_of(L'/') + 1);
  return folder;
}

void MakeCurrent(std::unique_ptr<Document> document) {
  Current() = std::move(document);
  lisp::SetCurrentEnvironment(&Current()->lisp);
  db::SetWorkingDatabase(&Current()->database);
  BindSystemVariable(L"DWGPREFIX", {[] {
                                      const std::wstring& path = Current() ? Current()->path : std::wstring();
                                      if (path.empty()) {
                                        std::wstring folder = CurrentFolder().value_or(L"");
                                        if (folder.empty() || folder.back() != L'/') folder += L'/';
                                        return SysVarValue(folder);
                                      }
                                      return SysVarValue(FolderOf(path));
                                    },
                                    {}});
  SendToAllAddins(AppMessage::kLoadDrawing);
  // What the add-ins do to a drawing as it opens is no work of the user's.
  if (Current()) Current()->kept_changes = Current()->database.ChangeCount();
}

}  // namespace

bool DrawingOpen() { return Current() != nullptr; }

db::Database* CurrentDrawing() { return Current() ? &Current()->database : nullptr; }

const std::wstring& DrawingPath() {
  static const std::wstring none;
  return Current() ? Current()->path : none;
}

Status NewDrawing() {
  (void)CloseDrawing();
  MakeCurrent(std::make_unique<Document>());
  Shown().Add("drawing", L"new");
  return Status::kNormal;
}

Result<> OpenDrawing(std::wstring_view path) {
  auto document = std::make_unique<Document>();
  const std::wstring file = db::DrawingFilePath(path);
  Result<std::int64_t> read = db::ReadDrawing(document->database, file);
  if (!read) return Failed(read.message);
  document->path = AbsolutePath(file);
  (void)CloseDrawing();
  MakeCurrent(std::move(document));
  Shown().Add("drawing", L"open " + Current()->path);
  return {};
}

Result<> SaveDrawing(std::wstring_view path) {
  if (!Current()) return Failed(L"No drawing is open.");
  std::wstring target = path.empty() ? Current()->path : db::DrawingFilePath(path);
  if (target.empty()) return Failed(L"The drawing has no file name yet.");
  Result<std::int64_t> saved = db::SaveDrawing(Current()->database, target);
  if (!saved) return Failed(saved.message);
  Current()->path = AbsolutePath(target);
  Current()->kept_changes = Current()->database.ChangeCount();
  Shown().Add("drawing", L"saved " + Current()->path);
  return {};
}

bool DrawingChanged() { return Current() && Current()->database.ChangeCount() != Current()->kept_changes; }

namespace {

// An optimised build leaves the memory of the drawing closed at the end of
// the process to the system; debug and sanitised builds free it, so that
// their checks cover the teardown and find every leak.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HOST_FREES_AT_EXIT 1
#endif
#endif
#if !defined(NDEBUG) || defined(__SANITIZE_ADDRESS__)
#define HOST_FREES_AT_EXIT 1
#endif
#ifdef HOST_FREES_AT_EXIT
constexpr bool kLeaveMemoryAtExit = false;
#else
constexpr bool kLeaveMemoryAtExit = true;
#endif

// The drawing left at exit, kept where it can be found so that it is not
// taken for a leak.
Document* volatile g_leftAtExit = nullptr;

Status Close(bool atExit) {
  if (!Current()) return Status::kError;
  SendToAllAddins(AppMessage::kUnloadDrawing);
  lisp::SetCurrentEnvironment(nullptr);
  FreeAllSelectionSets();
  ResetGraphics();
  if (atExit && kLeaveMemoryAtExit) {
    g_leftAtExit = Current().release();
    db::SetWorkingDatabase(nullptr);
  } else {
    Current().reset();  // the working database goes with it
  }
  Shown().Add("drawing", L"closed");
  return Status::kNormal;
}

}  // namespace

Status CloseDrawing() { return Close(false); }

Status CloseDrawingAtExit() { return Close(true); }

}  // namespace host
