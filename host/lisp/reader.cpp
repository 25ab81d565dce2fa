#include "host/lisp/reader.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cwchar>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

namespace host::lisp {
namespace {

constexpr int kMaxDepth = 64;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

bool EndsAtom(wchar_t c) {
  return IsBlank(c) || c == L'(' || c == L')' || c == L'"' || c == L';' || c == L'\'';
}

class Reader {
 public:
  explicit Reader(std::wstring_view text) : text_(text) {}

  ReadResult ReadOne() {
    SkipBlanks();
    if (AtEnd()) return Error(L"no expression");
    std::optional<Value> value = Read(0);
    if (!value) return Error(error_);
    SkipBlanks();
    if (!AtEnd())
      return Error(text_[pos_] == L')' ? L"extra right paren on input"
                                       : L"more than one expression on the line");
    return ReadResult{true, std::move(*value), {}};
  }

 private:
  bool AtEnd() const { return pos_ >= text_.size(); }

  void SkipBlanks() {
    while (!AtEnd()) {
      if (IsBlank(text_[pos_])) {
        ++pos_;
      } else if (text_[pos_] == L';') {
        while (!AtEnd() && text_[pos_] != L'\n') ++pos_;
      } else {
        break;
      }
    }
  }

  static ReadResult Error(std::wstring message) { return ReadResult{false, Value(), std::move(message)}; }

  std::optional<Value> Fail(const wchar_t* message) {
    if (error_.empty()) error_ = message;
    return std::nullopt;
  }

  std::optional<Value> Read(int depth) {
    if (depth > kMaxDepth) return Fail(L"expression nested too deeply");
    SkipBlanks();
    if (AtEnd()) return Fail(L"malformed list on input");
    const wchar_t c = text_[pos_];
    if (c == L'(') {
      ++pos_;
      return ReadList(depth);
    }
    if (c == L')') return Fail(L"extra right paren on input");
    if (c == L'"') {
      ++pos_;
      return ReadString();
    }
    if (c == L'\'') {
      ++pos_;
      std::optional<Value> quoted = Read(depth + 1);
      if (!quoted) return std::nullopt;
      return Value::List({Value::Symbol(L"quote"), std::move(*quoted)});
    }
    return ReadAtom();
  }

  std::optional<Value> ReadList(int depth) {
    std::vector<Value> items;
    for (;;) {
      SkipBlanks();
      if (AtEnd()) return Fail(L"malformed list on input");
      if (text_[pos_] == L')') {
        ++pos_;
        break;
      }
      std::optional<Value> item = Read(depth + 1);
      if (!item) return std::nullopt;
      items.push_back(std::move(*item));
    }
    // Two or three numbers make a point.
    if (items.size() == 2 || items.size() == 3) {
      bool numbers = true;
      for (const Value& item : items) numbers = numbers && item.IsNumber();
      if (numbers) {
        return items.size() == 2 ? Value::Point2d(items[0].real(), items[1].real())
                                 : Value::Point3d(items[0].real(), items[1].real(), items[2].real());
      }
    }
    return Value::List(std::move(items));
  }

  std::optional<Value> ReadString() {
    std::wstring out;
    while (!AtEnd()) {
      wchar_t c = text_[pos_++];
      if (c == L'"') return Value::String(std::move(out));
      if (c != L'\\') {
        out += c;
        continue;
      }
      if (AtEnd()) break;
      c = text_[pos_++];
      switch (c) {
        case L'n': out += L'\n'; break;
        case L'r': out += L'\r'; break;
        case L't': out += L'\t'; break;
        case L'e': out += L'\x1b'; break;
        default:
          if (c >= L'0' && c <= L'7') {
            unsigned code = static_cast<unsigned>(c - L'0');
            for (int i = 0; i < 2 && !AtEnd() && text_[pos_] >= L'0' && text_[pos_] <= L'7'; ++i)
              code = code * 8 + static_cast<unsigned>(text_[pos_++] - L'0');
            out += static_cast<wchar_t>(code);
          } else {
            out += c;  // \" \\ and any other character stand for themselves
          }
      }
    }
    return Fail(L"malformed string on input");
  }

  std::optional<Value> ReadAtom() {
    const std::size_t start = pos_;
    while (!AtEnd() && !EndsAtom(text_[pos_])) ++pos_;
    const std::wstring token(text_.substr(start, pos_ - start));
    if (std::optional<Value> number = ParseNumber(token)) return number;
    if (SameLispName(token, L"nil")) return Value();
    if (SameLispName(token, L"t")) return Value::T();
    return Value::Symbol(token);
  }

  static std::optional<Value> ParseNumber(const std::wstring& token) {
    bool digit = false;
    bool real = false;
    for (wchar_t c : token) {
      if (c >= L'0' && c <= L'9') {
        digit = true;
      } else if (c == L'.' || c == L'e' || c == L'E') {
        real = true;
      } else if (c != L'+' && c != L'-') {
        return std::nullopt;
      }
    }
    if (!digit) return std::nullopt;
    wchar_t* end = nullptr;
    errno = 0;
    if (!real) {
      const long long v = std::wcstoll(token.c_str(), &end, 10);
      if (*end != L'\0') return std::nullopt;
      if (errno == 0 && v >= std::numeric_limits<std::int32_t>::min() &&
          v <= std::numeric_limits<std::int32_t>::max())
        return Value::Integer(static_cast<std::int32_t>(v));
      errno = 0;
    }
    const double d = std::wcstod(token.c_str(), &end);
    if (*end != L'\0' || !std::isfinite(d)) return std::nullopt;
    return Value::Real(d);
  }

  std::wstring_view text_;
  std::size_t pos_ = 0;
  std::wstring error_;
};

CallResult EvaluateAt(const Value& form, int depth);

CallResult SetSymbols(const std::vector<Value>& items, int depth) {
  if (items.size() < 3 || items.size() % 2 == 0) return Failed<Value>(L"too few arguments");
  Value last;
  for (std::size_t i = 1; i + 1 < items.size(); i += 2) {
    if (items[i].type() != ValueType::kSymbol)
      return Failed<Value>(L"bad argument type: symbolp " + ToLispText(items[i]));
    CallResult value = EvaluateAt(items[i + 1], depth + 1);
    if (value.status != Status::kNormal) return value;
    if (PutSymbol(items[i].text(), value.value) != Status::kNormal)
      return Failed<Value>(L"bad argument type: symbolp " + ToLispText(items[i]));
    last = std::move(value.value);
  }
  return Success(std::move(last));
}

CallResult EvaluateAt(const Value& form, int depth) {
  if (depth > kMaxDepth) return Failed<Value>(L"expression nested too deeply");
  if (form.type() == ValueType::kSymbol) return Success(GetSymbol(form.text()));
  if (form.type() != ValueType::kList) return Success(form);

  const std::vector<Value>& items = form.items();
  if (items[0].type() != ValueType::kSymbol) return Failed<Value>(L"bad function: " + ToLispText(items[0]));
  const std::wstring& name = items[0].text();
  if (SameLispName(name, L"quote")) {
    if (items.size() != 2) return Failed<Value>(items.size() < 2 ? L"too few arguments" : L"too many arguments");
    return Success(items[1]);
  }
  if (SameLispName(name, L"setq")) return SetSymbols(items, depth);

  std::vector<Value> args;
  for (std::size_t i = 1; i < items.size(); ++i) {
    CallResult arg = EvaluateAt(items[i], depth + 1);
    if (arg.status != Status::kNormal) return arg;
    args.push_back(std::move(arg.value));
  }
  return CallFunction(name, std::move(args));
}

}  // namespace

ReadResult ReadExpression(std::wstring_view text) { return Reader(text).ReadOne(); }

CallResult Evaluate(const Value& form) { return EvaluateAt(form, 0); }

CallResult RunLispLine(std::wstring_view line) {
  ReadResult read = ReadExpression(line);
  if (!read.ok) return Failed<Value>(std::move(read.error));
  return Evaluate(read.form);
}

bool IsLispLine(std::wstring_view line) {
  for (wchar_t c : line) {
    if (IsBlank(c)) continue;
    return c == L'(';
  }
  return false;
}

}  // namespace host::lisp
