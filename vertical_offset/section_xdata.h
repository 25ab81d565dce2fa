// The section data on a section's datum line: registration of the section
// tools' application, the full and the light reader, and the writer.
//
// Readers' defaults (before the walk): identity number 1, kind 0, chainage
// 0.0 (the flag is kept); long texts T to X empty, real Z 0.0, the code field
// set to the marker code, the ten attributes empty, complex group false,
// title and text S empty. Name, count, reals, long text Y and real E keep
// their old values until read. The datum X is the smallest x of the entity's
// group-10 points, the datum Y the y of the first one.
//
// The full reader accepts the record only when it is whole: "10", "11", "12"
// to "1D" and "1E" seen; "11" before every sub-record string; at least one
// and exactly "11" sub-records, each with an item count of 0 to 4 and that
// many values of each of "1I" to "1N"; the last sub-record's "1F", "1G" and
// "1H"; and "1O", "1P", "1Q". The identity and "1R" to "1:" are optional. On
// false the fields read so far stay in the record.
#pragma once

#include "host/system/entity_name.h"
#include "vertical_offset/section_record.h"

// Makes sure the working drawing has the application registered; checked on
// every call, so every drawing gets it. False when registration failed.
bool EnsureSectionRegApp();

[[nodiscard]] bool ReadSectionDatumXdata(host::EntityName entity, SectionRecord& record,
                                         SectionIdentity& identity, double& datumX,
                                         double& datumY);

// The light reader: the same defaults plus an empty sub-record list and
// count 0; reads the identity, "10", "12" to "1E" and "1R" to "1Z". True
// whenever the entity's list could be read, with or without section data.
[[nodiscard]] bool ReadSectionDatumXdataBasic(host::EntityName entity, SectionRecord& record,
                                              SectionIdentity& identity, double& datumX,
                                              double& datumY);

// Replaces the entity's section data with the identity and the record. The
// entity must be a LINE. At most kMaxWrittenSubRecords sub-records are
// written, in list order and at most "11" of them, and "11" carries the
// number written. False, with the drawing unchanged, for another entity, a
// sub-record whose item count lies outside 0 to 4, or a refused change.
[[nodiscard]] bool WriteDatumLineXdata(host::EntityName entity, const SectionRecord& record,
                                       const SectionIdentity& identity);
