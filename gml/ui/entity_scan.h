// The scan over a selection that the inspection commands share: each entity's
// OS xdata decoded into the viewer's slots, a status-bar meter stepped by
// percent, the display and messages kept alive, Esc polled.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "gml/writer/os_xdata_record.h"
#include "host/editor/selection.h"
#include "host/system/entity_name.h"

// What the visitor wants after an entity.
enum class ScanStep { kGoOn, kStop };

// Which entities take part: those with a TOID, or those with an area value
// (item 0C).
enum class ScanSlot { kToid, kArea };

// Visits, in selection order, each entity of `set` whose `slot` is not
// empty, after the progress step (whose Esc ends the scan). The scan also
// ends at an entity name the set cannot give. False when Esc ended it.
bool ScanSelection(host::SelectionSetId set, std::wstring_view label, ScanSlot slot,
                   ShowOSGmlXdata& viewer,
                   const std::function<ScanStep(const ShowOSGmlXdata&, host::EntityName)>& visit);

// The OS item `index` (0x01 TOID, 0x02 make or road name, 0x0B kind, 0x0C
// area) of the record read last.
const std::wstring& OsItem(const ShowOSGmlXdata& viewer, int index);

// The line that follows a message when `count` entities of the selection
// (`one` / `many` of them) hold their TOID only, so that `what` could not be
// read: "\n3 areas selected hold their TOID only: area values are imported
// with ...", naming the setting that imports them.
std::wstring ToidOnlyNote(long count, std::wstring_view one, std::wstring_view many, std::wstring_view what);
