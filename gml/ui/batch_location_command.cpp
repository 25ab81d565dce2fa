#include "gml/ui/varnel_commands.h"

#include <string>

#include "common/containers/text.h"
#include "gml/writer/os_xdata.h"
#include "host/db/database.h"
#include "host/lisp/call.h"

void AddBatchLocationCommand() {
  using host::lisp::Value;
  using host::lisp::ValueType;
  const std::vector<Value>& args = host::lisp::Arguments();
  if (args.empty()) return;
  if (args[0].type() != ValueType::kEntityName || args.size() < 2 || !args[1].IsString()) return;
  const std::wstring app =
      args.size() > 2 && args[2].IsString() ? args[2].text() : std::wstring(kBatchLocationApp);

  // The application the mark is written under is the one registered: a
  // custom name needs its own record, or the write is refused.
  if (!EnsureBatchLocationApp(app)) return;
  const host::EntityName entity = args[0].entity();
  host::db::Database* db = host::db::DatabaseOf(entity);
  if (db == nullptr) return;
  if (!WriteBatchLocationXdata(*db, entity, WideToUtf8(args[1].text()), app)) return;
  host::lisp::Return(Value::T());
}
