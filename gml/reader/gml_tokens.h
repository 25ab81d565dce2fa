// The three small readers that walk a GML character stream, with the
// look-ahead character they share held by the caller: after a tag it holds
// '>', after a text or a tuple that ended at a tag it holds '<'. Each adds the
// characters it consumed to `consumed`.
//
// They read the stream as XML does: a comment is skipped wherever it stands
// (a tag inside it is no tag), and a CDATA section inside a text is part of
// the text. The import dialog's members of the
// same names use its own look-ahead; a pass over a file keeps one of its own,
// so that passes over different pieces of a file can run side by side.
#pragma once

#include <cstdint>

#include "common/archive/archive_reader.h"
#include "gml/reader/feature_records.h"

// Look-ahead values of a reader that stopped inside a comment or a CDATA
// section (the stream ended there, or the text buffer was full): the next
// tag read first takes the rest of it. No other reading leaves them, so that
// two passes at one place in a file compare their look-ahead as they are.
inline constexpr char kInsideComment = '\x01';
inline constexpr char kInsideCData = '\x02';

// A tag's text without its angle brackets; false when nothing was stored.
// Comments and CDATA sections between tags are skipped.
bool ReadGmlTag(ArchiveReader& archive, char& lookAhead, char* buffer, int maxLength,
                std::int64_t* consumed);
// The text after a tag up to the next tag; false when it is empty. Comments
// inside it are left out; the characters of a CDATA section are stored
// escaped ('&' as "&amp;", '<' as "&lt;"), so that DecodeXmlText gives them
// back as written. `cut`, when given, tells whether the text went on past
// the `maxLength` bytes stored.
bool ReadGmlText(ArchiveReader& archive, char& lookAhead, char* buffer, int maxLength,
                 std::int64_t* consumed, bool* cut = nullptr);
// One tuple of a gml:coordinates text; true when x and y were read. A
// comment among the coordinates separates tuples, as a blank does.
bool ReadCoordinateTuple(ArchiveReader& archive, char& lookAhead, CoordinateTuple* tuple,
                         std::int64_t* consumed);
