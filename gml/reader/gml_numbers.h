// Numbers and text values of GML elements.
//
// Element values are converted as the C library's atof and atoi would (blanks
// first are skipped, the number ends at the first character that cannot
// belong to it, no number gives 0), with std::from_chars, which rounds
// correctly and is several times faster.
#pragma once

#include <cstddef>
#include <cstdint>

double ParseGmlDouble(const char* text);
std::int32_t ParseGmlInt(const char* text);

// Replaces the XML character references of an element's text in place: the
// five named ones (&amp; &lt; &gt; &apos; &quot;) and numeric ones (&#39;,
// &#x27;) for characters 1 to 255. Anything else stays as written. Returns
// the new length.
std::size_t DecodeXmlText(char* text);
