// LISP values as they cross between the host's LISP and the add-ins.
//
// A value is one of: nil, T, a short (16-bit) or long (32-bit) integer, a
// real, a string, a 2D or 3D point, an entity name, a symbol or a list of
// values. Integers that fit 16 bits travel as shorts, as the add-ins expect;
// a list of two or three numbers handed to an add-in arrives as a point.
//
// Text is wide. Values are small and copied freely.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/system/entity_name.h"

namespace host::lisp {

enum class ValueType {
  kNil,
  kT,
  kShort,    // 16-bit integer
  kLong,     // 32-bit integer that does not fit 16 bits
  kReal,
  kString,
  kPoint2d,
  kPoint3d,
  kEntityName,
  kSymbol,   // a quoted symbol; `text` holds its name
  kList,
};

struct Point3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
  friend bool operator==(const Point3&, const Point3&) = default;
};

class Value {
 public:
  Value() = default;  // nil

  static Value Nil() { return Value(); }
  static Value T();
  static Value Short(std::int16_t v);
  // A short when `v` fits 16 bits, else a long.
  static Value Integer(std::int32_t v);
  static Value Real(double v);
  static Value String(std::wstring text);
  static Value Point2d(double x, double y);
  static Value Point3d(double x, double y, double z);
  static Value Entity(EntityName name);
  static Value Symbol(std::wstring name);
  static Value List(std::vector<Value> items);

  ValueType type() const { return type_; }
  bool IsNil() const { return type_ == ValueType::kNil; }
  bool IsString() const { return type_ == ValueType::kString; }
  bool IsInteger() const { return type_ == ValueType::kShort || type_ == ValueType::kLong; }
  bool IsNumber() const { return IsInteger() || type_ == ValueType::kReal; }
  bool IsPoint() const { return type_ == ValueType::kPoint2d || type_ == ValueType::kPoint3d; }

  // Accessors answer the value of the matching type, and a zero value (0,
  // empty text, the null name, no items) for any other type.
  std::int32_t integer() const { return IsInteger() ? integer_ : 0; }
  // Integers and reals as a real.
  double real() const;
  const std::wstring& text() const;  // strings and symbols
  Point3 point() const { return IsPoint() ? point_ : Point3{}; }
  EntityName entity() const { return type_ == ValueType::kEntityName ? entity_ : EntityName{}; }
  const std::vector<Value>& items() const;

  friend bool operator==(const Value&, const Value&) = default;

 private:
  ValueType type_ = ValueType::kNil;
  std::int32_t integer_ = 0;
  double real_ = 0.0;
  std::wstring text_;
  Point3 point_;
  EntityName entity_;
  std::vector<Value> items_;
};

// The name of a type for messages ("string", "real", ...).
const wchar_t* TypeName(ValueType type);

// How the host's LISP prints a value: nil, T, 12, 1.5, "a\"b",
// (1.0 2.0 3.0), <Entity name: 2a>, (1 "x").
std::wstring ToLispText(const Value& value);

// Two names of symbols or functions are the same name when they are equal
// with letter case ignored.
bool SameLispName(std::wstring_view a, std::wstring_view b);
// The folded form used as a key for names.
std::wstring LispNameKey(std::wstring_view name);

}  // namespace host::lisp
