#include "host/ui/dcl_parser.h"

#include <algorithm>
#include <cwctype>

namespace host::dcl {
namespace {

enum class Tok { kEnd, kWord, kString, kNumber, kColon, kOpen, kClose, kSemicolon, kEquals, kAt, kError };

struct Token {
  Tok kind = Tok::kEnd;
  std::wstring text;
  int line = 1;
};

class Lexer {
 public:
  explicit Lexer(std::wstring_view text) : text_(text) {}

  Token Next() {
    SkipBlanksAndComments();
    Token t;
    t.line = line_;
    if (pos_ >= text_.size()) return t;
    const wchar_t c = text_[pos_];
    switch (c) {
      case L':': ++pos_; t.kind = Tok::kColon; return t;
      case L'{': ++pos_; t.kind = Tok::kOpen; return t;
      case L'}': ++pos_; t.kind = Tok::kClose; return t;
      case L';': ++pos_; t.kind = Tok::kSemicolon; return t;
      case L'=': ++pos_; t.kind = Tok::kEquals; return t;
      case L'@': ++pos_; t.kind = Tok::kAt; return t;
      case L'"': return String(t);
      default: break;
    }
    if (std::iswalpha(c) || c == L'_') {
      while (pos_ < text_.size() && (std::iswalnum(text_[pos_]) || text_[pos_] == L'_')) t.text += text_[pos_++];
      t.kind = Tok::kWord;
      return t;
    }
    if (std::iswdigit(c) || c == L'-' || c == L'+' || c == L'.') {
      while (pos_ < text_.size() &&
             (std::iswdigit(text_[pos_]) || text_[pos_] == L'.' || text_[pos_] == L'-' || text_[pos_] == L'+' ||
              text_[pos_] == L'e' || text_[pos_] == L'E'))
        t.text += text_[pos_++];
      t.kind = Tok::kNumber;
      return t;
    }
    t.kind = Tok::kError;
    t.text = std::wstring(L"unexpected character '") + c + L"'";
    return t;
  }

 private:
  void SkipBlanksAndComments() {
    while (pos_ < text_.size()) {
      const wchar_t c = text_[pos_];
      if (c == L'\n') {
        ++line_;
        ++pos_;
      } else if (std::iswspace(c)) {
        ++pos_;
      } else if (c == L'/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == L'/') {
        while (pos_ < text_.size() && text_[pos_] != L'\n') ++pos_;
      } else if (c == L'/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == L'*') {
        pos_ += 2;
        while (pos_ < text_.size() && !(text_[pos_] == L'*' && pos_ + 1 < text_.size() && text_[pos_ + 1] == L'/')) {
          if (text_[pos_] == L'\n') ++line_;
          ++pos_;
        }
        pos_ = std::min(pos_ + 2, text_.size());
      } else {
        return;
      }
    }
  }

  Token String(Token t) {
    ++pos_;
    while (pos_ < text_.size() && text_[pos_] != L'"') {
      wchar_t c = text_[pos_++];
      if (c == L'\n') {
        t.kind = Tok::kError;
        t.text = L"a string runs past the end of its line";
        return t;
      }
      if (c == L'\\' && pos_ < text_.size()) {
        const wchar_t e = text_[pos_++];
        c = e == L'n' ? L'\n' : e == L't' ? L'\t' : e;
      }
      t.text += c;
    }
    if (pos_ >= text_.size()) {
      t.kind = Tok::kError;
      t.text = L"a string is not closed";
      return t;
    }
    ++pos_;
    t.kind = Tok::kString;
    return t;
  }

  std::wstring_view text_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

class Parser {
 public:
  explicit Parser(std::wstring_view text) : lexer_(text) { Advance(); }

  DclParseResult Run() {
    DclParseResult result;
    while (ok_ && cur_.kind != Tok::kEnd) {
      if (cur_.kind == Tok::kAt) {
        Advance();
        if (cur_.kind != Tok::kWord || cur_.text != L"include") {
          Fail(L"expected include after @");
          break;
        }
        Advance();
        Expect(Tok::kString, L"a file name in quotes");
        if (cur_.kind == Tok::kSemicolon) Advance();
        continue;
      }
      TileDef def;
      def.line = cur_.line;
      if (!Expect(Tok::kWord, L"a definition name", &def.name)) break;
      if (!Expect(Tok::kColon, L"':'")) break;
      if (!Expect(Tok::kWord, L"a base tile", &def.base)) break;
      if (!Body(def)) break;
      result.file.definitions.push_back(std::move(def));
    }
    result.ok = ok_;
    result.error = error_;
    if (!ok_) result.file.definitions.clear();
    return result;
  }

 private:
  void Advance() {
    cur_ = lexer_.Next();
    if (cur_.kind == Tok::kError) Fail(cur_.text);
  }

  void Fail(const std::wstring& what) {
    if (!ok_) return;
    ok_ = false;
    error_ = L"line " + std::to_wstring(cur_.line) + L": " + what;
  }

  bool Expect(Tok kind, const wchar_t* what, std::wstring* text = nullptr) {
    if (!ok_) return false;
    if (cur_.kind != kind) {
      Fail(std::wstring(L"expected ") + what);
      return false;
    }
    if (text) *text = cur_.text;
    Advance();
    return ok_;
  }

  // "{" then attributes and children up to "}".
  bool Body(TileDef& def) {
    if (!Expect(Tok::kOpen, L"'{'")) return false;
    while (ok_ && cur_.kind != Tok::kClose) {
      if (cur_.kind == Tok::kEnd) {
        Fail(L"expected '}' before the end of the file");
        return false;
      }
      if (++depth_ > kMaxDepth) {
        Fail(L"tiles nested too deep");
        return false;
      }
      const bool ok = Item(def);
      --depth_;
      if (!ok) return false;
    }
    return Expect(Tok::kClose, L"'}'");
  }

  bool Item(TileDef& def) {
    if (cur_.kind == Tok::kColon) {  // ": base { ... }" or ": base;"
      Advance();
      TileDef child;
      child.line = cur_.line;
      if (!Expect(Tok::kWord, L"a tile kind after ':'", &child.base)) return false;
      if (cur_.kind == Tok::kSemicolon) {
        Advance();
      } else if (!Body(child)) {
        return false;
      }
      def.children.push_back(std::move(child));
      return true;
    }
    if (cur_.kind != Tok::kWord) {
      Fail(L"expected an attribute or a tile");
      return false;
    }
    const Token word = cur_;
    Advance();
    if (cur_.kind == Tok::kSemicolon) {  // "name;": a named tile
      Advance();
      TileDef child;
      child.line = word.line;
      child.base = word.text;
      def.children.push_back(std::move(child));
      return true;
    }
    if (!Expect(Tok::kEquals, L"'=' or ';'")) return false;
    if (cur_.kind != Tok::kString && cur_.kind != Tok::kNumber && cur_.kind != Tok::kWord) {
      Fail(L"expected a value");
      return false;
    }
    def.attributes.emplace_back(word.text, cur_.text);
    Advance();
    return Expect(Tok::kSemicolon, L"';' after a value");
  }

  static constexpr int kMaxDepth = 64;
  Lexer lexer_;
  Token cur_;
  bool ok_ = true;
  std::wstring error_;
  int depth_ = 0;
};

struct KindName {
  TileKind kind;
  const wchar_t* name;
};

constexpr KindName kKinds[] = {
    {TileKind::kDialog, L"dialog"},
    {TileKind::kRow, L"row"},
    {TileKind::kColumn, L"column"},
    {TileKind::kBoxedRow, L"boxed_row"},
    {TileKind::kBoxedColumn, L"boxed_column"},
    {TileKind::kRadioRow, L"radio_row"},
    {TileKind::kRadioColumn, L"radio_column"},
    {TileKind::kBoxedRadioRow, L"boxed_radio_row"},
    {TileKind::kBoxedRadioColumn, L"boxed_radio_column"},
    {TileKind::kConcatenation, L"concatenation"},
    {TileKind::kParagraph, L"paragraph"},
    {TileKind::kButton, L"button"},
    {TileKind::kEditBox, L"edit_box"},
    {TileKind::kListBox, L"list_box"},
    {TileKind::kPopupList, L"popup_list"},
    {TileKind::kRadioButton, L"radio_button"},
    {TileKind::kToggle, L"toggle"},
    {TileKind::kText, L"text"},
    {TileKind::kTextPart, L"text_part"},
    {TileKind::kImage, L"image"},
    {TileKind::kImageButton, L"image_button"},
    {TileKind::kSlider, L"slider"},
    {TileKind::kSpacer, L"spacer"},
};

// The standard named tiles every DCL file may use.
constexpr const wchar_t* kStandardTiles = LR"(
ok_button : button { label = "OK"; key = "accept"; is_default = true; }
cancel_button : button { label = "Cancel"; key = "cancel"; is_cancel = true; }
help_button : button { label = "Help..."; key = "help"; }
info_button : button { label = "Info..."; key = "info"; }
default_button : button { is_default = true; }
retirement_button : button { }
errtile : text { key = "error"; label = ""; }
spacer_0 : spacer { width = 0; height = 0; }
spacer_1 : spacer { width = 1; height = 1; }
ok_only : row { ok_button; }
ok_cancel : row { ok_button; cancel_button; }
ok_cancel_help : row { ok_button; cancel_button; help_button; }
ok_cancel_help_info : row { ok_button; cancel_button; help_button; info_button; }
ok_cancel_help_errtile : column { ok_cancel_help; errtile; }
)";

const DclFile& StandardTiles() {
  static const DclFile file = ParseDcl(kStandardTiles).file;
  return file;
}

// Tiles nest (children and bases together) at most this deep.
constexpr int kMaxNesting = 128;
// Prototypes used many times over can multiply tiles; no real dialog comes
// near this.
constexpr int kMaxTiles = 10000;

struct Resolution {
  int tiles = 0;
  std::vector<const TileDef*> bases;  // the definitions being expanded
  std::wstring error;
};

bool Resolve(const TileDef& def, const DclFile& file, int depth, Resolution& r, ResolvedTile& out) {
  const std::wstring where = L"line " + std::to_wstring(def.line) + L": ";
  if (++r.tiles > kMaxTiles) {
    r.error = where + L"more than " + std::to_wstring(kMaxTiles) + L" tiles";
    return false;
  }
  if (depth > kMaxNesting) {
    r.error = where + L"tiles nested too deep";
    return false;
  }
  if (const std::optional<TileKind> kind = TileKindFromName(def.base)) {
    out.kind = *kind;
  } else {
    const TileDef* base = file.Find(def.base);
    const DclFile* home = &file;
    if (!base) {
      base = StandardTiles().Find(def.base);
      home = &StandardTiles();
    }
    if (!base) {
      r.error = where + L"unknown tile \"" + def.base + L"\"";
      return false;
    }
    if (std::find(r.bases.begin(), r.bases.end(), base) != r.bases.end()) {
      r.error = where + L"\"" + def.base + L"\" derives from itself";
      return false;
    }
    --r.tiles;  // the base is this same tile
    r.bases.push_back(base);
    const bool ok = Resolve(*base, *home, depth + 1, r, out);
    r.bases.pop_back();
    if (!ok) return false;
  }
  for (const auto& attribute : def.attributes) out.attributes.push_back(attribute);
  for (const TileDef& child : def.children) {
    ResolvedTile resolved;
    if (!Resolve(child, file, depth + 1, r, resolved)) return false;
    out.children.push_back(std::move(resolved));
  }
  return true;
}

}  // namespace

const TileDef* DclFile::Find(std::wstring_view name) const {
  for (const TileDef& def : definitions)
    if (def.name == name) return &def;
  return nullptr;
}

DclParseResult ParseDcl(std::wstring_view text) { return Parser(text).Run(); }

std::optional<TileKind> TileKindFromName(std::wstring_view name) {
  for (const KindName& k : kKinds)
    if (name == k.name) return k.kind;
  return std::nullopt;
}

const wchar_t* TileKindName(TileKind kind) {
  for (const KindName& k : kKinds)
    if (k.kind == kind) return k.name;
  return L"?";
}

bool IsCluster(TileKind kind) {
  switch (kind) {
    case TileKind::kDialog:
    case TileKind::kRow:
    case TileKind::kColumn:
    case TileKind::kBoxedRow:
    case TileKind::kBoxedColumn:
    case TileKind::kConcatenation:
    case TileKind::kParagraph:
      return true;
    default:
      return IsRadioCluster(kind);
  }
}

bool IsRadioCluster(TileKind kind) {
  return kind == TileKind::kRadioRow || kind == TileKind::kRadioColumn || kind == TileKind::kBoxedRadioRow ||
         kind == TileKind::kBoxedRadioColumn;
}

const std::wstring* ResolvedTile::Attribute(std::wstring_view name) const {
  for (auto it = attributes.rbegin(); it != attributes.rend(); ++it)
    if (it->first == name) return &it->second;
  return nullptr;
}

std::optional<ResolvedTile> ResolveTile(const TileDef& def, const DclFile& file, std::wstring* error) {
  ResolvedTile tile;
  Resolution r;
  if (!Resolve(def, file, 0, r, tile)) {
    if (error) *error = r.error;
    return std::nullopt;
  }
  return tile;
}

}  // namespace host::dcl
