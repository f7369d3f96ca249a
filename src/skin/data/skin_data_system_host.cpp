// Host build: no system to ask, so the classic metrics of a 96 dpi screen.
#include "skin/data/skin_data_system.h"
#include "skin/data/system_colors.h"

namespace {
class THostSkinDataSystem : public TSkinDataSystem {
 public:
  uint32_t SysColor(int index) override { return SystemColor(index); }
  int ScrollArrowWidth() override { return 17; }
  bool HasScrollBarInfo() override { return true; }
  int MaximizedWidth() override { return 1032; }
  int MaximizedHeight() override { return 776; }
  void SkinBuilt(const TSkinContent&) override {}
  void ReadCaptionFont() override {}
  TSkinBitmap CaptionIconPicture() override { return TSkinBitmap(); }
};
}  // namespace

std::unique_ptr<TSkinDataSystem> CreateSkinDataSystem() { return std::make_unique<THostSkinDataSystem>(); }
