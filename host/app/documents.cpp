#include "host/app/documents.h"

#include <filesystem>
#include <memory>

#include "host/app/addins.h"
#include "host/db/database.h"
#include "host/editor/graphics.h"
#include "host/editor/selection.h"
#include "host/editor/system_variables.h"
#include "host/lisp/environment.h"
#include "host/system/user_actions.h"

namespace host {
namespace {

struct Document {
  std::wstring path;
  db::Database database;
  lisp::Environment lisp;
};

std::unique_ptr<Document>& Current() {
  static std::unique_ptr<Document> document;
  return document;
}

std::wstring FolderOf(const std::wstring& path) {
  std::filesystem::path p(path);
  std::wstring folder = std::filesystem::absolute(p).parent_path().wstring();
  if (folder.empty() || folder.back() != L'/') folder += L'/';
  return folder;
}

void MakeCurrent(std::unique_ptr<Document> document) {
  Current() = std::move(document);
  lisp::SetCurrentEnvironment(&Current()->lisp);
  db::SetWorkingDatabase(&Current()->database);
  BindSystemVariable(L"DWGPREFIX", {[] {
                                      const std::wstring& path = Current() ? Current()->path : std::wstring();
                                      if (path.empty()) {
                                        std::error_code ec;
                                        std::wstring folder = std::filesystem::current_path(ec).wstring();
                                        if (folder.empty() || folder.back() != L'/') folder += L'/';
                                        return SysVarValue(folder);
                                      }
                                      return SysVarValue(FolderOf(path));
                                    },
                                    {}});
  SendToAllAddins(AppMessage::kLoadDrawing);
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

Status CloseDrawing() {
  if (!Current()) return Status::kError;
  SendToAllAddins(AppMessage::kUnloadDrawing);
  lisp::SetCurrentEnvironment(nullptr);
  FreeAllSelectionSets();
  ResetGraphics();
  Current().reset();  // the working database goes with it
  Shown().Add("drawing", L"closed");
  return Status::kNormal;
}

}  // namespace host
