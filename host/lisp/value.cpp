#include "host/lisp/value.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace host::lisp {

Value Value::T() {
  Value v;
  v.type_ = ValueType::kT;
  return v;
}

Value Value::Short(std::int16_t n) {
  Value v;
  v.type_ = ValueType::kShort;
  v.integer_ = n;
  return v;
}

Value Value::Integer(std::int32_t n) {
  if (n >= std::numeric_limits<std::int16_t>::min() && n <= std::numeric_limits<std::int16_t>::max())
    return Short(static_cast<std::int16_t>(n));
  Value v;
  v.type_ = ValueType::kLong;
  v.integer_ = n;
  return v;
}

Value Value::Real(double n) {
  Value v;
  v.type_ = ValueType::kReal;
  v.real_ = n;
  return v;
}

Value Value::String(std::wstring text) {
  Value v;
  v.type_ = ValueType::kString;
  v.text_ = std::move(text);
  return v;
}

Value Value::Point2d(double x, double y) {
  Value v;
  v.type_ = ValueType::kPoint2d;
  v.point_ = Point3{x, y, 0.0};
  return v;
}

Value Value::Point3d(double x, double y, double z) {
  Value v;
  v.type_ = ValueType::kPoint3d;
  v.point_ = Point3{x, y, z};
  return v;
}

Value Value::Entity(EntityName name) {
  Value v;
  v.type_ = ValueType::kEntityName;
  v.entity_ = name;
  return v;
}

Value Value::Symbol(std::wstring name) {
  Value v;
  v.type_ = ValueType::kSymbol;
  v.text_ = std::move(name);
  return v;
}

Value Value::List(std::vector<Value> items) {
  // The empty list is nil.
  if (items.empty()) return Value();
  Value v;
  v.type_ = ValueType::kList;
  v.items_ = std::move(items);
  return v;
}

double Value::real() const {
  if (type_ == ValueType::kReal) return real_;
  if (IsInteger()) return integer_;
  return 0.0;
}

const std::wstring& Value::text() const {
  static const std::wstring empty;
  return (type_ == ValueType::kString || type_ == ValueType::kSymbol) ? text_ : empty;
}

const std::vector<Value>& Value::items() const {
  static const std::vector<Value> none;
  return type_ == ValueType::kList ? items_ : none;
}

const wchar_t* TypeName(ValueType type) {
  switch (type) {
    case ValueType::kNil: return L"nil";
    case ValueType::kT: return L"T";
    case ValueType::kShort: return L"short";
    case ValueType::kLong: return L"long";
    case ValueType::kReal: return L"real";
    case ValueType::kString: return L"string";
    case ValueType::kPoint2d: return L"2D point";
    case ValueType::kPoint3d: return L"3D point";
    case ValueType::kEntityName: return L"entity name";
    case ValueType::kSymbol: return L"symbol";
    case ValueType::kList: return L"list";
  }
  return L"?";
}

namespace {

// Six significant digits, always with a decimal point: 1.5, 2.0, 0.333333,
// 1.0e+20.
std::wstring RealText(double v) {
  if (!std::isfinite(v)) return std::isnan(v) ? L"nan" : (v < 0 ? L"-inf" : L"inf");
  wchar_t buffer[64];
  std::swprintf(buffer, 64, L"%.6g", v);
  std::wstring text = buffer;
  if (text.find_first_of(L".e") == std::wstring::npos) {
    text += L".0";
  } else if (text.find(L'e') != std::wstring::npos && text.find(L'.') == std::wstring::npos) {
    text.insert(text.find(L'e'), L".0");
  }
  return text;
}

std::wstring QuotedText(const std::wstring& s) {
  std::wstring out = L"\"";
  for (wchar_t c : s) {
    switch (c) {
      case L'"': out += L"\\\""; break;
      case L'\\': out += L"\\\\"; break;
      case L'\n': out += L"\\n"; break;
      case L'\r': out += L"\\r"; break;
      case L'\t': out += L"\\t"; break;
      case L'\x1b': out += L"\\e"; break;
      default: out += c;
    }
  }
  out += L'"';
  return out;
}

}  // namespace

std::wstring ToLispText(const Value& value) {
  switch (value.type()) {
    case ValueType::kNil: return L"nil";
    case ValueType::kT: return L"T";
    case ValueType::kShort:
    case ValueType::kLong: return std::to_wstring(value.integer());
    case ValueType::kReal: return RealText(value.real());
    case ValueType::kString: return QuotedText(value.text());
    case ValueType::kPoint2d:
      return L"(" + RealText(value.point().x) + L" " + RealText(value.point().y) + L")";
    case ValueType::kPoint3d:
      return L"(" + RealText(value.point().x) + L" " + RealText(value.point().y) + L" " +
             RealText(value.point().z) + L")";
    case ValueType::kEntityName: {
      wchar_t buffer[48];
      std::swprintf(buffer, 48, L"<Entity name: %llx>",
                    static_cast<unsigned long long>(value.entity().handle));
      return buffer;
    }
    case ValueType::kSymbol: return value.text();
    case ValueType::kList: {
      std::wstring out = L"(";
      bool first = true;
      for (const Value& item : value.items()) {
        if (!first) out += L' ';
        first = false;
        out += ToLispText(item);
      }
      return out + L")";
    }
  }
  return L"?";
}

std::wstring LispNameKey(std::wstring_view name) {
  std::wstring key(name);
  // ASCII letters only, so that the answer never depends on the locale.
  for (wchar_t& c : key)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
  return key;
}

bool SameLispName(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() && LispNameKey(a) == LispNameKey(b);
}

}  // namespace host::lisp
