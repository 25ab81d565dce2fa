// The tag texts of the section data: "<key:value>" tags, as in the record's
// "1:" attribute string and the structure type's tags, and the wildcard
// comparison of registered application names.
#pragma once

#include <cstddef>

#include "vertical_offset/section_record.h"

// Tag keys and values are held in buffers of this size (terminator included);
// longer ones are cut.
inline constexpr std::size_t kTagTextSize = 1024;

// Reads every tag of `text` into `attributes` through
// FindSectionAttributeKey, character by character: outside a value '<' starts
// a tag, ':' switches from the key to the value, '>' ends the tag wherever it
// stands; inside a value '<' and ':' are ordinary characters; characters
// outside tags are ignored; a tag with an empty key or value is skipped. True
// when at least one tag was recognised.
bool ParseSectionAttributes(const wchar_t* text, SectionAttributes& attributes);

// Stores `value` under the attribute `key` (case ignored), cut to the field;
// for "complex_group" the flag becomes true exactly when the value begins
// with a capital 'Y'. False for any other key, with nothing stored.
bool FindSectionAttributeKey(const wchar_t* key, const wchar_t* value, SectionAttributes& attributes);

// Reads the first tag of `text` into `key` and `value` (kTagTextSize units
// each): '<' outside a value starts it, ':' outside a value switches to the
// value once the key has a character, '>' ends the scan. True when a '>' was
// reached with both key and value not empty.
bool GetTagValue(const wchar_t* text, wchar_t* key, wchar_t* value);

// True when, for every position of `name`, the characters of name and
// pattern are equal or either is '?'. Only the length of `name` counts: a
// longer pattern still matches; past the end of a shorter pattern only a '?'
// in the name passes.
bool WildcardMatch(const wchar_t* name, const wchar_t* pattern);
