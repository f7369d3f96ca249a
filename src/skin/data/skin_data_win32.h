// The Windows side of a skin data component: the face-colour brush, the system caption font
// (GB2312 character set, so Chinese captions come out right), the 16 x 16 menu-glyph image
// list, and the system metrics a skin is built with.
#pragma once

#include <windows.h>
// (commctrl.h needs windows.h first)
#include <commctrl.h>

#include "framework/gdi_owners_win32.h"
#include "skin/data/skin_data.h"
#include "skin/data/skin_data_system.h"

// An image list freed with ImageList_Destroy.
class TImageListOwner {
 public:
  TImageListOwner() = default;
  explicit TImageListOwner(HIMAGELIST h) : h_(h) {}
  ~TImageListOwner() { Reset(); }
  TImageListOwner(TImageListOwner&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  TImageListOwner& operator=(TImageListOwner&& o) noexcept {
    if (this != &o) Reset(std::exchange(o.h_, nullptr));
    return *this;
  }
  TImageListOwner(const TImageListOwner&) = delete;
  TImageListOwner& operator=(const TImageListOwner&) = delete;
  HIMAGELIST Get() const { return h_; }
  void Reset(HIMAGELIST h = nullptr) {
    if (h_) ImageList_Destroy(h_);
    h_ = h;
  }

 private:
  HIMAGELIST h_ = nullptr;
};


class TSkinDataWin32 : public TSkinDataSystem {
 public:
  TSkinDataWin32();

  uint32_t SysColor(int index) override;
  int ScrollArrowWidth() override;
  bool HasScrollBarInfo() override;
  int MaximizedWidth() override;
  int MaximizedHeight() override;
  void SkinBuilt(const TSkinContent& content) override;
  void ReadCaptionFont() override;
  TSkinBitmap CaptionIconPicture() override;

  // Owned by this object; valid until the next skin is built (brush) or font read.
  HBRUSH FaceBrush() const { return faceBrush_.Get(); }
  HFONT CaptionFont() const { return captionFont_.Get(); }
  // Restore, maximise, minimise and close, white transparent; null if it could not be made.
  HIMAGELIST MenuGlyphs() const { return glyphs_.Get(); }

 private:
  TGdiBrush faceBrush_;
  TGdiFont captionFont_;
  TImageListOwner glyphs_;
};

// The Windows side of a skin data component; null for one made with another system side
// (tests).
TSkinDataWin32* Win32Side(TSkinData& skinData);
