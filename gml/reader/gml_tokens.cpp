// The three small readers that walk a GML character stream: a tag, the text
// after a tag, and one coordinate tuple. They share the look-ahead
// `currentChar`: after a tag it holds '>', after a text or a tuple that ended
// at a tag it holds '<'.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>

#include "gml/reader/gml_numbers.h"
#include "gml/reader/gml_tokens.h"
#include "gml/reader/osgml_input_view.h"

namespace {

// The tag and text readers scan the stream's buffer a block at a time and
// take one character at a time only where the buffer is empty.

// Takes characters up to and including the next '<'; false when the stream
// ends first. `count` grows by the characters taken.
bool SkipToTagOpen(ArchiveReader& archive, char& c, std::int64_t& count) {
  while (c != '<') {
    std::int32_t available;
    const char* p = archive.Buffered(&available);
    if (available > 0) {
      const void* hit = std::memchr(p, '<', static_cast<std::size_t>(available));
      const std::int32_t n =
          hit != nullptr ? static_cast<std::int32_t>(static_cast<const char*>(hit) - p) + 1
                         : available;
      c = p[n - 1];
      count += n;
      archive.Consume(n);
      continue;
    }
    if (!archive.GetChar(&c)) return false;
    ++count;
  }
  return true;
}

// Copies characters into `buffer` up to `stop` (taken, not stored) or the end
// of the stream, at most `maxLength`; the number stored. `c` is the last
// character taken.
int CopyUntil(ArchiveReader& archive, char* buffer, int maxLength, char stop, char& c) {
  int stored = 0;
  char next = c;
  while (stored < maxLength) {
    std::int32_t available;
    const char* p = archive.Buffered(&available);
    if (available > 0) {
      const std::int32_t limit = std::min<std::int32_t>(available, maxLength - stored);
      const void* hit = std::memchr(p, stop, static_cast<std::size_t>(limit));
      if (hit != nullptr) {
        const std::int32_t n = static_cast<std::int32_t>(static_cast<const char*>(hit) - p);
        std::memcpy(buffer + stored, p, static_cast<std::size_t>(n));
        stored += n;
        next = stop;
        archive.Consume(n + 1);
        break;
      }
      std::memcpy(buffer + stored, p, static_cast<std::size_t>(limit));
      stored += limit;
      next = p[limit - 1];
      archive.Consume(limit);
      continue;
    }
    if (!archive.GetChar(&next)) break;
    if (next == stop) break;
    buffer[stored++] = next;
  }
  buffer[stored] = 0;
  c = next;
  return stored;
}

// A look-ahead for a reading that stopped at `c` by itself: never one of the
// values that say the stream stands inside a comment or a CDATA section.
char Settled(char c) { return c == kInsideComment || c == kInsideCData ? ' ' : c; }

// Takes characters up to and including `close` ("-->" or "]]>": two
// characters and a '>'); false when the stream ends first. `tail` holds the
// last two characters taken before, oldest first, so that a close begun
// before the call is found. `count` grows by the characters taken.
bool SkipPast(ArchiveReader& archive, std::string_view close, char tail[2], std::int64_t& count) {
  for (;;) {
    std::int32_t available;
    const char* p = archive.Buffered(&available);
    if (available == 0) {
      char c;
      if (!archive.GetChar(&c)) return false;
      ++count;
      if (c == '>' && tail[0] == close[0] && tail[1] == close[1]) return true;
      tail[0] = tail[1];
      tail[1] = c;
      continue;
    }
    const void* hit = std::memchr(p, '>', static_cast<std::size_t>(available));
    const std::int32_t n =
        hit != nullptr ? static_cast<std::int32_t>(static_cast<const char*>(hit) - p) + 1
                       : available;
    // The two characters before the '>', from the buffer or from before it.
    auto before = [&](std::int32_t k) { return n - 1 - k >= 0 ? p[n - 1 - k] : tail[2 + n - 1 - k]; };
    const bool closed = hit != nullptr && before(2) == close[0] && before(1) == close[1];
    if (n >= 2) {
      tail[0] = p[n - 2];
    } else {
      tail[0] = tail[1];
    }
    tail[1] = p[n - 1];
    count += n;
    archive.Consume(n);
    if (closed) return true;
  }
}

// What follows a "<!" inside a text.
enum class Markup : std::uint8_t { kComment, kCData, kOther, kEnd };

// Takes the opening of a comment ("!--") or a CDATA section ("![CDATA["),
// the '<' before it already taken; stops at the first character that opens
// neither (taken too: kOther) or at the end of the stream (kEnd).
Markup TakeMarkupOpen(ArchiveReader& archive, std::int64_t& count) {
  constexpr std::string_view kComment = "!--";
  constexpr std::string_view kCData = "![CDATA[";
  bool comment = true, cdata = true;
  for (std::size_t i = 0;; ++i) {
    char c;
    if (!archive.GetChar(&c)) return Markup::kEnd;
    ++count;
    comment = comment && i < kComment.size() && c == kComment[i];
    cdata = cdata && i < kCData.size() && c == kCData[i];
    if (comment && i + 1 == kComment.size()) return Markup::kComment;
    if (cdata && i + 1 == kCData.size()) return Markup::kCData;
    if (!comment && !cdata) return Markup::kOther;
  }
}

// How a CDATA section inside a text was copied.
enum class CDataCopy : std::uint8_t { kWhole, kBufferFull, kStreamEnded };

// Copies the characters of a CDATA section, its opening taken, into
// `buffer` from `*stored` on, escaped as XML text, and takes its close
// "]]>"; stops early where the stream ends or the buffer (`maxLength`
// bytes) has no room for the next character.
CDataCopy CopyCData(ArchiveReader& archive, char* buffer, int maxLength, int* stored,
                    std::int64_t& count) {
  int brackets = 0;  // ']' taken and not yet known to be text
  auto put = [&](std::string_view bytes) {
    if (maxLength - *stored < static_cast<int>(bytes.size())) return false;
    std::memcpy(buffer + *stored, bytes.data(), bytes.size());
    *stored += static_cast<int>(bytes.size());
    return true;
  };
  CDataCopy result = CDataCopy::kStreamEnded;
  bool room = true;
  for (;;) {
    char c;
    if (!archive.GetChar(&c)) break;
    ++count;
    if (c == ']') {
      ++brackets;
      continue;
    }
    if (c == '>' && brackets >= 2) {
      for (; brackets > 2 && room; --brackets) room = put("]");
      result = room ? CDataCopy::kWhole : CDataCopy::kBufferFull;
      break;
    }
    for (; brackets > 0 && room; --brackets) room = put("]");
    if (room) room = put(c == '&' ? "&amp;" : c == '<' ? "&lt;" : std::string_view(&c, 1));
    if (!room) {
      result = CDataCopy::kBufferFull;
      break;
    }
  }
  buffer[*stored] = 0;
  return result;
}

// True when the tag text `tag` of `stored` characters (taken up to its '>'
// when `atClose`) opens `open` and ends with `close`'s first two characters
// right before that '>', the two not overlapping the opening.
bool MarkupClosed(const char* tag, int stored, bool atClose, std::string_view open,
                  std::string_view close) {
  return atClose && stored >= static_cast<int>(open.size()) + 2 &&
         tag[stored - 2] == close[0] && tag[stored - 1] == close[1];
}

bool StartsWith(const char* tag, int stored, std::string_view open) {
  return stored >= static_cast<int>(open.size()) &&
         std::memcmp(tag, open.data(), open.size()) == 0;
}

}  // namespace

bool ReadGmlTag(ArchiveReader& archive, char& lookAhead, char* buffer, int maxLength,
                std::int64_t* consumed) {
  buffer[0] = 0;
  std::int64_t count = 0;
  char c = lookAhead;
  if (c == kInsideComment || c == kInsideCData) {
    char tail[2] = {0, 0};
    if (!SkipPast(archive, c == kInsideComment ? "-->" : "]]>", tail, count)) {
      *consumed += count;
      return false;
    }
    c = '>';
  }
  int stored = 0;
  for (;;) {
    if (!SkipToTagOpen(archive, c, count)) {
      lookAhead = Settled(c);
      *consumed += count;
      return false;
    }
    stored = CopyUntil(archive, buffer, maxLength, '>', c);
    count += stored + 1;
    if (buffer[0] != '!') break;
    // A comment or a CDATA section between tags is skipped whole: the first
    // '>' need not be its end.
    const bool comment = StartsWith(buffer, stored, "!--");
    const bool cdata = !comment && StartsWith(buffer, stored, "![CDATA[");
    if (!comment && !cdata) break;
    const std::string_view open = comment ? "!--" : "![CDATA[";
    const std::string_view close = comment ? "-->" : "]]>";
    const bool atClose = c == '>';
    if (!MarkupClosed(buffer, stored, atClose, open, close)) {
      // The last two characters taken: the tag's, and its '>' if it was
      // taken.
      char tail[2] = {stored >= 2 ? buffer[stored - 2] : '\0', buffer[stored - 1]};
      if (atClose) {
        tail[0] = tail[1];
        tail[1] = '>';
      }
      if (!SkipPast(archive, close, tail, count)) {
        buffer[0] = 0;
        lookAhead = comment ? kInsideComment : kInsideCData;
        *consumed += count;
        return false;
      }
    }
    buffer[0] = 0;
    c = '>';
  }
  lookAhead = Settled(c);
  *consumed += count;
  return stored > 0;
}

bool ReadGmlText(ArchiveReader& archive, char& lookAhead, char* buffer, int maxLength,
                 std::int64_t* consumed, bool* cut) {
  buffer[0] = 0;
  if (cut != nullptr) *cut = false;
  char c = lookAhead;
  // The rest of a comment or a CDATA section is the tag reader's to take.
  if (c == kInsideComment || c == kInsideCData) return false;
  int stored = CopyUntil(archive, buffer, maxLength, '<', c);
  std::int64_t count = stored + 1;
  char inside = 0;  // kInsideComment or kInsideCData where the reading stopped in one
  bool full = false;  // a CDATA section did not fit
  // A comment or a CDATA section goes on with the text; anything else after
  // the '<' is the next tag.
  while (c == '<') {
    std::int32_t available;
    const char* p = archive.Buffered(&available);
    if (available == 0 || p[0] != '!') break;
    const Markup markup = TakeMarkupOpen(archive, count);
    if (markup == Markup::kComment) {
      char tail[2] = {0, 0};
      if (!SkipPast(archive, "-->", tail, count)) {
        inside = kInsideComment;
        break;
      }
    } else if (markup == Markup::kCData) {
      const CDataCopy copy = CopyCData(archive, buffer, maxLength, &stored, count);
      if (copy != CDataCopy::kWhole) {
        full = copy == CDataCopy::kBufferFull;
        inside = kInsideCData;
        break;
      }
    } else {
      // "<!" that opens neither is read as a tag.
      break;
    }
    c = '>';
    const int more = CopyUntil(archive, buffer + stored, maxLength - stored, '<', c);
    stored += more;
    count += more + 1;
  }
  lookAhead = inside != 0 ? inside : Settled(c);
  *consumed += count;
  if (cut != nullptr) *cut = full || (stored >= maxLength && lookAhead != '<');
  return stored > 0;
}

bool OSGMLInputView::ReadGmlTag(ArchiveReader& archive, char* buffer, int maxLength,
                                std::int64_t* consumed) {
  return ::ReadGmlTag(archive, currentChar, buffer, maxLength, consumed);
}

bool OSGMLInputView::ReadGmlText(ArchiveReader& archive, char* buffer, int maxLength,
                                 std::int64_t* consumed) {
  return ::ReadGmlText(archive, currentChar, buffer, maxLength, consumed);
}

bool OSGMLInputView::ReadCoordinateTuple(ArchiveReader& archive, CoordinateTuple* tuple,
                                         std::int64_t* consumed) {
  return ::ReadCoordinateTuple(archive, currentChar, tuple, consumed);
}

namespace {

// What a character of a coordinates text is to the tuple reader.
enum class CoordinateChar : std::uint8_t { kOther, kNumber, kComma, kBlank, kTagOpen };

constexpr std::array<CoordinateChar, 256> BuildCoordinateChars() {
  std::array<CoordinateChar, 256> kinds{};
  for (const char c : std::string_view("0123456789.-+eE"))
    kinds[static_cast<unsigned char>(c)] = CoordinateChar::kNumber;
  kinds[','] = CoordinateChar::kComma;
  for (const char c : std::string_view(" \t\n\r"))
    kinds[static_cast<unsigned char>(c)] = CoordinateChar::kBlank;
  kinds['<'] = CoordinateChar::kTagOpen;
  return kinds;
}

constexpr std::array<CoordinateChar, 256> kCoordinateChars = BuildCoordinateChars();

// What follows a '<' met among coordinates.
enum class CommentAfterTagOpen : std::uint8_t { kNone, kClosed, kUnclosed };

// Takes a comment that follows a '<' just taken, up to its close: kClosed,
// or kUnclosed where the stream ends inside it. kNone where no comment
// follows: nothing more is taken, but for a '!' and what matches "!--" or
// "![CDATA[" where the buffer ends within them (the tag reader then takes
// the rest as a tag).
CommentAfterTagOpen TakeCommentAfterTagOpen(ArchiveReader& archive, std::int64_t& count) {
  std::int32_t available;
  const char* p = archive.Buffered(&available);
  if (available == 0 || p[0] != '!') return CommentAfterTagOpen::kNone;
  if (available >= 3) {
    if (p[1] != '-' || p[2] != '-') return CommentAfterTagOpen::kNone;
    count += 3;
    archive.Consume(3);
  } else if (TakeMarkupOpen(archive, count) != Markup::kComment) {
    return CommentAfterTagOpen::kNone;
  }
  char tail[2] = {0, 0};
  return SkipPast(archive, "-->", tail, count) ? CommentAfterTagOpen::kClosed
                                               : CommentAfterTagOpen::kUnclosed;
}

}  // namespace

bool ReadCoordinateTuple(ArchiveReader& archive, char& lookAhead, CoordinateTuple* tuple,
                         std::int64_t* consumed) {
  *tuple = CoordinateTuple{};
  if (lookAhead == '<' || lookAhead == kInsideComment || lookAhead == kInsideCData) return false;

  // A token is read in one of two ways: whole, straight from the buffer,
  // when it ends inside it at a separator (the common case); or character by
  // character into `token` (a token cut by the buffer's end, one with other
  // characters inside it, one too long).
  char token[kCoordinateTokenSize];
  GmlNumberBuilder number;  // the value of `token` so far
  int length = 0;
  bool spanRead = false;  // a whole token was read from the buffer: its value
  double spanValue = 0;
  int component = 0;
  bool begun = false;  // a character of this tuple has been seen
  bool other = false;  // a character that belongs to no number ("NaN", "INF")
  std::int64_t count = 0;
  char c = 0;

  // Stores the token as the current component and moves to the next.
  auto store = [&]() {
    if (spanRead || length > 0) {
      double value = spanValue;
      if (!spanRead) {
        token[length] = 0;
        value = number.Value(token);
        number.Reset();
      }
      if (component == 0) {
        tuple->x = value;
        tuple->hasX = 1;
      } else if (component == 1) {
        tuple->y = value;
        tuple->hasY = 1;
      } else if (component == 2) {
        tuple->z = value;
        tuple->hasZ = 1;
      }
      length = 0;
      spanRead = false;
    }
    ++component;
  };

  // Takes one character; true when the tuple ends with it.
  auto take = [&](char ch) {
    switch (kCoordinateChars[static_cast<unsigned char>(ch)]) {
      case CoordinateChar::kNumber:
        begun = true;
        if (length < kCoordinateTokenSize - 1) {
          token[length++] = ch;
          number.Add(ch);
        }
        return false;
      case CoordinateChar::kTagOpen:
        if (begun) store();
        return true;
      case CoordinateChar::kComma:
        begun = true;
        store();
        return false;
      case CoordinateChar::kBlank:
        // Blanks, tabs and line breaks separate tuples; a run of them counts
        // as one, and they may stand before the first tuple.
        if (!begun) return false;
        store();
        return true;
      case CoordinateChar::kOther:
        other = true;  // skipped, but the tuple is no number
        break;
    }
    return false;
  };

  bool inComment = false;  // the stream ended inside a comment
  for (;;) {
    bool ended = false;
    for (ended = false; !ended;) {
      std::int32_t available;
      const char* block = archive.Buffered(&available);
      if (available == 0) {
        if (!archive.GetChar(&c)) {
          // The stream ended inside the coordinates: keep what was read.
          if (length > 0) store();
          break;
        }
        ++count;
        ended = take(c);
        continue;
      }
      const char* p = block;
      const char* const end = block + available;
      while (p < end) {
        c = *p;
        if (length == 0 && !spanRead &&
            kCoordinateChars[static_cast<unsigned char>(c)] == CoordinateChar::kNumber) {
          const char* q = p + 1;
          while (q < end && kCoordinateChars[static_cast<unsigned char>(*q)] == CoordinateChar::kNumber)
            ++q;
          // The separator after the token must be in the buffer too, and be
          // one that ends the token (other characters are skipped inside it).
          if (q < end && q - p < kCoordinateTokenSize &&
              kCoordinateChars[static_cast<unsigned char>(*q)] != CoordinateChar::kOther) {
            spanValue = ParseGmlNumber(p, static_cast<std::size_t>(q - p));
            spanRead = true;
            begun = true;
            p = q;
            continue;
          }
        }
        ++p;
        if (take(c)) {
          ended = true;
          break;
        }
      }
      count += p - block;
      archive.Consume(static_cast<std::int32_t>(p - block));
    }
    // A comment among the coordinates separates tuples as a blank does: the
    // reading goes on after it, and a tuple that had begun ends there.
    if (!ended || c != '<') break;
    const CommentAfterTagOpen comment = TakeCommentAfterTagOpen(archive, count);
    if (comment == CommentAfterTagOpen::kNone) break;
    if (comment == CommentAfterTagOpen::kUnclosed) {
      inComment = true;
      break;
    }
    c = ' ';
    if (begun) break;
  }
  lookAhead = inComment ? kInsideComment : Settled(c);
  *consumed += count;
  // Letters in a tuple ("NaN,5", "1E5x") make it no coordinate at all: it
  // comes back as one that is not a number, for the caller to refuse,
  // rather than as the digits around them or as the end of the text.
  if (other) {
    tuple->x = std::numeric_limits<double>::quiet_NaN();
    tuple->hasX = tuple->hasY = 1;
  }
  return tuple->hasX && tuple->hasY;
}

std::size_t QuotesToApostrophes(char* text) {
  std::size_t i = 0;
  for (; text[i] != 0; ++i)
    if (text[i] == '"') text[i] = '\'';
  return i;
}

void UpdateBox(double x, double y, double z, double* minX, double* minY, double* minZ,
               double* maxX, double* maxY, double* maxZ) {
  if (x < *minX) *minX = x;
  if (y < *minY) *minY = y;
  if (z < *minZ) *minZ = z;
  if (x > *maxX) *maxX = x;
  if (y > *maxY) *maxY = y;
  if (z > *maxZ) *maxZ = z;
}
