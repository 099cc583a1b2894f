#pragma once
// What the painter module holds between its start and its stop; shared by
// the sources of cxLookAndFeelPaintersManager only.
#include <array>
#include <memory>

#include "lib/lookandfeel/cxLookAndFeelPaintersManager.h"
#include "lib/lookandfeel/cxLookAndFeels.h"

namespace lookandfeel {

struct PaintersModule {
  std::unique_ptr<TcxLookAndFeelPaintersManager> manager;
  std::unique_ptr<TcxSystemPaletteChangedNotifier> paletteNotifier;
  std::unique_ptr<ui::TCustomImageList> indicatorImages;
  std::array<std::unique_ptr<ui::TBitmap>, 2> scrollBitmaps;
  std::unique_ptr<TcxRadioButtonImageList> radioButtonImageList;
};

PaintersModule& paintersModule();

}  // namespace lookandfeel
