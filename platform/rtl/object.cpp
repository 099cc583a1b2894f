#include "platform/rtl/object.h"

#include <algorithm>
#include <map>

#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"

#include "platform/rtl/variant.h"

namespace rtl {

namespace detail {
String asciiToString(const char* text) {
  String result;
  if (text)
    for (const char* p = text; *p; ++p) result.push_back(static_cast<Char>(static_cast<unsigned char>(*p)));
  return result;
}
}  // namespace detail

namespace {

[[noreturn]] void propertyError(const String& message) { throw EPropertyError(message); }

[[noreturn]] void unknownProperty(StringView name) {
  propertyError(u"Property " + String(name) + u" does not exist");
}

[[noreturn]] void invalidPropertyType(const PropInfo* prop) {
  propertyError(u"Invalid property type: " + prop->Name);
}

[[noreturn]] void readOnlyProperty() { propertyError(u"Property is read-only"); }

[[noreturn]] void invalidElement(StringView element) {
  propertyError(u"Invalid property element: " + String(element));
}

const PropInfo* requireProp(const TObject* obj, StringView name) {
  const PropInfo* prop = obj ? GetPropInfo(obj, name) : nullptr;
  if (!prop) unknownProperty(name);
  return prop;
}

bool isOrdinalKind(TTypeKind kind) {
  switch (kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkChar:
    case TTypeKind::tkWChar:
    case TTypeKind::tkEnumeration:
    case TTypeKind::tkSet:
    case TTypeKind::tkInt64:
      return true;
    default:
      return false;
  }
}

// ASCII case-insensitive ordering for the registry map.
struct NameLess {
  bool operator()(const String& a, const String& b) const {
    return CompareText(a, b) < 0;
  }
};

struct Registry {
  std::mutex mutex;
  std::map<String, const ClassInfo*, NameLess> classes;
};

Registry& registry() {
  static Registry instance;
  return instance;
}

}  // namespace

const EnumInfo& BooleanEnumInfo() {
  static const EnumInfo info{u"Boolean", {u"False", u"True"}, 0, true};
  return info;
}

// --- ClassInfo ---------------------------------------------------------------------

ClassInfo::ClassInfo(const char* name, const ClassInfo* parent, ComponentFactory componentFactory,
                     DefaultFactory defaultFactory, ItemFactory itemFactory, PropDefiner definer)
    : name_(detail::asciiToString(name)),
      parent_(parent),
      componentFactory_(componentFactory),
      defaultFactory_(defaultFactory),
      itemFactory_(itemFactory),
      definer_(definer) {}

bool ClassInfo::InheritsFrom(const ClassInfo& other) const {
  for (const ClassInfo* c = this; c; c = c->parent_)
    if (c == &other) return true;
  return false;
}

namespace {
[[noreturn]] void cannotCreate(const ClassInfo& cls) {
  throw EInvalidOperation(u"Cannot create an instance of class " + cls.ClassName());
}
}  // namespace

TObject* ClassInfo::Create(TComponent* owner) const {
  if (!componentFactory_) cannotCreate(*this);
  return componentFactory_(owner);
}

TObject* ClassInfo::Create() const {
  if (!defaultFactory_) cannotCreate(*this);
  return defaultFactory_();
}

TObject* ClassInfo::CreateItem(TCollection* collection) const {
  if (!itemFactory_) cannotCreate(*this);
  return itemFactory_(collection);
}

void ClassInfo::buildProperties() const {
  if (parent_) allProps_ = parent_->Properties();
  if (definer_) definer_(*this, ownProps_);
  for (const PropInfo& prop : ownProps_) {
    auto same = std::find_if(allProps_.begin(), allProps_.end(), [&](const PropInfo* p) {
      return SameText(p->Name, prop.Name);
    });
    if (same != allProps_.end())
      *same = &prop;
    else
      allProps_.push_back(&prop);
  }
}

const PropList& ClassInfo::Properties() const {
  std::call_once(propsOnce_, [this] { buildProperties(); });
  return allProps_;
}

const PropInfo* ClassInfo::FindProperty(StringView name) const {
  for (const PropInfo* prop : Properties())
    if (SameText(prop->Name, name)) return prop;
  return nullptr;
}

// --- TObject -----------------------------------------------------------------------

TObject::~TObject() = default;

const ClassInfo& TObject::classInfo() {
  static const ClassInfo info(std::type_identity<TObject>{}, "TObject", nullptr);
  return info;
}

void TObject::Free() {
  BeforeDestruction();
  delete this;
}

void TObject::Dispatch(void* message) { DefaultHandler(message); }

void RaiseInvalidCast() { throw EInvalidCast(u"Invalid class typecast"); }

// --- registry ------------------------------------------------------------------------

void RegisterClass(const ClassInfo& cls) {
  Registry& reg = registry();
  std::lock_guard lock(reg.mutex);
  auto [it, inserted] = reg.classes.emplace(cls.ClassName(), &cls);
  if (!inserted && it->second != &cls)
    throw EFilerError(u"A class named " + cls.ClassName() + u" already exists");
}

void RegisterClasses(std::initializer_list<const ClassInfo*> classes) {
  for (const ClassInfo* cls : classes)
    if (cls) RegisterClass(*cls);
}

void UnRegisterClass(const ClassInfo& cls) {
  Registry& reg = registry();
  std::lock_guard lock(reg.mutex);
  auto it = reg.classes.find(cls.ClassName());
  if (it != reg.classes.end() && it->second == &cls) reg.classes.erase(it);
}

void UnRegisterClasses(std::initializer_list<const ClassInfo*> classes) {
  for (const ClassInfo* cls : classes)
    if (cls) UnRegisterClass(*cls);
}

const ClassInfo* GetClass(StringView name) {
  Registry& reg = registry();
  std::lock_guard lock(reg.mutex);
  auto it = reg.classes.find(String(name));
  return it == reg.classes.end() ? nullptr : it->second;
}

const ClassInfo& FindClass(StringView name) {
  const ClassInfo* cls = GetClass(name);
  if (!cls) throw EClassNotFound(u"Class " + String(name) + u" not found");
  return *cls;
}

// --- property lists ---------------------------------------------------------------

PropList GetPropList(const ClassInfo& cls, TTypeKinds kinds) {
  PropList result;
  for (const PropInfo* prop : cls.Properties())
    if (kinds.contains(prop->Kind)) result.push_back(prop);
  return result;
}

PropList GetPropList(const TObject* obj, TTypeKinds kinds) {
  return obj ? GetPropList(*obj->ClassType(), kinds) : PropList{};
}

const PropInfo* GetPropInfo(const ClassInfo& cls, StringView name) {
  return cls.FindProperty(name);
}

const PropInfo* GetPropInfo(const TObject* obj, StringView name) {
  return obj ? obj->ClassType()->FindProperty(name) : nullptr;
}

bool IsPublishedProp(const TObject* obj, StringView name) {
  return GetPropInfo(obj, name) != nullptr;
}

TTypeKind PropType(const TObject* obj, StringView name) { return requireProp(obj, name)->Kind; }

// --- ordinals ------------------------------------------------------------------------

Int64 GetOrdProp(TObject* obj, const PropInfo* prop) {
  if (!isOrdinalKind(prop->Kind) || !prop->GetOrd) invalidPropertyType(prop);
  return prop->GetOrd(obj);
}

Int64 GetOrdProp(TObject* obj, StringView name) { return GetOrdProp(obj, requireProp(obj, name)); }

void SetOrdProp(TObject* obj, const PropInfo* prop, Int64 value) {
  if (!isOrdinalKind(prop->Kind)) invalidPropertyType(prop);
  if (!prop->SetOrd) readOnlyProperty();
  prop->SetOrd(obj, value);
}

void SetOrdProp(TObject* obj, StringView name, Int64 value) {
  SetOrdProp(obj, requireProp(obj, name), value);
}

Int64 GetInt64Prop(TObject* obj, const PropInfo* prop) { return GetOrdProp(obj, prop); }
void SetInt64Prop(TObject* obj, const PropInfo* prop, Int64 value) { SetOrdProp(obj, prop, value); }

// --- strings, floats, objects, methods ---------------------------------------------

String GetStrProp(TObject* obj, const PropInfo* prop) {
  if (!prop->GetStr) invalidPropertyType(prop);
  return prop->GetStr(obj);
}

String GetStrProp(TObject* obj, StringView name) { return GetStrProp(obj, requireProp(obj, name)); }

void SetStrProp(TObject* obj, const PropInfo* prop, const String& value) {
  if (!prop->GetStr) invalidPropertyType(prop);
  if (!prop->SetStr) readOnlyProperty();
  prop->SetStr(obj, value);
}

void SetStrProp(TObject* obj, StringView name, const String& value) {
  SetStrProp(obj, requireProp(obj, name), value);
}

double GetFloatProp(TObject* obj, const PropInfo* prop) {
  if (!prop->GetFloat) invalidPropertyType(prop);
  return prop->GetFloat(obj);
}

double GetFloatProp(TObject* obj, StringView name) {
  return GetFloatProp(obj, requireProp(obj, name));
}

void SetFloatProp(TObject* obj, const PropInfo* prop, double value) {
  if (!prop->GetFloat) invalidPropertyType(prop);
  if (!prop->SetFloat) readOnlyProperty();
  prop->SetFloat(obj, value);
}

void SetFloatProp(TObject* obj, StringView name, double value) {
  SetFloatProp(obj, requireProp(obj, name), value);
}

TObject* GetObjectProp(TObject* obj, const PropInfo* prop, const ClassInfo* minClass) {
  if (prop->Kind != TTypeKind::tkClass || !prop->GetObj) invalidPropertyType(prop);
  TObject* value = prop->GetObj(obj);
  if (value && minClass && !value->InheritsFrom(*minClass)) return nullptr;
  return value;
}

TObject* GetObjectProp(TObject* obj, StringView name, const ClassInfo* minClass) {
  return GetObjectProp(obj, requireProp(obj, name), minClass);
}

void SetObjectProp(TObject* obj, const PropInfo* prop, TObject* value) {
  if (prop->Kind != TTypeKind::tkClass) invalidPropertyType(prop);
  if (!prop->SetObj) readOnlyProperty();
  if (value && prop->PropClass && !value->InheritsFrom(*prop->PropClass)) RaiseInvalidCast();
  prop->SetObj(obj, value);
}

void SetObjectProp(TObject* obj, StringView name, TObject* value) {
  SetObjectProp(obj, requireProp(obj, name), value);
}

const ClassInfo* GetObjectPropClass(const PropInfo* prop) {
  if (prop->Kind != TTypeKind::tkClass) invalidPropertyType(prop);
  return prop->PropClass;
}

TMethod GetMethodProp(TObject* obj, const PropInfo* prop) {
  if (prop->Kind != TTypeKind::tkMethod || !prop->GetMethod) invalidPropertyType(prop);
  return prop->GetMethod(obj);
}

void SetMethodProp(TObject* obj, const PropInfo* prop, const TMethod& value) {
  if (prop->Kind != TTypeKind::tkMethod) invalidPropertyType(prop);
  if (!prop->SetMethod) readOnlyProperty();
  prop->SetMethod(obj, value);
}

Variant GetVariantProp(TObject* obj, const PropInfo* prop) {
  if (prop->Kind != TTypeKind::tkVariant || !prop->GetVar) invalidPropertyType(prop);
  Variant result;
  prop->GetVar(obj, result);
  return result;
}

void SetVariantProp(TObject* obj, const PropInfo* prop, const Variant& value) {
  if (prop->Kind != TTypeKind::tkVariant) invalidPropertyType(prop);
  if (!prop->SetVar) readOnlyProperty();
  prop->SetVar(obj, value);
}

// --- enumerations and sets -------------------------------------------------------------

String GetEnumName(const EnumInfo& info, int value) {
  int index = value - info.MinValue;
  if (index < 0 || index >= static_cast<int>(info.Names.size())) return String();
  return info.Names[static_cast<size_t>(index)];
}

int GetEnumValue(const EnumInfo& info, StringView name) {
  for (size_t i = 0; i < info.Names.size(); ++i)
    if (SameText(info.Names[i], name)) return info.MinValue + static_cast<int>(i);
  return -1;
}

String GetEnumProp(TObject* obj, const PropInfo* prop) {
  if (prop->Kind != TTypeKind::tkEnumeration || !prop->Enum) invalidPropertyType(prop);
  return GetEnumName(*prop->Enum, static_cast<int>(GetOrdProp(obj, prop)));
}

String GetEnumProp(TObject* obj, StringView name) { return GetEnumProp(obj, requireProp(obj, name)); }

void SetEnumProp(TObject* obj, const PropInfo* prop, StringView value) {
  if (prop->Kind != TTypeKind::tkEnumeration || !prop->Enum) invalidPropertyType(prop);
  int ordinal = GetEnumValue(*prop->Enum, value);
  if (ordinal < 0) invalidElement(value);
  SetOrdProp(obj, prop, ordinal);
}

void SetEnumProp(TObject* obj, StringView name, StringView value) {
  SetEnumProp(obj, requireProp(obj, name), value);
}

String SetToString(const EnumInfo& elements, Int64 value, bool brackets) {
  String result;
  auto bits = static_cast<std::uint64_t>(value);
  for (int ordinal = 0; ordinal < 64; ++ordinal) {
    if (!(bits & (std::uint64_t{1} << ordinal))) continue;
    if (!result.empty()) result += u',';
    String name = GetEnumName(elements, ordinal);
    result += name.empty() ? u"<" + detail::asciiToString(std::to_string(ordinal).c_str()) + u">" : name;
  }
  return brackets ? u"[" + result + u"]" : result;
}

String SetToString(const PropInfo* prop, Int64 value, bool brackets) {
  if (prop->Kind != TTypeKind::tkSet || !prop->Enum) invalidPropertyType(prop);
  return SetToString(*prop->Enum, value, brackets);
}

Int64 StringToSet(const EnumInfo& elements, StringView value) {
  String text = Trim(value);
  StringView rest(text);
  if (!rest.empty() && rest.front() == u'[') rest.remove_prefix(1);
  if (!rest.empty() && rest.back() == u']') rest.remove_suffix(1);
  std::uint64_t bits = 0;
  while (!rest.empty()) {
    size_t comma = rest.find(u',');
    String element = Trim(rest.substr(0, comma));
    rest = comma == StringView::npos ? StringView() : rest.substr(comma + 1);
    if (element.empty()) {
      if (comma == StringView::npos) break;
      invalidElement(element);
    }
    int ordinal = GetEnumValue(elements, element);
    if (ordinal < 0 || ordinal >= 64) invalidElement(element);
    bits |= std::uint64_t{1} << ordinal;
  }
  return static_cast<Int64>(bits);
}

Int64 StringToSet(const PropInfo* prop, StringView value) {
  if (prop->Kind != TTypeKind::tkSet || !prop->Enum) invalidPropertyType(prop);
  return StringToSet(*prop->Enum, value);
}

String GetSetProp(TObject* obj, const PropInfo* prop, bool brackets) {
  return SetToString(prop, GetOrdProp(obj, prop), brackets);
}

String GetSetProp(TObject* obj, StringView name, bool brackets) {
  return GetSetProp(obj, requireProp(obj, name), brackets);
}

void SetSetProp(TObject* obj, const PropInfo* prop, StringView value) {
  SetOrdProp(obj, prop, StringToSet(prop, value));
}

void SetSetProp(TObject* obj, StringView name, StringView value) {
  SetSetProp(obj, requireProp(obj, name), value);
}

// --- stored and default ----------------------------------------------------------------

bool IsStoredProp(TObject* obj, const PropInfo* prop) {
  return !prop->Stored || prop->Stored(obj);
}

bool IsStoredProp(TObject* obj, StringView name) { return IsStoredProp(obj, requireProp(obj, name)); }

bool IsDefaultPropValue(TObject* obj, const PropInfo* prop) {
  switch (prop->Kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkChar:
    case TTypeKind::tkWChar:
    case TTypeKind::tkEnumeration:
    case TTypeKind::tkSet:
    case TTypeKind::tkInt64:
      return prop->HasDefault && prop->GetOrd && prop->GetOrd(obj) == prop->Default;
    case TTypeKind::tkFloat:
      return prop->GetFloat && prop->GetFloat(obj) == 0.0;
    case TTypeKind::tkString:
    case TTypeKind::tkLString:
    case TTypeKind::tkWString:
    case TTypeKind::tkUString:
      return prop->GetStr && prop->GetStr(obj).empty();
    case TTypeKind::tkClass:
      return prop->GetObj && prop->GetObj(obj) == nullptr;
    case TTypeKind::tkMethod:
      return prop->GetMethod && prop->GetMethod(obj).Code == nullptr;
    case TTypeKind::tkVariant: {
      if (!prop->GetVar) return false;
      Variant value;
      prop->GetVar(obj, value);
      return VarIsEmpty(value);
    }
    default:
      return false;
  }
}

}  // namespace rtl
