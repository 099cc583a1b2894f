#include "platform/rtl/resources.h"

#include <map>
#include <mutex>
#include <string>

#include "platform/rtl/except.h"

namespace rtl {
namespace {

// Case folding as resource names use it: ASCII letters only.
char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

template <class CharT>
bool foldKey(std::basic_string_view<CharT> type, std::basic_string_view<CharT> name, std::string* key) {
  key->clear();
  key->reserve(type.size() + name.size() + 1);
  for (CharT c : type) {
    if (static_cast<std::uint32_t>(c) > 0x7F) return false;  // our resource names are ASCII
    key->push_back(upper(static_cast<char>(c)));
  }
  key->push_back('\0');
  for (CharT c : name) {
    if (static_cast<std::uint32_t>(c) > 0x7F) return false;
    key->push_back(upper(static_cast<char>(c)));
  }
  return true;
}

struct ResourceRegistry {
  std::mutex mutex;
  std::map<std::string, const TResourceEntry*> byKey;
  std::vector<const TResourceEntry*> inOrder;
  void add(const TResourceEntry& e) {
    std::string key;
    if (!foldKey(std::string_view(e.Type), std::string_view(e.Name), &key)) return;
    if (byKey.emplace(key, &e).second) inOrder.push_back(&e);
  }
};

}  // namespace
}  // namespace rtl

// The linker gathers the generated entries of every linked table into this
// section and marks its bounds; weak, because a program may embed nothing.
extern "C" {
extern const rtl::TResourceEntry __start_integrador_resources[] __attribute__((weak));
extern const rtl::TResourceEntry __stop_integrador_resources[] __attribute__((weak));
}

namespace rtl {
namespace {

ResourceRegistry& resourceRegistry() {
  static ResourceRegistry* r = [] {
    auto* created = new ResourceRegistry;
    if (__start_integrador_resources && __stop_integrador_resources) {
      for (const TResourceEntry* e = __start_integrador_resources; e < __stop_integrador_resources; ++e) {
        created->add(*e);
      }
    }
    return created;
  }();
  return *r;
}

template <class CharT>
const TResourceEntry* find(std::basic_string_view<CharT> type, std::basic_string_view<CharT> name) {
  std::string key;
  if (!foldKey(type, name, &key)) return nullptr;
  ResourceRegistry& r = resourceRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  auto it = r.byKey.find(key);
  return it == r.byKey.end() ? nullptr : it->second;
}

std::vector<Byte> copyOrRaise(const TResourceEntry* entry, std::u16string_view name) {
  if (!entry) throw EResNotFound(u"Resource " + String(name) + u" not found");
  return std::vector<Byte>(entry->Data, entry->Data + entry->Size);
}

String widen(std::string_view ascii) {
  String s;
  for (char c : ascii) s.push_back(static_cast<Char>(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

void RegisterResources(const TResourceEntry* entries, std::size_t count) {
  ResourceRegistry& r = resourceRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  for (std::size_t i = 0; i < count; ++i) r.add(entries[i]);
}

const TResourceEntry* FindResource(std::string_view type, std::string_view name) {
  return find(type, name);
}

const TResourceEntry* FindResource(StringView type, StringView name) { return find(type, name); }

std::vector<Byte> LoadResourceBytes(std::string_view type, std::string_view name) {
  return copyOrRaise(find(type, name), widen(name));
}

std::vector<Byte> LoadResourceBytes(StringView type, StringView name) {
  return copyOrRaise(find(type, name), name);
}

std::vector<std::string_view> EnumResourceNames(std::string_view type) {
  std::string folded;
  for (char c : type) folded.push_back(upper(c));
  std::vector<std::string_view> names;
  ResourceRegistry& r = resourceRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  for (const TResourceEntry* e : r.inOrder) {
    std::string_view t(e->Type);
    bool same = t.size() == folded.size();
    for (std::size_t i = 0; same && i < t.size(); ++i) same = upper(t[i]) == folded[i];
    if (same) names.emplace_back(e->Name);
  }
  return names;
}

}  // namespace rtl
