// The DCL dialog description language: parsing a file into definitions.
//
//   // line comment        /* block comment */
//   name : base { attribute = value; ... child ... }   a file-level definition
//   child:   : base { ... }     an unnamed tile of a base kind or definition
//            name;              a tile that is exactly a named definition
//   value:   "text" (escapes \" \\ \n \t), a number, or a word (true, left, ...)
//   @include "file.dcl";        accepted and ignored: the standard tiles are
//                                built in
//
// A definition whose base is "dialog" is a dialog; the others are prototypes
// that later tiles name as their base, taking its attributes and children
// and adding their own (their own attributes win).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace host::dcl {

struct TileDef {
  std::wstring name;  // of a file-level definition; empty for a child
  std::wstring base;  // the kind or definition it derives from
  std::vector<std::pair<std::wstring, std::wstring>> attributes;  // in file order
  std::vector<TileDef> children;
  int line = 0;
};

struct DclFile {
  std::vector<TileDef> definitions;
  // The file-level definition called `name`, or null.
  const TileDef* Find(std::wstring_view name) const;
};

struct DclParseResult {
  bool ok = false;
  DclFile file;
  std::wstring error;  // "line N: what is wrong", when not ok
};

[[nodiscard]] DclParseResult ParseDcl(std::wstring_view text);

// The tile kinds the language has.
enum class TileKind {
  kDialog,
  kRow,
  kColumn,
  kBoxedRow,
  kBoxedColumn,
  kRadioRow,
  kRadioColumn,
  kBoxedRadioRow,
  kBoxedRadioColumn,
  kConcatenation,
  kParagraph,
  kButton,
  kEditBox,
  kListBox,
  kPopupList,
  kRadioButton,
  kToggle,
  kText,
  kTextPart,
  kImage,
  kImageButton,
  kSlider,
  kSpacer,
};

std::optional<TileKind> TileKindFromName(std::wstring_view name);
const wchar_t* TileKindName(TileKind kind);
bool IsCluster(TileKind kind);
bool IsRadioCluster(TileKind kind);

// One tile with its base resolved: its kind, every attribute it has (from
// its bases, then its own) and its children, also resolved.
struct ResolvedTile {
  TileKind kind = TileKind::kSpacer;
  std::vector<std::pair<std::wstring, std::wstring>> attributes;
  std::vector<ResolvedTile> children;

  // The last value given to `name`, or null.
  const std::wstring* Attribute(std::wstring_view name) const;
};

// Resolves `def` against the file's definitions and the built-in standard
// tiles (ok_cancel, errtile, spacer, ...). Fails on an unknown base or a
// definition that derives from itself; `error` then says why.
[[nodiscard]] std::optional<ResolvedTile> ResolveTile(const TileDef& def, const DclFile& file,
                                                      std::wstring* error = nullptr);

}  // namespace host::dcl
