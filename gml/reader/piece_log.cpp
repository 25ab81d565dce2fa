#include "gml/reader/piece_log.h"

#include "common/containers/text.h"
#include "gml/reader/gml_pass.h"

bool PieceLog::Create() {
  return GrowArrayCreate(1000, sizeof(ToidEntry), &toids) &&
         GrowArrayCreate(1000, kSpillRecordBytes, &spill) &&
         GrowArrayCreate(100, sizeof(RoadNodeRecord), &outsideNodes);
}

void PieceLog::Free() {
  for (GrowArray* list : {&toids, &spill, &outsideNodes})
    if (list->marker == kGrowArrayMarker) GrowArrayFree(list);
}

void PieceLog::Clear() {
  toids.count = 0;
  spill.count = 0;
  outsideNodes.count = 0;
  outOfMemory = false;
}

bool PieceLog::NoteToid(ToidTree tree, const char* toid, std::int64_t value) {
  ToidEntry entry{};
  CopyField(entry.toid, toid);
  entry.tree = tree;
  entry.value = value;
  return GrowArraySetGrowBy(&toids, toids.count, &entry, 2000);
}
