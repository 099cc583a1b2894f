#include "platform/rtl/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/rtl/except.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/format.h"
#include "platform/rtl/stringlist.h"
#include "platform/rtl/ustring.h"

namespace rtl {

namespace {

// --- the tree ---------------------------------------------------------------------

String registryFold(StringView s) { return AnsiUpperCase(s); }

struct RegValue {
  String name;
  String folded;
  DWORD type = REG_NONE;
  TBytes data;
};

struct RegNode {
  String name;
  String folded;
  std::vector<RegValue> values;
  // Kept in case-insensitive order, the order key names are listed in.
  std::vector<std::unique_ptr<RegNode>> children;

  RegNode* child(StringView name) {
    String f = registryFold(name);
    auto it = lowerBound(f);
    return it != children.end() && (*it)->folded == f ? it->get() : nullptr;
  }
  RegNode* addChild(StringView name) {
    if (RegNode* existing = child(name)) return existing;
    auto node = std::make_unique<RegNode>();
    node->name = String(name);
    node->folded = registryFold(name);
    auto it = lowerBound(node->folded);
    return children.insert(it, std::move(node))->get();
  }
  bool removeChild(StringView name) {
    String f = registryFold(name);
    auto it = lowerBound(f);
    if (it == children.end() || (*it)->folded != f) return false;
    children.erase(it);
    return true;
  }
  RegValue* value(StringView name) {
    String f = registryFold(name);
    for (RegValue& v : values) {
      if (v.folded == f) return &v;
    }
    return nullptr;
  }

 private:
  std::vector<std::unique_ptr<RegNode>>::iterator lowerBound(const String& f) {
    return std::lower_bound(children.begin(), children.end(), f,
                            [](const std::unique_ptr<RegNode>& n, const String& key) {
                              return n->folded < key;
                            });
  }
};

RegNode* findNode(RegNode& root, const std::vector<String>& path) {
  RegNode* node = &root;
  for (const String& segment : path) {
    node = node->child(segment);
    if (!node) return nullptr;
  }
  return node;
}

// --- the text form -------------------------------------------------------------------
//
//   INTEGRADOR-REGISTRY 1 HKEY_CURRENT_USER
//   [Software\Integrador]
//   "Name"=sz:"text with \"quotes\" and \n escapes"
//   "Count"=dword:42
//   "Blob"=binary:00ff10
//   END 4
//
// Every key has a header line, so empty keys survive; the END line counts
// the headers and values, so a truncated file is recognised.

const char kMagic[] = "INTEGRADOR-REGISTRY 1";

void appendHex4(String& out, Char c) {
  static const char digits[] = "0123456789abcdef";
  for (int shift = 12; shift >= 0; shift -= 4) out.push_back(static_cast<Char>(digits[(c >> shift) & 0xF]));
}

bool isSurrogate(Char c) { return c >= 0xD800 && c <= 0xDFFF; }

// Surrogate pairs pass through; lone surrogates and controls are escaped so
// the text stays valid UTF-8 and every String comes back unchanged.
String quotedText(StringView s) {
  String out = u"\"";
  for (std::size_t i = 0; i < s.size(); ++i) {
    Char c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      out.push_back(c);
      out.push_back(s[++i]);
    } else if (c == u'"' || c == u'\\') {
      out.push_back(u'\\');
      out.push_back(c);
    } else if (c == u'\n') {
      out += u"\\n";
    } else if (c == u'\r') {
      out += u"\\r";
    } else if (c == u'\t') {
      out += u"\\t";
    } else if (c < 0x20 || c == 0x7F || isSurrogate(c)) {
      out += u"\\u";
      appendHex4(out, c);
    } else {
      out.push_back(c);
    }
  }
  out.push_back(u'"');
  return out;
}

String escapedSegment(StringView s) {
  String out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    Char c = s[i];
    bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
                s[i + 1] <= 0xDFFF;
    if (pair) {
      out.push_back(c);
      out.push_back(s[++i]);
    } else if (c < 0x20 || c == 0x7F || c == u'%' || isSurrogate(c)) {
      out.push_back(u'%');
      appendHex4(out, c);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

String hexBytes(const TBytes& data) {
  static const char digits[] = "0123456789abcdef";
  String out;
  out.reserve(data.size() * 2);
  for (Byte b : data) {
    out.push_back(static_cast<Char>(digits[b >> 4]));
    out.push_back(static_cast<Char>(digits[b & 0xF]));
  }
  return out;
}

DWORD dwordOf(const TBytes& data) {
  DWORD v = 0;
  for (std::size_t i = 0; i < 4 && i < data.size(); ++i) v |= static_cast<DWORD>(data[i]) << (8 * i);
  return v;
}

// The characters of a REG_SZ value without its terminating zero.
String stringOf(const TBytes& data) {
  String s = TEncoding::Unicode()->GetString(data.data(), data.size() - data.size() % 2);
  if (!s.empty() && s.back() == 0) s.pop_back();
  return s;
}

TBytes stringData(StringView s) {
  TBytes data;
  data.reserve((s.size() + 1) * 2);
  for (Char c : s) {
    data.push_back(static_cast<Byte>(c & 0xFF));
    data.push_back(static_cast<Byte>(c >> 8));
  }
  data.push_back(0);
  data.push_back(0);
  return data;
}

void writeNode(const RegNode& node, const String& path, bool isRoot, String& out, std::size_t& count) {
  if (!isRoot || !node.values.empty()) {
    out += u"[" + path + u"]\n";
    ++count;
  }
  for (const RegValue& v : node.values) {
    out += quotedText(v.name) + u"=";
    switch (v.type) {
      case REG_SZ: out += u"sz:" + quotedText(stringOf(v.data)); break;
      case REG_EXPAND_SZ: out += u"expand_sz:" + quotedText(stringOf(v.data)); break;
      case REG_DWORD: out += u"dword:" + IntToStr(static_cast<Int64>(dwordOf(v.data))); break;
      default: out += u"binary:" + hexBytes(v.data); break;
    }
    out.push_back(u'\n');
    ++count;
  }
  for (const auto& child : node.children) {
    String childPath = isRoot ? escapedSegment(child->name) : path + u"\\" + escapedSegment(child->name);
    writeNode(*child, childPath, false, out, count);
  }
}

TBytes serialize(const RegNode& root, StringView rootName) {
  String out = Utf8ToString(kMagic) + u" " + String(rootName) + u"\n";
  std::size_t count = 0;
  writeNode(root, String(), true, out, count);
  out += u"END " + IntToStr(static_cast<Int64>(count)) + u"\n";
  return TEncoding::Default()->GetBytes(out);
}

class Parser {
 public:
  Parser(StringView fileName) : fileName_(fileName) {}

  std::unique_ptr<RegNode> parse(const Byte* data, std::size_t size) {
    if (!TEncoding::IsValidUtf8(data, size)) fail(0, u"the text is not UTF-8");
    String text = TEncoding::Default()->GetString(data, size);
    auto root = std::make_unique<RegNode>();
    RegNode* current = nullptr;
    std::size_t pos = 0, lineNo = 0, count = 0;
    bool ended = false, sawMagic = false;
    while (pos < text.size()) {
      std::size_t eol = text.find(u'\n', pos);
      if (eol == String::npos) eol = text.size();
      StringView line(text.data() + pos, eol - pos);
      pos = eol + 1;
      ++lineNo;
      if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
      if (ended) {
        if (!line.empty()) fail(lineNo, u"text after the END line");
        continue;
      }
      if (!sawMagic) {
        String magic = Utf8ToString(kMagic);
        if (line.substr(0, magic.size()) != magic ||
            (line.size() > magic.size() && line[magic.size()] != u' ')) {
          fail(lineNo, u"not a registry file of this program");
        }
        sawMagic = true;
        continue;
      }
      if (line.substr(0, 4) == u"END ") {
        std::size_t declared = 0;
        if (!readCount(line.substr(4), declared)) fail(lineNo, u"bad END line");
        if (declared != count) fail(lineNo, u"the END line does not match the entries");
        ended = true;
      } else if (!line.empty() && line.front() == u'[' && line.back() == u']' && line.size() >= 2) {
        current = parseHeader(line.substr(1, line.size() - 2), *root, lineNo);
        ++count;
      } else if (!line.empty() && line.front() == u'"') {
        if (!current) fail(lineNo, u"a value before any key");
        parseValue(line, *current, lineNo);
        ++count;
      } else {
        fail(lineNo, u"unrecognised line");
      }
    }
    if (!sawMagic) fail(0, u"the file is empty");
    if (!ended) fail(lineNo, u"the file is truncated (no END line)");
    return root;
  }

 private:
  [[noreturn]] void fail(std::size_t lineNo, const char16_t* reason) {
    String msg = u"Registry file '" + fileName_ + u"' is damaged";
    if (lineNo > 0) msg += u" at line " + IntToStr(static_cast<Int64>(lineNo));
    msg += u": ";
    msg += reason;
    throw ERegistryException(msg);
  }

  static bool readCount(StringView s, std::size_t& value) {
    if (s.empty() || s.size() > 12) return false;
    value = 0;
    for (Char c : s) {
      if (c < u'0' || c > u'9') return false;
      value = value * 10 + (c - u'0');
    }
    return true;
  }

  static int hexValue(Char c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
  }

  bool readHex4(StringView s, std::size_t i, Char& c) {
    if (s.size() < i + 4) return false;
    int v = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      int h = hexValue(s[i + k]);
      if (h < 0) return false;
      v = v * 16 + h;
    }
    c = static_cast<Char>(v);
    return true;
  }

  RegNode* parseHeader(StringView inner, RegNode& root, std::size_t lineNo) {
    if (inner.empty()) return &root;
    RegNode* node = &root;
    std::size_t start = 0;
    while (start <= inner.size()) {
      std::size_t end = inner.find(u'\\', start);
      if (end == StringView::npos) end = inner.size();
      StringView raw = inner.substr(start, end - start);
      if (raw.empty()) fail(lineNo, u"empty key name");
      String name;
      for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == u'%') {
          Char c;
          if (!readHex4(raw, i + 1, c)) fail(lineNo, u"bad escape in a key name");
          name.push_back(c);
          i += 4;
        } else {
          name.push_back(raw[i]);
        }
      }
      node = node->addChild(name);
      start = end + 1;
    }
    return node;
  }

  // Reads a quoted string at line[i]; leaves i after the closing quote.
  String parseQuoted(StringView line, std::size_t& i, std::size_t lineNo) {
    if (i >= line.size() || line[i] != u'"') fail(lineNo, u"a quoted text was expected");
    ++i;
    String out;
    for (;;) {
      if (i >= line.size()) fail(lineNo, u"unterminated quoted text");
      Char c = line[i++];
      if (c == u'"') return out;
      if (c != u'\\') {
        out.push_back(c);
        continue;
      }
      if (i >= line.size()) fail(lineNo, u"unterminated quoted text");
      Char e = line[i++];
      switch (e) {
        case u'"': case u'\\': out.push_back(e); break;
        case u'n': out.push_back(u'\n'); break;
        case u'r': out.push_back(u'\r'); break;
        case u't': out.push_back(u'\t'); break;
        case u'u': {
          Char u;
          if (!readHex4(line, i, u)) fail(lineNo, u"bad \\u escape");
          out.push_back(u);
          i += 4;
          break;
        }
        default: fail(lineNo, u"unknown escape");
      }
    }
  }

  void parseValue(StringView line, RegNode& node, std::size_t lineNo) {
    std::size_t i = 0;
    String name = parseQuoted(line, i, lineNo);
    if (i >= line.size() || line[i] != u'=') fail(lineNo, u"'=' expected after the value name");
    ++i;
    std::size_t colon = line.find(u':', i);
    if (colon == StringView::npos) fail(lineNo, u"value type expected");
    StringView type = line.substr(i, colon - i);
    StringView rest = line.substr(colon + 1);
    RegValue value;
    value.name = name;
    value.folded = registryFold(name);
    if (type == u"sz" || type == u"expand_sz") {
      std::size_t k = 0;
      String text = parseQuoted(rest, k, lineNo);
      if (k != rest.size()) fail(lineNo, u"text after a quoted value");
      value.type = type == u"sz" ? REG_SZ : REG_EXPAND_SZ;
      value.data = stringData(text);
    } else if (type == u"dword") {
      std::size_t n = 0;
      if (!readCount(rest, n) || n > 0xFFFFFFFFu) fail(lineNo, u"bad dword value");
      value.type = REG_DWORD;
      for (int b = 0; b < 4; ++b) value.data.push_back(static_cast<Byte>((n >> (8 * b)) & 0xFF));
    } else if (type == u"binary") {
      if (rest.size() % 2 != 0) fail(lineNo, u"odd number of hex digits");
      value.type = REG_BINARY;
      value.data.reserve(rest.size() / 2);
      for (std::size_t k = 0; k < rest.size(); k += 2) {
        int hi = hexValue(rest[k]), lo = hexValue(rest[k + 1]);
        if (hi < 0 || lo < 0) fail(lineNo, u"bad hex digit");
        value.data.push_back(static_cast<Byte>(hi * 16 + lo));
      }
    } else {
      fail(lineNo, u"unknown value type");
    }
    if (node.value(name)) fail(lineNo, u"a value named twice in one key");
    node.values.push_back(std::move(value));
  }

  String fileName_;
};

// --- the store -------------------------------------------------------------------------

struct RegistryStamp {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  long long mtimeNs = 0;
  friend bool operator==(const RegistryStamp&, const RegistryStamp&) = default;
};

RegistryStamp stampOf(const std::filesystem::path& file) {
  RegistryStamp s;
  struct stat st;
  if (::stat(file.c_str(), &st) != 0) return s;
  s.exists = true;
  s.device = st.st_dev;
  s.inode = st.st_ino;
  s.size = st.st_size;
  s.mtimeNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
  return s;
}

struct RootState {
  std::unique_ptr<RegNode> tree;
  bool loaded = false;
  RegistryStamp stamp;
  int batchDepth = 0;    // open write batches of this root
  bool pending = false;  // changes a batch holds back from the file
};

// A registry file larger than this is not one we wrote.
constexpr std::uintmax_t kMaxFileSize = 256u << 20;

class Store {
 public:
  void setFolder(const std::filesystem::path& folder) {
    std::lock_guard lock(mutex_);
    folder_ = folder;
    roots_.clear();
  }
  std::filesystem::path folder() {
    std::lock_guard lock(mutex_);
    return folderLocked();
  }

  // Runs `f(tree)` on the current contents of the root's file.
  template <class F>
  auto read(HKEY root, F f) {
    std::lock_guard lock(mutex_);
    RootState& state = refresh(root);
    return f(*state.tree);
  }

  // Runs `f(tree, changed)` under the cross-process lock and saves the
  // tree when `changed` was set. A failed save drops the in-memory change.
  template <class F>
  auto write(HKEY root, F f) {
    std::lock_guard lock(mutex_);
    RootState& batched = roots_[root];
    if (batched.loaded && batched.batchDepth > 0) {
      // Inside a batch the change stays in memory; the batch's end saves it.
      bool changed = false;
      auto result = f(*batched.tree, changed);
      if (changed) batched.pending = true;
      return result;
    }
    return save(root, f);
  }

 private:
  template <class F>
  auto save(HKEY root, F f) {
    std::filesystem::path folder = folderLocked();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    String name = RootKeyName(root);
    std::filesystem::path lockFile = folder / ("." + StringToUtf8(name) + ".lock");
    int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    struct Unlock {
      int fd;
      ~Unlock() {
        if (fd >= 0) ::close(fd);  // closing releases the flock
      }
    } unlock{fd};
    if (fd >= 0) {
      while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
      }
    }
    RootState& state = refresh(root);
    bool changed = false;
    auto result = f(*state.tree, changed);
    if (changed) {
      TBytes bytes = serialize(*state.tree, name);
      std::filesystem::path file = fileOf(root);
      try {
        detail::WriteFileAtomic(file, bytes.data(), bytes.size());
      } catch (const Exception& e) {
        state.loaded = false;
        throw ERegistryException(u"Cannot save the registry: " + e.Message());
      }
      state.stamp = stampOf(file);
    }
    return result;
  }

 public:
  // A write batch: the root's changes reach its file once, at the outermost
  // end, instead of a whole rewrite and sync at every write.
  void beginBatch(HKEY root) {
    std::lock_guard lock(mutex_);
    ++refresh(root).batchDepth;
  }
  void endBatch(HKEY root) {
    std::lock_guard lock(mutex_);
    RootState& state = roots_[root];
    if (state.batchDepth == 0 || --state.batchDepth > 0 || !state.pending) return;
    state.pending = false;
    // Still counted as batched while saving, so the save writes this tree
    // rather than reloading the file over the held-back changes.
    state.batchDepth = 1;
    const ScopeExit closed([&state] { state.batchDepth = 0; });
    save(root, [](RegNode&, bool& changed) {
      changed = true;
      return 0;
    });
  }

 private:
  std::filesystem::path folderLocked() {
    if (!folder_.empty()) return folder_;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::filesystem::path base;
    if (xdg && *xdg == '/') {
      base = xdg;
    } else {
      const char* home = std::getenv("HOME");
      base = std::filesystem::path(home && *home ? home : "/tmp") / ".config";
    }
    return base / "integrador" / "registry";
  }

  std::filesystem::path fileOf(HKEY root) {
    return folderLocked() / (StringToUtf8(RootKeyName(root)) + ".txt");
  }

  RootState& refresh(HKEY root) {
    RootState& state = roots_[root];
    // A batch keeps its tree (its held-back changes would be lost on a
    // reload), so it need not look at the file at every access either.
    if (state.loaded && state.batchDepth > 0) return state;
    std::filesystem::path file = fileOf(root);
    RegistryStamp now = stampOf(file);
    if (state.loaded && now == state.stamp) return state;
    state.loaded = false;
    if (!now.exists) {
      state.tree = std::make_unique<RegNode>();
    } else {
      if (static_cast<std::uintmax_t>(now.size) > kMaxFileSize) {
        throw ERegistryException(u"Registry file '" + Utf8ToString(file.string()) +
                                 u"' is damaged: it is too large");
      }
      TBytes bytes;
      try {
        bytes = detail::ReadFileBytes(file);
      } catch (const Exception& e) {
        throw ERegistryException(u"Cannot read the registry: " + e.Message());
      }
      state.tree = Parser(Utf8ToString(file.string())).parse(bytes.data(), bytes.size());
    }
    state.stamp = now;
    state.loaded = true;
    return state;
  }

  std::mutex mutex_;
  std::filesystem::path folder_;
  std::map<HKEY, RootState> roots_;
};

Store& store() {
  static Store instance;
  return instance;
}

std::atomic<HKEY> nextHandle{1};

std::vector<String> splitKey(StringView key) {
  std::vector<String> parts;
  std::size_t start = 0;
  while (start <= key.size()) {
    std::size_t end = key.find(u'\\', start);
    if (end == StringView::npos) end = key.size();
    if (end > start) parts.emplace_back(key.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

}  // namespace

void SetRegistryFolder(const std::filesystem::path& folder) { store().setFolder(folder); }
std::filesystem::path RegistryFolder() { return store().folder(); }

String RootKeyName(HKEY root) {
  switch (root) {
    case HKEY_CLASSES_ROOT: return u"HKEY_CLASSES_ROOT";
    case HKEY_CURRENT_USER: return u"HKEY_CURRENT_USER";
    case HKEY_LOCAL_MACHINE: return u"HKEY_LOCAL_MACHINE";
    case HKEY_USERS: return u"HKEY_USERS";
    case HKEY_PERFORMANCE_DATA: return u"HKEY_PERFORMANCE_DATA";
    case HKEY_CURRENT_CONFIG: return u"HKEY_CURRENT_CONFIG";
    case HKEY_DYN_DATA: return u"HKEY_DYN_DATA";
    default: return String();
  }
}

namespace detail {
TBytes RegistryFileRoundTrip(const Byte* data, std::size_t size) {
  auto tree = Parser(u"(memory)").parse(data, size);
  return serialize(*tree, u"HKEY_CURRENT_USER");
}
}  // namespace detail

// --- TRegistry ---------------------------------------------------------------------------

struct TRegistry::Target {
  std::vector<String> segments;
  String path;
  bool relativeToOpenKey = false;
};

TRegistry::TRegistry(REGSAM access) : access_(access) {}
TRegistry::~TRegistry() {
  CloseKey();
  if (batchDepth_ > 0) {
    batchDepth_ = 1;
    try {
      EndWriteBatch();
    } catch (const Exception&) {
      // A destructor cannot report it; EndWriteBatch is the place that can.
    }
  }
}

void TRegistry::raise(const char16_t* message, StringView name) {
  String text(message);
  auto at = text.find(u"%s");
  if (at != String::npos) text.replace(at, 2, String(name));
  throw ERegistryException(text);
}

void TRegistry::BeginWriteBatch() {
  if (batchDepth_++ == 0) {
    batchRoot_ = rootKey_;
    if (!RootKeyName(batchRoot_).empty()) store().beginBatch(batchRoot_);
  }
}

void TRegistry::EndWriteBatch() {
  if (batchDepth_ == 0 || --batchDepth_ > 0) return;
  if (!RootKeyName(batchRoot_).empty()) store().endBatch(batchRoot_);
}

void TRegistry::SetRootKey(HKEY value) {
  if (value == rootKey_) return;
  CloseKey();
  rootKey_ = value;
}

bool TRegistry::resolve(StringView key, Target& target) const {
  if (RootKeyName(rootKey_).empty()) return false;
  bool absolute = !key.empty() && key.front() == u'\\';
  if (absolute) key.remove_prefix(1);
  target.relativeToOpenKey = !absolute && open_;
  target.segments = target.relativeToOpenKey ? currentSegments_ : std::vector<String>();
  for (String& part : splitKey(key)) target.segments.push_back(std::move(part));
  while (!key.empty() && key.back() == u'\\') key.remove_suffix(1);
  if (target.relativeToOpenKey && !currentPath_.empty()) {
    target.path = key.empty() ? currentPath_ : currentPath_ + u"\\" + String(key);
  } else {
    target.path = String(key);
  }
  return true;
}

bool TRegistry::OpenKey(StringView key, bool canCreate) {
  Target target;
  if (!resolve(key, target)) return false;
  bool exists = store().read(rootKey_, [&](RegNode& root) {
    return findNode(root, target.segments) != nullptr;
  });
  if (!exists) {
    // Creating below an open key needs the right to create its subkeys.
    if (!canCreate || (target.relativeToOpenKey && !(currentAccess_ & KEY_CREATE_SUB_KEY))) {
      return false;
    }
    store().write(rootKey_, [&](RegNode& root, bool& changed) {
      RegNode* node = &root;
      for (const String& segment : target.segments) node = node->addChild(segment);
      changed = true;
      return 0;
    });
  }
  open_ = true;
  currentHandle_ = nextHandle++;
  currentAccess_ = access_;
  currentSegments_ = std::move(target.segments);
  currentPath_ = std::move(target.path);
  return true;
}

bool TRegistry::OpenKeyReadOnly(StringView key) {
  const ScopedValue<REGSAM> readOnly(access_, KEY_READ);
  return OpenKey(key, false);
}

void TRegistry::CloseKey() {
  open_ = false;
  currentHandle_ = 0;
  currentAccess_ = 0;
  currentPath_.clear();
  currentSegments_.clear();
}

bool TRegistry::CreateKey(StringView key) {
  Target target;
  if (!resolve(key, target) ||
      (target.relativeToOpenKey && !(currentAccess_ & KEY_CREATE_SUB_KEY))) {
    raise(u"Failed to create key %s", key);
  }
  store().write(rootKey_, [&](RegNode& root, bool& changed) {
    RegNode* node = &root;
    for (const String& segment : target.segments) {
      RegNode* next = node->child(segment);
      if (!next) {
        next = node->addChild(segment);
        changed = true;
      }
      node = next;
    }
    return 0;
  });
  return true;
}

bool TRegistry::DeleteKey(StringView key) {
  Target target;
  if (!resolve(key, target) || target.segments.empty()) return false;
  bool present = store().read(rootKey_, [&](RegNode& root) {
    return findNode(root, target.segments) != nullptr;
  });
  if (!present) return false;
  return store().write(rootKey_, [&](RegNode& root, bool& changed) {
    std::vector<String> parentPath(target.segments.begin(), target.segments.end() - 1);
    RegNode* parent = findNode(root, parentPath);
    changed = parent && parent->removeChild(target.segments.back());
    return changed;
  });
}

bool TRegistry::KeyExists(StringView key) {
  Target target;
  if (!resolve(key, target)) return false;
  return store().read(rootKey_, [&](RegNode& root) {
    return findNode(root, target.segments) != nullptr;
  });
}

bool TRegistry::HasSubKeys() {
  if (!open_) return false;
  return store().read(rootKey_, [&](RegNode& root) {
    RegNode* node = findNode(root, currentSegments_);
    return node && !node->children.empty();
  });
}

namespace {

// Fills `strings` with a name for each item `each` finds in the key at
// `path`; empty when `allowed` is false or the key is gone.
template <class ForEachName>
void listNames(TStrings& strings, bool allowed, HKEY root, const std::vector<String>& path,
               ForEachName each) {
  const UpdateScope<TStrings> update(strings);
  strings.Clear();
  if (!allowed) return;
  std::vector<String> names = store().read(root, [&](RegNode& rootNode) {
    std::vector<String> out;
    if (RegNode* node = findNode(rootNode, path)) each(*node, out);
    return out;
  });
  for (String& name : names) strings.Add(name);
}

}  // namespace

void TRegistry::GetKeyNames(TStrings& strings) {
  listNames(strings, open_ && (currentAccess_ & KEY_ENUMERATE_SUB_KEYS), rootKey_, currentSegments_,
            [](const RegNode& node, std::vector<String>& out) {
              for (const auto& child : node.children) out.push_back(child->name);
            });
}

void TRegistry::GetValueNames(TStrings& strings) {
  listNames(strings, open_ && (currentAccess_ & KEY_QUERY_VALUE), rootKey_, currentSegments_,
            [](const RegNode& node, std::vector<String>& out) {
              for (const RegValue& v : node.values) out.push_back(v.name);
            });
}

bool TRegistry::getData(StringView name, DWORD& type, TBytes& data) {
  if (!open_ || !(currentAccess_ & KEY_QUERY_VALUE)) return false;
  return store().read(rootKey_, [&](RegNode& root) {
    RegNode* node = findNode(root, currentSegments_);
    RegValue* value = node ? node->value(name) : nullptr;
    if (!value) return false;
    type = value->type;
    data = value->data;
    return true;
  });
}

void TRegistry::putData(StringView name, DWORD type, const Byte* data, std::size_t size) {
  if (!open_ || !(currentAccess_ & KEY_SET_VALUE)) raise(u"Failed to set data for '%s'", name);
  bool ok = store().write(rootKey_, [&](RegNode& root, bool& changed) {
    RegNode* node = findNode(root, currentSegments_);
    if (!node) return false;
    TBytes bytes(data, data + size);
    RegValue* value = node->value(name);
    if (!value) {
      node->values.push_back(RegValue{String(name), registryFold(name), type, std::move(bytes)});
      changed = true;
    } else if (value->type != type || value->data != bytes) {
      value->type = type;
      value->data = std::move(bytes);
      changed = true;
    }
    return true;
  });
  if (!ok) raise(u"Failed to set data for '%s'", name);
}

bool TRegistry::ValueExists(StringView name) {
  TRegDataInfo info;
  return GetDataInfo(name, info);
}

bool TRegistry::DeleteValue(StringView name) {
  if (!open_ || !(currentAccess_ & KEY_SET_VALUE)) return false;
  return store().write(rootKey_, [&](RegNode& root, bool& changed) {
    RegNode* node = findNode(root, currentSegments_);
    if (!node) return false;
    String f = registryFold(name);
    auto it = std::find_if(node->values.begin(), node->values.end(),
                           [&](const RegValue& v) { return v.folded == f; });
    if (it == node->values.end()) return false;
    node->values.erase(it);
    changed = true;
    return true;
  });
}

namespace {
TRegDataType dataTypeOf(DWORD type) {
  switch (type) {
    case REG_SZ: return rdString;
    case REG_EXPAND_SZ: return rdExpandString;
    case REG_DWORD: return rdInteger;
    case REG_BINARY: return rdBinary;
    default: return rdUnknown;
  }
}
}  // namespace

bool TRegistry::GetDataInfo(StringView name, TRegDataInfo& info) {
  DWORD type;
  TBytes data;
  info = TRegDataInfo{};
  if (!getData(name, type, data)) return false;
  info.RegData = dataTypeOf(type);
  info.DataSize = static_cast<int>(data.size());
  return true;
}

int TRegistry::GetDataSize(StringView name) {
  TRegDataInfo info;
  return GetDataInfo(name, info) ? info.DataSize : -1;
}

TRegDataType TRegistry::GetDataType(StringView name) {
  TRegDataInfo info;
  GetDataInfo(name, info);
  return info.RegData;
}

String TRegistry::ReadString(StringView name) {
  DWORD type;
  TBytes data;
  if (!getData(name, type, data)) return String();
  if (type != REG_SZ && type != REG_EXPAND_SZ) raise(u"Invalid data type for '%s'", name);
  return stringOf(data);
}

void TRegistry::WriteString(StringView name, StringView value) {
  TBytes data = stringData(value);
  putData(name, REG_SZ, data.data(), data.size());
}

void TRegistry::WriteExpandString(StringView name, StringView value) {
  TBytes data = stringData(value);
  putData(name, REG_EXPAND_SZ, data.data(), data.size());
}

Integer TRegistry::ReadInteger(StringView name) {
  DWORD type;
  TBytes data;
  if (!getData(name, type, data)) raise(u"Failed to get data for '%s'", name);
  if (type != REG_DWORD || data.size() != 4) raise(u"Invalid data type for '%s'", name);
  return static_cast<Integer>(dwordOf(data));
}

void TRegistry::WriteInteger(StringView name, Integer value) {
  auto v = static_cast<DWORD>(value);
  Byte data[4] = {static_cast<Byte>(v), static_cast<Byte>(v >> 8), static_cast<Byte>(v >> 16),
                  static_cast<Byte>(v >> 24)};
  putData(name, REG_DWORD, data, 4);
}

bool TRegistry::ReadBool(StringView name) { return ReadInteger(name) != 0; }
void TRegistry::WriteBool(StringView name, bool value) { WriteInteger(name, value ? 1 : 0); }

double TRegistry::ReadFloat(StringView name) {
  DWORD type;
  TBytes data;
  if (!getData(name, type, data)) raise(u"Failed to get data for '%s'", name);
  if (type != REG_BINARY || data.size() != sizeof(double)) raise(u"Invalid data type for '%s'", name);
  double value;
  std::memcpy(&value, data.data(), sizeof value);
  return value;
}

void TRegistry::WriteFloat(StringView name, double value) {
  Byte data[sizeof(double)];
  std::memcpy(data, &value, sizeof value);
  putData(name, REG_BINARY, data, sizeof data);
}

TDateTime TRegistry::ReadDateTime(StringView name) { return ReadFloat(name); }
void TRegistry::WriteDateTime(StringView name, TDateTime value) { WriteFloat(name, value); }

int TRegistry::ReadBinaryData(StringView name, void* buffer, int bufSize) {
  DWORD type;
  TBytes data;
  if (!getData(name, type, data)) return 0;
  TRegDataType kind = dataTypeOf(type);
  if ((kind != rdBinary && kind != rdUnknown) || bufSize < 0 ||
      data.size() > static_cast<std::size_t>(bufSize)) {
    raise(u"Invalid data type for '%s'", name);
  }
  if (!data.empty()) std::memcpy(buffer, data.data(), data.size());
  return static_cast<int>(data.size());
}

void TRegistry::WriteBinaryData(StringView name, const void* buffer, int bufSize) {
  if (bufSize < 0 || (bufSize > 0 && !buffer)) raise(u"Failed to set data for '%s'", name);
  putData(name, REG_BINARY, static_cast<const Byte*>(buffer), static_cast<std::size_t>(bufSize));
}

// --- TRegistryIniFile -----------------------------------------------------------------------

TRegistryIniFile::TRegistryIniFile(const String& fileName, REGSAM access, HKEY root)
    : TCustomIniFile(fileName), registry_(access) {
  registry_.SetRootKey(root);
}

TRegistryIniFile::~TRegistryIniFile() = default;

bool TRegistryIniFile::openSection(StringView section, bool canCreate) {
  String path = u"\\" + FileName();
  if (!section.empty()) path += u"\\" + String(section);
  return canCreate ? registry_.OpenKey(path, true) : registry_.OpenKeyReadOnly(path);
}

String TRegistryIniFile::ReadString(StringView section, StringView ident, StringView defaultValue) {
  if (!openSection(section, false) || !registry_.ValueExists(ident)) return String(defaultValue);
  switch (registry_.GetDataType(ident)) {
    case rdString:
    case rdExpandString: return registry_.ReadString(ident);
    case rdInteger: return IntToStr(registry_.ReadInteger(ident));
    default: return String(defaultValue);
  }
}

void TRegistryIniFile::WriteString(StringView section, StringView ident, StringView value) {
  if (!openSection(section, true)) {
    throw ERegistryException(u"Failed to create key " + String(section));
  }
  registry_.WriteString(ident, value);
}

Integer TRegistryIniFile::ReadInteger(StringView section, StringView ident, Integer defaultValue) {
  if (!openSection(section, false) || !registry_.ValueExists(ident)) return defaultValue;
  if (registry_.GetDataType(ident) == rdInteger) return registry_.ReadInteger(ident);
  return TCustomIniFile::ReadInteger(section, ident, defaultValue);
}

void TRegistryIniFile::WriteInteger(StringView section, StringView ident, Integer value) {
  if (!openSection(section, true)) {
    throw ERegistryException(u"Failed to create key " + String(section));
  }
  registry_.WriteInteger(ident, value);
}

bool TRegistryIniFile::SectionExists(StringView section) {
  return registry_.KeyExists(u"\\" + FileName() + u"\\" + String(section));
}

bool TRegistryIniFile::ValueExists(StringView section, StringView ident) {
  return openSection(section, false) && registry_.ValueExists(ident);
}

void TRegistryIniFile::ReadSection(StringView section, TStrings& strings) {
  if (openSection(section, false)) {
    registry_.GetValueNames(strings);
  } else {
    strings.Clear();
  }
}

void TRegistryIniFile::ReadSections(TStrings& strings) {
  if (openSection(u"", false)) {
    registry_.GetKeyNames(strings);
  } else {
    strings.Clear();
  }
}

void TRegistryIniFile::ReadSectionValues(StringView section, TStrings& strings) {
  TStringList names;
  ReadSection(section, names);
  const UpdateScope<TStrings> update(strings);
  strings.Clear();
  for (int i = 0; i < names.Count(); ++i) {
    strings.Add(names[i] + u"=" + ReadString(section, names[i], u""));
  }
}

void TRegistryIniFile::EraseSection(StringView section) {
  registry_.CloseKey();
  registry_.DeleteKey(u"\\" + FileName() + u"\\" + String(section));
}

void TRegistryIniFile::DeleteKey(StringView section, StringView ident) {
  if (openSection(section, true)) registry_.DeleteValue(ident);
}

}  // namespace rtl
