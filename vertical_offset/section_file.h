// The current-section file "section.$$$", which the section tools leave in
// their support folder (FindVmrSupportFolder; the current folder when there
// is none): plain narrow text, one value per line, in this order:
//
//   datum X, datum Y (reals); kind (int); chainage (real); flag (int, one
//   byte); name (text, 31); count (int); twelve reals "12" to "1D"; real E;
//   per sub-record (at most the count and at most 40): item count, integer G,
//   name (31), per item text A (31), text B (31), integers K, L, M, N; then
//   reals O, P, Q; then title (64), text S (81), number (int), and the long
//   texts T, U, V, W, X, Y (1023 each).
//
// Lines are read as fgets reads them, with 512 bytes (1024 for the six long
// texts): a longer line is read in pieces, one value each. Only a real line
// end is taken off. Texts are cut to the widths above; numbers are read as
// atoi and atof read them. Real Z becomes 0.0; the attribute block is not in
// the file and is kept.
#pragma once

#include "vertical_offset/section_record.h"

// True when the file opened and every line up to the last long text was
// read; then "\nDizoder turned on - %s" names the section (the title, with
// the chainage for a cross section). False for a missing or short file (the
// fields read before the missing line keep their new values) and for a
// sub-record of more than 4 items (the reading stops there).
[[nodiscard]] bool ReadSectionFile(SectionRecord& record, SectionIdentity& identity,
                                   double& datumX, double& datumY);
