// Storing and restoring a layout of 500 and 5,000 objects of 10 properties
// through each storage format, against writing and reading the same values
// with TMemIniFile, TRegistry (in one write batch) and TWriter/TReader
// directly. The storage should stay within 2x of its floor and grow
// linearly (the 5,000-object runs about ten times the 500-object ones).
// Also: 10,000 draws of one skin element at one size through its cache
// against the same draws without it, and the nine-part stretch of a
// full-screen window shadow.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/ratio_report.h"
#include "lib/core/cxStorage.h"
#include "lib/core/dxSkinsCore.h"
#include "lib/core/dxSmartImage.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/rtl/filer.h"
#include "platform/rtl/format.h"
#include "platform/rtl/inifiles.h"
#include "platform/rtl/registry.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/stringlist.h"
#include "platform/rtl/ustring.h"

namespace {

using rtl::String;
using rtl::Variant;

const char16_t* const kNames[10] = {u"Width", u"Height", u"Left", u"Top", u"Index",
                                    u"Caption", u"Hint", u"FieldName", u"Format", u"Ratio"};

Variant valueOf(int object, int prop) {
  if (prop < 5) return object * 10 + prop;
  if (prop < 9) return String(u"text ") + rtl::IntToStr(object * 10 + prop);
  return object + 0.5;
}

class TBenchItem : public rtl::TObject, public core::IcxStoredObject {
 public:
  String name;
  Variant values[10];
  String GetObjectName() override { return name; }
  bool GetProperties(rtl::TStrings* AProperties) override {
    for (const char16_t* n : kNames) AProperties->Add(n);
    return true;
  }
  void GetPropertyValue(const String& AName, Variant& AValue) override { AValue = values[index(AName)]; }
  void SetPropertyValue(const String& AName, const Variant& AValue) override { values[index(AName)] = AValue; }
  static int index(const String& AName) {
    for (int i = 0; i < 10; ++i)
      if (AName == kNames[i]) return i;
    return 0;
  }
};

class TBenchLayout : public rtl::TObject, public core::IcxStoredObject, public core::IcxStoredParent {
 public:
  explicit TBenchLayout(int count, bool filled) {
    for (int i = 0; i < count; ++i) {
      items.push_back(std::make_unique<TBenchItem>());
      items.back()->name = u"Item" + rtl::IntToStr(i);
      if (filled)
        for (int p = 0; p < 10; ++p) items.back()->values[p] = valueOf(i, p);
    }
  }
  std::vector<std::unique_ptr<TBenchItem>> items;
  String GetObjectName() override { return u"Layout"; }
  bool GetProperties(rtl::TStrings*) override { return true; }
  void GetPropertyValue(const String&, Variant&) override {}
  void SetPropertyValue(const String&, const Variant&) override {}
  rtl::TObject* CreateChild(const String&, const String&) override { return nullptr; }
  void DeleteChild(const String&, rtl::TObject*) override {}
  void GetChildren(rtl::TStringList* AChildren) override {
    for (const auto& item : items) AChildren->AddObject(item->name, item.get());
  }
};

struct Folder {
  Folder() {
    path = std::filesystem::temp_directory_path() / ("core_storage_bench." + std::to_string(::getpid()));
    std::filesystem::create_directories(path);
    rtl::SetRegistryFolder(path / "registry");
  }
  ~Folder() {
    rtl::SetRegistryFolder({});
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  String ini() const { return rtl::Utf8ToString((path / "layout.ini").string()); }
  std::filesystem::path path;
};

Folder& folder() {
  static Folder f;
  return f;
}

void checkRestored(benchmark::State& state, const TBenchLayout& layout) {
  const auto& last = *layout.items.back();
  if (rtl::VarToStr(last.values[8]) != rtl::VarToStr(valueOf(static_cast<int>(layout.items.size()) - 1, 8)))
    state.SkipWithError("the layout did not come back");
}

void storageRoundTrip(benchmark::State& state, core::TcxStorageType type) {
  const int count = static_cast<int>(state.range(0));
  const TBenchLayout source(count, true);
  const String name = type == core::TcxStorageType::stIniFile ? folder().ini() : String(u"Software\\Bench");
  for (auto _ : state) {
    rtl::TMemoryStream stream;
    core::TcxStorage(name, &stream).StoreTo(const_cast<TBenchLayout*>(&source), type);
    stream.SetPosition(0);
    TBenchLayout target(count, false);
    core::TcxStorage(name, &stream).RestoreFrom(&target, type);
    checkRestored(state, target);
  }
  state.SetItemsProcessed(state.iterations() * count);
}

void BM_Storage_Ini(benchmark::State& state) { storageRoundTrip(state, core::TcxStorageType::stIniFile); }
void BM_Storage_Registry(benchmark::State& state) { storageRoundTrip(state, core::TcxStorageType::stRegistry); }
void BM_Storage_Stream(benchmark::State& state) { storageRoundTrip(state, core::TcxStorageType::stStream); }

void BM_Direct_MemIniFile(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  TBenchLayout target(count, false);
  for (auto _ : state) {
    {
      rtl::TMemIniFile ini(folder().ini());
      ini.Clear();
      for (int i = 0; i < count; ++i) {
        const String section = u"Layout/Item" + rtl::IntToStr(i);
        for (int p = 0; p < 10; ++p) ini.WriteString(section, kNames[p], rtl::VarToStr(valueOf(i, p)));
      }
      ini.UpdateFile();
    }
    rtl::TMemIniFile ini(folder().ini());
    for (int i = 0; i < count; ++i) {
      const String section = u"Layout/Item" + rtl::IntToStr(i);
      for (int p = 0; p < 10; ++p) target.items[i]->values[p] = ini.ReadString(section, kNames[p], u"");
    }
    checkRestored(state, target);
  }
  state.SetItemsProcessed(state.iterations() * count);
}

void BM_Direct_Registry(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  TBenchLayout target(count, false);
  for (auto _ : state) {
    {
      rtl::TRegistry reg;
      reg.BeginWriteBatch();
      reg.DeleteKey(u"\\Software\\Direct");
      for (int i = 0; i < count; ++i) {
        reg.OpenKey(u"\\Software\\Direct\\Item" + rtl::IntToStr(i), true);
        for (int p = 0; p < 10; ++p) {
          const Variant v = valueOf(i, p);
          if (p < 5)
            reg.WriteInteger(kNames[p], v.AsInteger());
          else if (p < 9)
            reg.WriteString(kNames[p], rtl::VarToStr(v));
          else
            reg.WriteFloat(kNames[p], v.AsDouble());
        }
      }
      reg.EndWriteBatch();
    }
    rtl::TRegistry reg(rtl::KEY_READ);
    for (int i = 0; i < count; ++i) {
      reg.OpenKeyReadOnly(u"\\Software\\Direct\\Item" + rtl::IntToStr(i));
      for (int p = 0; p < 10; ++p) {
        if (p < 5)
          target.items[i]->values[p] = reg.ReadInteger(kNames[p]);
        else if (p < 9)
          target.items[i]->values[p] = reg.ReadString(kNames[p]);
        else
          target.items[i]->values[p] = reg.ReadFloat(kNames[p]);
      }
    }
    checkRestored(state, target);
  }
  state.SetItemsProcessed(state.iterations() * count);
}

void BM_Direct_WriterReader(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  TBenchLayout target(count, false);
  for (auto _ : state) {
    rtl::TMemoryStream stream;
    {
      rtl::TWriter writer(&stream, core::cxBufferSize);
      for (int i = 0; i < count; ++i) {
        writer.WriteString(u"Item" + rtl::IntToStr(i));
        for (int p = 0; p < 10; ++p) {
          writer.WriteString(kNames[p]);
          writer.WriteVariant(valueOf(i, p));
        }
      }
    }
    stream.SetPosition(0);
    rtl::TReader reader(&stream, core::cxBufferSize);
    for (int i = 0; i < count; ++i) {
      reader.ReadString();
      for (int p = 0; p < 10; ++p) {
        reader.ReadString();
        target.items[i]->values[p] = reader.ReadVariant();
      }
    }
    checkRestored(state, target);
  }
  state.SetItemsProcessed(state.iterations() * count);
}

// --- skin element drawing --------------------------------------------------------------

// A memory DC over a 32-bit DIB section.
class BenchDC {
 public:
  BenchDC(int width, int height) : dc_(gdi::CreateCompatibleDC(nullptr)) {
    gdi::BITMAPINFO bmi{};
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bmp_ = gdi::CreateDIBSection(dc_, &bmi, gdi::DIB_RGB_COLORS, &bits, nullptr, 0);
    old_ = gdi::SelectObject(dc_, bmp_);
  }
  ~BenchDC() {
    gdi::SelectObject(dc_, old_);
    gdi::DeleteObject(bmp_);
    gdi::DeleteDC(dc_);
  }
  BenchDC(const BenchDC&) = delete;
  BenchDC& operator=(const BenchDC&) = delete;
  gdi::HDC dc() const { return dc_; }

 private:
  gdi::HDC dc_;
  gdi::HBITMAP bmp_ = nullptr;
  gdi::HGDIOBJ old_ = nullptr;
};

// A button-like texture: three states of 24 x 24 with a 4-pixel rim.
void loadButtonTexture(core::TdxSkinImage* image) {
  std::vector<std::uint32_t> bits(72 * 24);
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 72; ++x) {
      const int fx = x % 24;
      const bool rim = fx < 4 || fx >= 20 || y < 4 || y >= 20;
      bits[std::size_t(y * 72 + x)] = rim ? 0xFF406080u : 0xFFE0E8F0u - std::uint32_t(y * 0x020202);
    }
  image->Texture()->LoadFromBits(72, 24, bits, false);
  image->SetStates({core::TdxSkinElementState::esNormal, core::TdxSkinElementState::esHot,
                    core::TdxSkinElementState::esPressed});
  image->SetMargins({4, 4, 4, 4});
}

constexpr int kSkinDraws = 10000;

void skinElementDraws(benchmark::State& state, bool cached) {
  std::unique_ptr<core::TdxSkinElement> element(rtl::Create<core::TdxSkinElement>(nullptr, String(u"Button")));
  loadButtonTexture(element->Image());
  element->Borders()->Items(3)->SetColor(0x404040);
  element->SetUseCache(cached);
  BenchDC dc(400, 200);
  for (auto _ : state) {
    for (int i = 0; i < kSkinDraws; ++i) {
      const int x = (i % 4) * 100, y = (i / 4 % 8) * 24;
      element->Draw(dc.dc(), ui::TRect{x, y, x + 96, y + 24}, core::TdxSkinElementState::esHot);
    }
  }
  state.SetItemsProcessed(state.iterations() * kSkinDraws);
}
void BM_SkinDraw_Uncached(benchmark::State& state) { skinElementDraws(state, false); }
void BM_SkinDraw_Cached(benchmark::State& state) { skinElementDraws(state, true); }

// The window shadow: a 64 x 64 frame with 24-pixel margins stretched over
// a full-screen rectangle.
void BM_SkinShadow_1920x1080(benchmark::State& state) {
  core::TdxSkinImage shadow(nullptr);
  std::vector<std::uint32_t> bits(64 * 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const int edge = std::min(std::min(x, 63 - x), std::min(y, 63 - y));
      bits[std::size_t(y * 64 + x)] = std::uint32_t(std::min(255, edge * 10)) << 24;
    }
  shadow.Texture()->LoadFromBits(64, 64, bits, true);
  shadow.SetMargins({24, 24, 24, 24});
  BenchDC dc(1920, 1080);
  for (auto _ : state) shadow.Draw(dc.dc(), ui::TRect{0, 0, 1920, 1080});
}

BENCHMARK(BM_SkinDraw_Uncached)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SkinDraw_Cached)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SkinShadow_1920x1080)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_Direct_MemIniFile)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Storage_Ini)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Direct_Registry)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Storage_Registry)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Direct_WriterReader)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Storage_Stream)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  folder();
  return bench::RunWithRatios(
      argc, argv,
      {{"INI 500 vs TMemIniFile", "BM_Direct_MemIniFile/500", "BM_Storage_Ini/500"},
       {"INI 5000 vs TMemIniFile", "BM_Direct_MemIniFile/5000", "BM_Storage_Ini/5000"},
       {"registry 500 vs TRegistry", "BM_Direct_Registry/500", "BM_Storage_Registry/500"},
       {"registry 5000 vs TRegistry", "BM_Direct_Registry/5000", "BM_Storage_Registry/5000"},
       {"stream 500 vs TWriter/TReader", "BM_Direct_WriterReader/500", "BM_Storage_Stream/500"},
       {"stream 5000 vs TWriter/TReader", "BM_Direct_WriterReader/5000", "BM_Storage_Stream/5000"},
       {"INI growth 500 -> 5000 (x10 = 0.1)", "BM_Storage_Ini/500", "BM_Storage_Ini/5000"},
       {"registry growth 500 -> 5000 (x10 = 0.1)", "BM_Storage_Registry/500", "BM_Storage_Registry/5000"},
       {"stream growth 500 -> 5000 (x10 = 0.1)", "BM_Storage_Stream/500", "BM_Storage_Stream/5000"},
       {"10,000 skin element draws: cached vs uncached", "BM_SkinDraw_Uncached", "BM_SkinDraw_Cached"}});
}
