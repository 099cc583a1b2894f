#pragma once
// Named resources compiled into the program from files of the repository
// (cmake: integrador_resources), found by type and name. Names and types
// compare without regard to ASCII case, as the platform's do.
#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "platform/rtl/types.h"

namespace rtl {

struct TResourceEntry {
  const char* Type;  // e.g. "RCDATA", "PNG", "CURSOR"
  const char* Name;
  const Byte* Data;  // followed by a zero byte not counted in Size
  std::size_t Size;
  std::span<const Byte> Bytes() const { return {Data, Size}; }
};

// The resource, or nullptr when there is none of that type and name.
const TResourceEntry* FindResource(std::string_view type, std::string_view name);
const TResourceEntry* FindResource(StringView type, StringView name);
// A copy of the bytes; EResNotFound when the resource is missing.
std::vector<Byte> LoadResourceBytes(std::string_view type, std::string_view name);
std::vector<Byte> LoadResourceBytes(StringView type, StringView name);
// The names of every resource of a type, in registration order.
std::vector<std::string_view> EnumResourceNames(std::string_view type);

// Adds resources made at run time (the compiled-in ones need no call). The
// entries must outlive the program. The first resource of a type and name
// wins; a later one with the same key is ignored.
void RegisterResources(const TResourceEntry* entries, std::size_t count);

}  // namespace rtl
