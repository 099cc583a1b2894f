#pragma once
// JSON values as the platform models them: a tree of TJSONValue objects owned
// by their parents, the root owned by whoever parsed it. Numbers keep the
// text they had in the input, so "45.50" reads back as "45.50" and ToJSON
// writes it unchanged. Texts are kept as UTF-8 inside and handed out as
// String.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/rtl/except.h"
#include "platform/rtl/types.h"

namespace json {

using rtl::String;
using rtl::StringView;

using rtl::Exception;
RTL_DECLARE_EXCEPTION(EJSONException, Exception);

class TJSONValue;
class TJSONObject;
class TJSONArray;
class TJSONString;
class TJSONNumber;
class TJSONBool;
class TJSONNull;
class TJSONPair;

// Bounds a parse so that a hostile body cannot exhaust the stack or the heap.
struct TJSONParseLimits {
  std::size_t maxDepth = 512;             // nested objects and arrays
  std::size_t maxValues = 4'000'000;      // values of every kind in the tree
  std::size_t maxTextBytes = 256u << 20;  // UTF-8 bytes of the input
};

class TJSONValue {
 public:
  virtual ~TJSONValue();
  TJSONValue(const TJSONValue&) = delete;
  TJSONValue& operator=(const TJSONValue&) = delete;

  // The platform's class name ("TJSONNumber"), used in conversion errors.
  virtual const char* ClassName() const = 0;
  // The value as text: a string's content, a number's text as written,
  // "true"/"false", "null"; empty for objects and arrays.
  virtual String Value() const { return String(); }
  // True only for TJSONNull.
  virtual bool Null() const { return false; }

  // JSON text of the value. Numbers are written as they were read; strings
  // escape the quote, the backslash and control characters only.
  String ToJSON() const;
  std::string ToUtf8JSON() const;
  void ToUtf8JSON(std::string& out) const;

  // The value at a path below this one: member names joined by '.', array
  // indexes as "[n]" ("status.codigo", "abastecimentos[0].id"). An empty path
  // is the value itself. nullptr when any step is missing.
  TJSONValue* FindValue(StringView path) const;

  // This value converted to T; raises EJSONException when it cannot be.
  // T is String, bool, int, Int64, double, or a pointer to one of the value
  // classes (a non-owning pointer into the tree, never nullptr).
  template <class T>
  T GetValue() const;
  // The value at `path` converted to T; a missing one raises
  // "Value '<path>' not found".
  template <class T>
  T GetValue(StringView path) const;
  // As GetValue, but answers false instead of raising (missing or not
  // convertible) and leaves `out` alone then.
  template <class T>
  bool TryGetValue(StringView path, T& out) const;
  template <class T>
  bool TryGetValue(T& out) const;

  // JSON parsing; the root is an object, array, string, number, literal.
  // Invalid text gives nullptr. The variant with `message` stores the
  // parser's description of the fault there (empty on success).
  static std::unique_ptr<TJSONValue> ParseJSONValue(StringView text);
  static std::unique_ptr<TJSONValue> ParseJSONValue(StringView text, String& message,
                                                    const TJSONParseLimits& limits = {});
  static std::unique_ptr<TJSONValue> ParseJSONValue(std::string_view utf8);
  static std::unique_ptr<TJSONValue> ParseJSONValue(std::string_view utf8, String& message,
                                                    const TJSONParseLimits& limits = {});

 protected:
  TJSONValue() = default;
  virtual void write(std::string& out) const = 0;
  friend class TJSONObject;
  friend class TJSONArray;
};

class TJSONString : public TJSONValue {
 public:
  explicit TJSONString(StringView value);
  explicit TJSONString(std::string utf8) : value_(std::move(utf8)) {}
  const char* ClassName() const override { return "TJSONString"; }
  String Value() const override;
  const std::string& Utf8Value() const { return value_; }

 protected:
  void write(std::string& out) const override;

 private:
  std::string value_;
};

class TJSONNumber : public TJSONValue {
 public:
  explicit TJSONNumber(std::int64_t value);
  explicit TJSONNumber(double value);
  // `text` must be a JSON number; raises EJSONException otherwise.
  static std::unique_ptr<TJSONNumber> FromText(std::string_view text);
  const char* ClassName() const override { return "TJSONNumber"; }
  String Value() const override;
  const std::string& Text() const { return text_; }
  // Raise EJSONException when the text does not fit the type.
  int AsInt() const;
  std::int64_t AsInt64() const;
  double AsDouble() const;

 protected:
  void write(std::string& out) const override;

 private:
  struct Raw {};
  TJSONNumber(Raw, std::string text) : text_(std::move(text)) {}
  std::string text_;
  friend class JsonTreeBuilder;
};

class TJSONBool : public TJSONValue {
 public:
  explicit TJSONBool(bool value) : value_(value) {}
  const char* ClassName() const override { return value_ ? "TJSONTrue" : "TJSONFalse"; }
  String Value() const override;
  bool AsBoolean() const { return value_; }

 protected:
  void write(std::string& out) const override;

 private:
  bool value_;
};

class TJSONTrue : public TJSONBool {
 public:
  TJSONTrue() : TJSONBool(true) {}
};

class TJSONFalse : public TJSONBool {
 public:
  TJSONFalse() : TJSONBool(false) {}
};

class TJSONNull : public TJSONValue {
 public:
  TJSONNull() = default;
  const char* ClassName() const override { return "TJSONNull"; }
  String Value() const override;
  bool Null() const override { return true; }

 protected:
  void write(std::string& out) const override;
};

// One member of an object: its name and its value, both owned.
class TJSONPair {
 public:
  TJSONPair(std::unique_ptr<TJSONString> name, std::unique_ptr<TJSONValue> value);
  TJSONString* JsonString() const { return name_.get(); }
  TJSONValue* JsonValue() const { return value_.get(); }
  // Replaces the value; the old one is freed.
  void SetJsonValue(std::unique_ptr<TJSONValue> value);

 private:
  std::unique_ptr<TJSONString> name_;
  std::unique_ptr<TJSONValue> value_;
};

class TJSONObject : public TJSONValue {
 public:
  TJSONObject();
  ~TJSONObject() override;
  const char* ClassName() const override { return "TJSONObject"; }

  int Count() const { return static_cast<int>(pairs_.size()); }
  TJSONPair* Pairs(int index) const;
  // The first member of that name (names are case-sensitive), or nullptr.
  TJSONPair* Get(StringView name) const;
  TJSONValue* GetMemberValue(StringView name) const;
  TJSONValue* GetMemberValue(std::string_view utf8Name) const;

  TJSONObject& AddPair(StringView name, std::unique_ptr<TJSONValue> value);
  TJSONObject& AddPair(StringView name, StringView value);
  TJSONObject& AddPair(std::unique_ptr<TJSONPair> pair);
  // Takes the member out of the object and hands it to the caller.
  std::unique_ptr<TJSONPair> RemovePair(StringView name);

  // Same as TJSONValue::ParseJSONValue; kept on the object class as the
  // platform has it.
  using TJSONValue::ParseJSONValue;

 protected:
  void write(std::string& out) const override;

 private:
  std::vector<std::unique_ptr<TJSONPair>> pairs_;
  friend class JsonTreeBuilder;
};

class TJSONArray : public TJSONValue {
 public:
  TJSONArray();
  ~TJSONArray() override;
  const char* ClassName() const override { return "TJSONArray"; }

  int Count() const { return static_cast<int>(items_.size()); }
  // Raises EJSONException for an index out of range.
  TJSONValue* Items(int index) const;
  TJSONArray& Add(std::unique_ptr<TJSONValue> value);
  TJSONArray& Add(StringView value);
  // Takes the element out of the array and hands it to the caller.
  std::unique_ptr<TJSONValue> Remove(int index);

 protected:
  void write(std::string& out) const override;

 private:
  std::vector<std::unique_ptr<TJSONValue>> items_;
  friend class JsonTreeBuilder;
  friend class TJSONValue;
};

// --- conversions behind GetValue<T> ------------------------------------------
namespace detail {
[[noreturn]] void raiseNotFound(StringView path);
[[noreturn]] void raiseConversion(const TJSONValue& value, const char* typeName);
bool convert(const TJSONValue& value, String& out);
bool convert(const TJSONValue& value, bool& out);
bool convert(const TJSONValue& value, int& out);
bool convert(const TJSONValue& value, std::int64_t& out);
bool convert(const TJSONValue& value, double& out);

template <class T> struct TypeName;
template <> struct TypeName<String> { static constexpr const char* value = "string"; };
template <> struct TypeName<bool> { static constexpr const char* value = "Boolean"; };
template <> struct TypeName<int> { static constexpr const char* value = "Integer"; };
template <> struct TypeName<std::int64_t> { static constexpr const char* value = "Int64"; };
template <> struct TypeName<double> { static constexpr const char* value = "Double"; };
template <> struct TypeName<TJSONValue*> { static constexpr const char* value = "TJSONValue"; };
template <> struct TypeName<TJSONObject*> { static constexpr const char* value = "TJSONObject"; };
template <> struct TypeName<TJSONArray*> { static constexpr const char* value = "TJSONArray"; };
template <> struct TypeName<TJSONString*> { static constexpr const char* value = "TJSONString"; };
template <> struct TypeName<TJSONNumber*> { static constexpr const char* value = "TJSONNumber"; };
template <> struct TypeName<TJSONBool*> { static constexpr const char* value = "TJSONBool"; };
template <> struct TypeName<TJSONNull*> { static constexpr const char* value = "TJSONNull"; };

template <class T>
bool convertTo(const TJSONValue& value, T& out) {
  if constexpr (std::is_pointer_v<T>) {
    using Class = std::remove_pointer_t<T>;
    static_assert(std::is_base_of_v<TJSONValue, Class>, "GetValue of an unsupported type");
    auto* p = dynamic_cast<Class*>(const_cast<TJSONValue*>(&value));
    if (!p) return false;
    out = p;
    return true;
  } else {
    return convert(value, out);
  }
}
}  // namespace detail

template <class T>
T TJSONValue::GetValue() const {
  T out{};
  if (!detail::convertTo(*this, out)) detail::raiseConversion(*this, detail::TypeName<T>::value);
  return out;
}

template <class T>
T TJSONValue::GetValue(StringView path) const {
  TJSONValue* found = FindValue(path);
  if (!found) detail::raiseNotFound(path);
  return found->GetValue<T>();
}

template <class T>
bool TJSONValue::TryGetValue(StringView path, T& out) const {
  TJSONValue* found = FindValue(path);
  if (!found) return false;
  T value{};
  if (!detail::convertTo(*found, value)) return false;
  out = std::move(value);
  return true;
}

template <class T>
bool TJSONValue::TryGetValue(T& out) const {
  T value{};
  if (!detail::convertTo(*this, value)) return false;
  out = std::move(value);
  return true;
}

}  // namespace json
