// The three small readers that walk a GML character stream, with the
// look-ahead character they share held by the caller: after a tag it holds
// '>', after a text or a tuple that ended at a tag it holds '<'. Each adds the
// characters it consumed to `consumed`. The import dialog's members of the
// same names use its own look-ahead; a pass over a file keeps one of its own,
// so that passes over different pieces of a file can run side by side.
#pragma once

#include <cstdint>

#include "common/archive/archive_reader.h"
#include "gml/reader/feature_records.h"

// A tag's text without its angle brackets; false when nothing was stored.
bool ReadGmlTag(ArchiveReader& archive, char& lookAhead, char* buffer, int maxLength,
                std::int64_t* consumed);
// The text after a tag up to the next '<'; false when it is empty.
bool ReadGmlText(ArchiveReader& archive, char& lookAhead, char* buffer, int maxLength,
                 std::int64_t* consumed);
// One tuple of a gml:coordinates text; true when x and y were read.
bool ReadCoordinateTuple(ArchiveReader& archive, char& lookAhead, CoordinateTuple* tuple,
                         std::int64_t* consumed);
