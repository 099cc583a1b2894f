#pragma once
// The object model: TObject, the ClassInfo metaclass (name, parent, virtual
// constructors, published properties), the class registry by name, comparable
// method pointers and the published-property accessors.
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/rtl/set.h"
#include "platform/rtl/types.h"

namespace rtl {

class TObject;
class TComponent;
class TCollection;
class ClassInfo;
class Variant;
struct PropInfo;
template <class T>
class PropTable;

// --- published-property kinds ---------------------------------------------
// Ordinals as the platform numbers them (stored with type information).
enum class TTypeKind {
  tkUnknown, tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet, tkClass,
  tkMethod, tkWChar, tkLString, tkWString, tkVariant, tkArray, tkRecord,
  tkInterface, tkInt64, tkDynArray, tkUString, tkClassRef, tkPointer, tkProcedure
};
using TTypeKinds = Set<TTypeKind, 22>;
inline constexpr TTypeKinds tkMethods = {TTypeKind::tkMethod};
inline constexpr TTypeKinds tkAny = TTypeKinds::FromBits((std::uint64_t{1} << 22) - 1);
inline constexpr TTypeKinds tkProperties = tkAny - tkMethods - TTypeKinds{TTypeKind::tkUnknown};

// The names of an enumeration, in ordinal order starting at MinValue. Sets
// point at the names of their element type.
struct EnumInfo {
  String TypeName;
  std::vector<String> Names;
  int MinValue = 0;
  bool IsBoolean = false;
  int MaxValue() const { return MinValue + static_cast<int>(Names.size()) - 1; }
};
// "Boolean": False, True.
const EnumInfo& BooleanEnumInfo();

// --- method pointers ---------------------------------------------------------
// The platform's raw (Code, Data) pair.
struct TMethod {
  void* Code = nullptr;
  void* Data = nullptr;
  friend bool operator==(const TMethod&, const TMethod&) = default;
};
inline bool SameMethods(const TMethod& a, const TMethod& b) { return a == b; }

namespace detail {
template <class>
struct MemberClass;
template <class C, class F>
struct MemberClass<F C::*> {
  using type = C;
};
}  // namespace detail

template <class Sig>
class Method;

// An event handler: object + code. Code is a trampoline instantiated once per
// member function, so equal code means "same method" and equal data "same
// object" -- what event setters compare before reporting a change.
template <class R, class... Args>
class Method<R(Args...)> {
 public:
  using Code = R (*)(void*, Args...);

  constexpr Method() = default;
  constexpr Method(std::nullptr_t) {}

  template <auto M>
  static Method bind(typename detail::MemberClass<decltype(M)>::type* obj) {
    Method m;
    m.code_ = &memberThunk<M>;
    m.data_ = static_cast<void*>(obj);
    return m;
  }
  template <auto M>
  static Method bind(const typename detail::MemberClass<decltype(M)>::type* obj) {
    using C = typename detail::MemberClass<decltype(M)>::type;
    return bind<M>(const_cast<C*>(obj));
  }
  // A plain function; two methods made from the same function are equal.
  static Method fromFunction(R (*fn)(Args...)) {
    Method m;
    if (fn) {
      m.code_ = &functionThunk;
      m.data_ = reinterpret_cast<void*>(fn);
    }
    return m;
  }
  // For tests: any callable, identified by `token` (equal tokens, equal methods).
  static Method fromClosure(const void* token, std::function<R(Args...)> fn) {
    Method m;
    m.closure_ = std::make_shared<Closure>(Closure{token, std::move(fn)});
    m.code_ = &closureThunk;
    m.data_ = m.closure_.get();
    return m;
  }
  // The raw pair does not keep a closure alive; its origin must outlive it.
  static Method fromRaw(const TMethod& raw) {
    Method m;
    m.code_ = reinterpret_cast<Code>(raw.Code);
    m.data_ = raw.Data;
    return m;
  }
  TMethod toRaw() const { return TMethod{reinterpret_cast<void*>(code_), data_}; }

  bool assigned() const { return code_ != nullptr; }
  explicit operator bool() const { return assigned(); }
  void* data() const { return data_; }
  Code code() const { return code_; }

  R operator()(Args... args) const { return code_(data_, std::forward<Args>(args)...); }

  friend bool operator==(const Method& a, const Method& b) {
    return a.code_ == b.code_ && a.identity() == b.identity();
  }
  friend bool operator==(const Method& a, std::nullptr_t) { return !a.assigned(); }

 private:
  struct Closure {
    const void* token;
    std::function<R(Args...)> fn;
  };
  const void* identity() const { return closure_ ? closure_->token : data_; }

  template <auto M>
  static R memberThunk(void* data, Args... args) {
    using C = typename detail::MemberClass<decltype(M)>::type;
    return (static_cast<C*>(data)->*M)(std::forward<Args>(args)...);
  }
  static R functionThunk(void* data, Args... args) {
    return reinterpret_cast<R (*)(Args...)>(data)(std::forward<Args>(args)...);
  }
  static R closureThunk(void* data, Args... args) {
    return static_cast<Closure*>(data)->fn(std::forward<Args>(args)...);
  }

  Code code_ = nullptr;
  void* data_ = nullptr;
  std::shared_ptr<Closure> closure_;
};

template <class Sig>
bool Assigned(const Method<Sig>& m) { return m.assigned(); }
template <class T>
bool Assigned(const T* p) { return p != nullptr; }
template <class Sig>
bool SameMethods(const Method<Sig>& a, const Method<Sig>& b) { return a == b; }

using TNotifyEvent = Method<void(TObject* sender)>;

// --- published properties -----------------------------------------------------
// One entry of a class's published-property table. Accessors are type-erased
// on TObject*; only the ones that fit the kind are set.
struct PropInfo {
  String Name;
  TTypeKind Kind = TTypeKind::tkUnknown;
  const ClassInfo* Declarer = nullptr;  // the class whose table holds it
  const EnumInfo* Enum = nullptr;       // tkEnumeration: values; tkSet: elements
  const ClassInfo* PropClass = nullptr; // tkClass: the property's class
  bool HasDefault = false;              // ordinals and sets only
  Int64 Default = 0;

  std::function<Int64(TObject*)> GetOrd;  // ordinals, sets (bits), Int64
  std::function<void(TObject*, Int64)> SetOrd;
  std::function<double(TObject*)> GetFloat;
  std::function<void(TObject*, double)> SetFloat;
  std::function<String(TObject*)> GetStr;
  std::function<void(TObject*, const String&)> SetStr;
  std::function<TObject*(TObject*)> GetObj;
  std::function<void(TObject*, TObject*)> SetObj;
  std::function<TMethod(TObject*)> GetMethod;
  std::function<void(TObject*, const TMethod&)> SetMethod;
  std::function<void(TObject*, Variant&)> GetVar;
  std::function<void(TObject*, const Variant&)> SetVar;
  std::function<bool(TObject*)> Stored;  // empty: always stored

  bool IsReadOnly() const {
    return !SetOrd && !SetFloat && !SetStr && !SetObj && !SetMethod && !SetVar;
  }
};
using PropList = std::vector<const PropInfo*>;

// --- the metaclass -------------------------------------------------------------
class ClassInfo {
 public:
  using ComponentFactory = TObject* (*)(TComponent* owner);
  using DefaultFactory = TObject* (*)();
  using ItemFactory = TObject* (*)(TCollection* collection);
  using PropDefiner = void (*)(const ClassInfo& self, std::deque<PropInfo>& out);

  ClassInfo(const char* name, const ClassInfo* parent, ComponentFactory componentFactory,
            DefaultFactory defaultFactory, ItemFactory itemFactory, PropDefiner definer);
  // Fills the factories and the property table from T (RTL_CLASS uses this).
  template <class T>
  ClassInfo(std::type_identity<T>, const char* name, const ClassInfo* parent);
  ClassInfo(const ClassInfo&) = delete;
  ClassInfo& operator=(const ClassInfo&) = delete;

  const String& ClassName() const { return name_; }
  const ClassInfo* ClassParent() const { return parent_; }
  bool InheritsFrom(const ClassInfo& other) const;
  bool InheritsFrom(const ClassInfo* other) const { return other && InheritsFrom(*other); }

  // Virtual constructors. Each calls AfterConstruction; a class without the
  // matching constructor (or abstract) raises EInvalidOperation.
  bool CanCreateComponent() const { return componentFactory_ != nullptr; }
  bool CanCreateDefault() const { return defaultFactory_ != nullptr; }
  bool CanCreateItem() const { return itemFactory_ != nullptr; }
  TObject* Create(TComponent* owner) const;
  TObject* Create() const;
  TObject* CreateItem(TCollection* collection) const;

  // Published properties, the parent's first, in declaration order. A class
  // that redeclares a parent's property replaces it in place.
  const PropList& Properties() const;
  const PropInfo* FindProperty(StringView name) const;  // case-insensitive

 private:
  template <class T>
  static void defineFor(const ClassInfo& self, std::deque<PropInfo>& out);
  void buildProperties() const;

  String name_;
  const ClassInfo* parent_;
  ComponentFactory componentFactory_;
  DefaultFactory defaultFactory_;
  ItemFactory itemFactory_;
  PropDefiner definer_;
  mutable std::once_flag propsOnce_;
  mutable std::deque<PropInfo> ownProps_;
  mutable PropList allProps_;
};
using TClass = const ClassInfo*;

// Declares the metaclass of a class: `class TFoo : public TBar { RTL_CLASS(TFoo, TBar) public: ... };`
// A class publishes properties by declaring
// `static void Published(rtl::PropTable<TFoo>& p);`.
#define RTL_CLASS(Class, Parent)                                                      \
 public:                                                                              \
  static const ::rtl::ClassInfo& classInfo() {                                        \
    static const ::rtl::ClassInfo info(std::type_identity<Class>{}, #Class,           \
                                       &Parent::classInfo());                         \
    return info;                                                                      \
  }                                                                                   \
  const ::rtl::ClassInfo* ClassType() const override { return &classInfo(); }         \
                                                                                      \
 private:

// --- TObject -----------------------------------------------------------------------
class TObject {
 public:
  TObject() = default;
  virtual ~TObject();
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;

  static const ClassInfo& classInfo();
  virtual const ClassInfo* ClassType() const { return &classInfo(); }
  const String& ClassName() const { return ClassType()->ClassName(); }
  const ClassInfo* ClassParent() const { return ClassType()->ClassParent(); }
  bool InheritsFrom(const ClassInfo& cls) const { return ClassType()->InheritsFrom(cls); }
  bool InheritsFrom(const ClassInfo* cls) const { return ClassType()->InheritsFrom(cls); }
  template <class T>
  bool Is() const { return InheritsFrom(T::classInfo()); }

  // Run by rtl::Create and the class factories right after the constructor,
  // and by Free right before the destructor, so overrides see the whole object.
  virtual void AfterConstruction() {}
  virtual void BeforeDestruction() {}
  // BeforeDestruction, then delete.
  void Free();

  // Message dispatch by number; the base hands everything to DefaultHandler.
  virtual void Dispatch(void* message);
  virtual void DefaultHandler(void* message) {}
};

// Constructs, then runs AfterConstruction (freeing the object if it throws).
template <class T, class... A>
T* Create(A&&... args) {
  T* obj = new T(std::forward<A>(args)...);
  try {
    obj->AfterConstruction();
  } catch (...) {
    delete obj;
    throw;
  }
  return obj;
}

template <class T>
void FreeAndNil(T*& obj) {
  T* victim = obj;
  obj = nullptr;
  if (victim) victim->Free();
}

// The platform's `as`: raises EInvalidCast "Invalid class typecast".
[[noreturn]] void RaiseInvalidCast();
template <class T>
T* As(TObject* obj) {
  if (!obj) return nullptr;
  T* result = dynamic_cast<T*>(obj);
  if (!result) RaiseInvalidCast();
  return result;
}

// Interfaces are abstract classes; asking for one is a dynamic_cast.
template <class I, class T>
bool Supports(T* obj, I*& out) {
  out = obj ? dynamic_cast<I*>(obj) : nullptr;
  return out != nullptr;
}
template <class I, class T>
I* Supports(T* obj) {
  return obj ? dynamic_cast<I*>(obj) : nullptr;
}
template <class I, class T>
bool SupportsIntf(T* obj) {
  return Supports<I>(obj) != nullptr;
}

// A reference to T's class or a descendant's.
template <class T>
class ClassRef {
 public:
  constexpr ClassRef() = default;
  constexpr ClassRef(std::nullptr_t) {}
  // Raises EInvalidCast when `cls` does not descend from T.
  ClassRef(const ClassInfo& cls) : cls_(&cls) {
    if (!cls.InheritsFrom(T::classInfo())) RaiseInvalidCast();
  }
  template <class U, class = std::enable_if_t<std::is_base_of_v<T, U>>>
  ClassRef(const ClassRef<U>& other) : cls_(other.get()) {}
  template <class U>
  static ClassRef of() {
    static_assert(std::is_base_of_v<T, U>);
    ClassRef r;
    r.cls_ = &U::classInfo();
    return r;
  }

  const ClassInfo* get() const { return cls_; }
  operator const ClassInfo*() const { return cls_; }
  const ClassInfo* operator->() const { return cls_; }
  const ClassInfo& operator*() const { return *cls_; }
  explicit operator bool() const { return cls_ != nullptr; }

  T* Create(TComponent* owner) const { return static_cast<T*>(cls_->Create(owner)); }
  T* Create() const { return static_cast<T*>(cls_->Create()); }
  T* CreateItem(TCollection* collection) const {
    return static_cast<T*>(cls_->CreateItem(collection));
  }

  friend bool operator==(const ClassRef& a, const ClassRef& b) { return a.cls_ == b.cls_; }

 private:
  const ClassInfo* cls_ = nullptr;
};

// --- the class registry ---------------------------------------------------------
// Names compare case-insensitively. Registering a class twice is harmless;
// another class under a registered name raises EFilerError.
void RegisterClass(const ClassInfo& cls);
void RegisterClasses(std::initializer_list<const ClassInfo*> classes);
void UnRegisterClass(const ClassInfo& cls);
void UnRegisterClasses(std::initializer_list<const ClassInfo*> classes);
const ClassInfo* GetClass(StringView name);   // nullptr when not registered
const ClassInfo& FindClass(StringView name);  // EClassNotFound "Class %s not found"

// --- property accessors -----------------------------------------------------------
// Errors: EPropertyError "Property %s does not exist", "Invalid property type: %s",
// "Property is read-only", "Invalid property element: %s".
PropList GetPropList(const ClassInfo& cls, TTypeKinds kinds = tkAny);
PropList GetPropList(const TObject* obj, TTypeKinds kinds = tkAny);
const PropInfo* GetPropInfo(const ClassInfo& cls, StringView name);  // nullptr when absent
const PropInfo* GetPropInfo(const TObject* obj, StringView name);
bool IsPublishedProp(const TObject* obj, StringView name);
TTypeKind PropType(const TObject* obj, StringView name);

Int64 GetOrdProp(TObject* obj, const PropInfo* prop);
Int64 GetOrdProp(TObject* obj, StringView name);
void SetOrdProp(TObject* obj, const PropInfo* prop, Int64 value);
void SetOrdProp(TObject* obj, StringView name, Int64 value);
Int64 GetInt64Prop(TObject* obj, const PropInfo* prop);
void SetInt64Prop(TObject* obj, const PropInfo* prop, Int64 value);
String GetStrProp(TObject* obj, const PropInfo* prop);
String GetStrProp(TObject* obj, StringView name);
void SetStrProp(TObject* obj, const PropInfo* prop, const String& value);
void SetStrProp(TObject* obj, StringView name, const String& value);
double GetFloatProp(TObject* obj, const PropInfo* prop);
double GetFloatProp(TObject* obj, StringView name);
void SetFloatProp(TObject* obj, const PropInfo* prop, double value);
void SetFloatProp(TObject* obj, StringView name, double value);
// With `minClass`, an object that does not descend from it reads as nullptr.
TObject* GetObjectProp(TObject* obj, const PropInfo* prop, const ClassInfo* minClass = nullptr);
TObject* GetObjectProp(TObject* obj, StringView name, const ClassInfo* minClass = nullptr);
// The value must be nullptr or descend from the property's class (EInvalidCast).
void SetObjectProp(TObject* obj, const PropInfo* prop, TObject* value);
void SetObjectProp(TObject* obj, StringView name, TObject* value);
const ClassInfo* GetObjectPropClass(const PropInfo* prop);
TMethod GetMethodProp(TObject* obj, const PropInfo* prop);
void SetMethodProp(TObject* obj, const PropInfo* prop, const TMethod& value);
// Variant is declared in variant.h.
Variant GetVariantProp(TObject* obj, const PropInfo* prop);
void SetVariantProp(TObject* obj, const PropInfo* prop, const Variant& value);

// Enumerations by name ("alClient"; Boolean as "False"/"True").
String GetEnumProp(TObject* obj, const PropInfo* prop);
String GetEnumProp(TObject* obj, StringView name);
void SetEnumProp(TObject* obj, const PropInfo* prop, StringView value);
void SetEnumProp(TObject* obj, StringView name, StringView value);
String GetEnumName(const EnumInfo& info, int value);  // "" when out of range
int GetEnumValue(const EnumInfo& info, StringView name);  // -1 when unknown
// Sets as text: "a,b", or "[a,b]" with brackets; reading accepts both.
String GetSetProp(TObject* obj, const PropInfo* prop, bool brackets = false);
String GetSetProp(TObject* obj, StringView name, bool brackets = false);
void SetSetProp(TObject* obj, const PropInfo* prop, StringView value);
void SetSetProp(TObject* obj, StringView name, StringView value);
String SetToString(const EnumInfo& elements, Int64 value, bool brackets = false);
String SetToString(const PropInfo* prop, Int64 value, bool brackets = false);
Int64 StringToSet(const EnumInfo& elements, StringView value);
Int64 StringToSet(const PropInfo* prop, StringView value);

// Whether a writer should store the property: the `stored` predicate...
bool IsStoredProp(TObject* obj, const PropInfo* prop);
bool IsStoredProp(TObject* obj, StringView name);
// ...and whether the value equals its default (ordinals and sets: the declared
// default, none means never; floats 0; strings ""; objects, methods: unassigned;
// variants: empty).
bool IsDefaultPropValue(TObject* obj, const PropInfo* prop);

// --- the declaration DSL ---------------------------------------------------------
// Inside `static void Published(PropTable<TFoo>& p)`:
//   p.Int("Tag", &TFoo::GetTag, &TFoo::SetTag).Default(0);
//   p.Enum("Align", &TFoo::GetAlign, &TFoo::SetAlign, kAlignNames).Default(TAlign::alNone);
//   p.Object("Font", &TFoo::GetFont, &TFoo::SetFont);
// Getters are member functions or data members; setters member functions, data
// members or nullptr (read-only).
class PropBuilder {
 public:
  explicit PropBuilder(PropInfo& info) : info_(info) {}
  PropBuilder& Default(Int64 value) {
    info_.HasDefault = true;
    info_.Default = value;
    return *this;
  }
  PropBuilder& Default(int value) { return Default(static_cast<Int64>(value)); }
  PropBuilder& Default(bool value) { return Default(static_cast<Int64>(value ? 1 : 0)); }
  template <class E, class = std::enable_if_t<std::is_enum_v<E>>>
  PropBuilder& Default(E value) { return Default(static_cast<Int64>(value)); }
  template <class E, int N>
  PropBuilder& Default(Set<E, N> value) { return Default(static_cast<Int64>(value.Bits())); }
  PropBuilder& NoDefault() {
    info_.HasDefault = false;
    return *this;
  }
  PropBuilder& Stored(bool stored) {
    if (stored)
      info_.Stored = nullptr;
    else
      info_.Stored = [](TObject*) { return false; };
    return *this;
  }
  template <class T>
  PropBuilder& Stored(bool (T::*pred)() const) {
    info_.Stored = [pred](TObject* o) { return (static_cast<T*>(o)->*pred)(); };
    return *this;
  }
  PropInfo& info() { return info_; }

 private:
  PropInfo& info_;
};

namespace detail {
template <class T, class G>
decltype(auto) readProp(TObject* obj, G getter) {
  return std::invoke(getter, static_cast<T*>(obj));
}
template <class T, class S, class V>
void writeProp(TObject* obj, S setter, V&& value) {
  if constexpr (std::is_member_object_pointer_v<S>)
    static_cast<T*>(obj)->*setter = std::forward<V>(value);
  else
    std::invoke(setter, static_cast<T*>(obj), std::forward<V>(value));
}
template <class V>
concept SetLike = requires(V v) { v.Bits(); V::FromBits(std::uint64_t{}); };
String asciiToString(const char* text);
}  // namespace detail

template <class T>
class PropTable {
 public:
  PropTable(const ClassInfo& cls, std::deque<PropInfo>& out) : cls_(cls), out_(out) {}

  template <class G, class S = std::nullptr_t>
  PropBuilder Int(const char* name, G get, S set = nullptr) {
    return ordinal(name, TTypeKind::tkInteger, nullptr, get, set);
  }
  template <class G, class S = std::nullptr_t>
  PropBuilder Int64(const char* name, G get, S set = nullptr) {
    return ordinal(name, TTypeKind::tkInt64, nullptr, get, set);
  }
  template <class G, class S = std::nullptr_t>
  PropBuilder WChar(const char* name, G get, S set = nullptr) {
    return ordinal(name, TTypeKind::tkWChar, nullptr, get, set);
  }
  template <class G, class S = std::nullptr_t>
  PropBuilder Bool(const char* name, G get, S set = nullptr) {
    return ordinal(name, TTypeKind::tkEnumeration, &BooleanEnumInfo(), get, set);
  }
  // `names` must outlive the class (a static table).
  template <class G, class S = std::nullptr_t>
  PropBuilder Enum(const char* name, G get, S set, const EnumInfo& names) {
    return ordinal(name, TTypeKind::tkEnumeration, &names, get, set);
  }
  // `elements` names the element enumeration; the value is a Set<E, N>.
  template <class G, class S = std::nullptr_t>
  PropBuilder SetOf(const char* name, G get, S set, const EnumInfo& elements) {
    return ordinal(name, TTypeKind::tkSet, &elements, get, set);
  }
  template <class G, class S = std::nullptr_t>
  PropBuilder Float(const char* name, G get, S set = nullptr) {
    PropInfo& p = add(name, TTypeKind::tkFloat);
    p.GetFloat = [get](TObject* o) { return static_cast<double>(detail::readProp<T>(o, get)); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetFloat = [set](TObject* o, double v) { detail::writeProp<T>(o, set, v); };
    return PropBuilder(p);
  }
  template <class G, class S = std::nullptr_t>
  PropBuilder Str(const char* name, G get, S set = nullptr) {
    PropInfo& p = add(name, TTypeKind::tkUString);
    p.GetStr = [get](TObject* o) { return String(detail::readProp<T>(o, get)); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetStr = [set](TObject* o, const String& v) { detail::writeProp<T>(o, set, v); };
    return PropBuilder(p);
  }
  // The property's class comes from the getter's result type.
  template <class G, class S = std::nullptr_t>
  PropBuilder Object(const char* name, G get, S set = nullptr) {
    using Ptr = std::remove_cvref_t<std::invoke_result_t<G, T*>>;
    using C = std::remove_cv_t<std::remove_pointer_t<Ptr>>;
    PropInfo& p = add(name, TTypeKind::tkClass);
    p.PropClass = &C::classInfo();
    p.GetObj = [get](TObject* o) -> TObject* {
      return const_cast<C*>(static_cast<const C*>(detail::readProp<T>(o, get)));
    };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetObj = [set](TObject* o, TObject* v) { detail::writeProp<T>(o, set, static_cast<C*>(v)); };
    return PropBuilder(p);
  }
  // Getter returns a Method<Sig>; setter takes one.
  template <class G, class S = std::nullptr_t>
  PropBuilder Event(const char* name, G get, S set = nullptr) {
    using M = std::remove_cvref_t<std::invoke_result_t<G, T*>>;
    PropInfo& p = add(name, TTypeKind::tkMethod);
    p.GetMethod = [get](TObject* o) { return M(detail::readProp<T>(o, get)).toRaw(); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetMethod = [set](TObject* o, const TMethod& v) {
        detail::writeProp<T>(o, set, M::fromRaw(v));
      };
    return PropBuilder(p);
  }
  // Needs variant.h where the table is declared.
  template <class G, class S = std::nullptr_t>
  PropBuilder Var(const char* name, G get, S set = nullptr) {
    PropInfo& p = add(name, TTypeKind::tkVariant);
    p.GetVar = [get](TObject* o, auto& out) { out = detail::readProp<T>(o, get); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetVar = [set](TObject* o, const auto& v) { detail::writeProp<T>(o, set, v); };
    return PropBuilder(p);
  }

 private:
  PropInfo& add(const char* name, TTypeKind kind) {
    PropInfo& p = out_.emplace_back();
    p.Name = detail::asciiToString(name);
    p.Kind = kind;
    p.Declarer = &cls_;
    return p;
  }
  template <class G, class S>
  PropBuilder ordinal(const char* name, TTypeKind kind, const EnumInfo* names, G get, S set) {
    PropInfo& p = add(name, kind);
    p.Enum = names;
    p.GetOrd = [get](TObject* o) -> rtl::Int64 {
      auto v = detail::readProp<T>(o, get);
      if constexpr (detail::SetLike<decltype(v)>)
        return static_cast<rtl::Int64>(v.Bits());
      else
        return static_cast<rtl::Int64>(v);
    };
    if constexpr (!std::is_null_pointer_v<S>) {
      p.SetOrd = [set](TObject* o, rtl::Int64 v) {
        using V = std::remove_cvref_t<decltype(detail::readProp<T>(o, std::declval<G>()))>;
        if constexpr (detail::SetLike<V>)
          detail::writeProp<T>(o, set, V::FromBits(static_cast<std::uint64_t>(v)));
        else
          detail::writeProp<T>(o, set, static_cast<V>(v));
      };
    }
    return PropBuilder(p);
  }

  const ClassInfo& cls_;
  std::deque<PropInfo>& out_;
};

namespace detail {
template <class T>
concept PublishesOwn = requires {
  { &T::Published } -> std::same_as<void (*)(PropTable<T>&)>;
};
}  // namespace detail

template <class T>
void ClassInfo::defineFor(const ClassInfo& self, std::deque<PropInfo>& out) {
  PropTable<T> table(self, out);
  T::Published(table);
}

template <class T>
ClassInfo::ClassInfo(std::type_identity<T>, const char* name, const ClassInfo* parent)
    : ClassInfo(name, parent, nullptr, nullptr, nullptr, nullptr) {
  if constexpr (!std::is_abstract_v<T>) {
    if constexpr (std::is_constructible_v<T, TComponent*>)
      componentFactory_ = [](TComponent* owner) -> TObject* { return rtl::Create<T>(owner); };
    if constexpr (std::is_default_constructible_v<T>)
      defaultFactory_ = []() -> TObject* { return rtl::Create<T>(); };
    if constexpr (std::is_constructible_v<T, TCollection*> &&
                  !std::is_constructible_v<T, TComponent*>)
      itemFactory_ = [](TCollection* c) -> TObject* { return rtl::Create<T>(c); };
  }
  if constexpr (detail::PublishesOwn<T>) definer_ = &defineFor<T>;
}

}  // namespace rtl
