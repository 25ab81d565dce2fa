// Element texts whose bytes are not UTF-8. GML is UTF-8, but a file saved in
// Latin-1 by some other tool still reads: such bytes are kept and read one
// byte a character further on, and the file's first such place is told once
// when the file is done.
#include <cstring>
#include <string>
#include <string_view>

#include "common/containers/text.h"
#include "gml/reader/gml_pass.h"

void GmlPass::NoteTextEncoding(const char* element, const char* text) {
  const std::string_view value(text);
  const std::size_t at = FindNonUtf8(value);
  if (at == std::string_view::npos) return;
  if (notUtf8Texts++ > 0) return;
  // The text as it reads, cut short for the message.
  const std::string shown = ToUtf8(value.substr(0, Utf8CutLength(value, 40)));
  firstNotUtf8 = "at byte " + std::to_string(fileConsumed) + ": " +
                 std::string(element, std::strcspn(element, " ")) + " '" + shown +
                 (value.size() > 40 ? "...'" : "'");
}
