// Putting the product's folders on the trusted paths.
//
// AddTrustedPaths puts the settings folder (GetLocalSupportFolder) and the
// program folder (FindProgramFolder) in front of the system variable
// TRUSTEDPATHS, unless the host is older than release 19 (ACADVER), the
// dialog file "duzizov.dcl" and the drawing "derivavi.dwg" are both found in
// trusted folders already, or either folder is unknown. A folder that the
// old value lists already is not added again; an old value that is empty or
// blank is not kept.
#pragma once

void AddTrustedPaths();
