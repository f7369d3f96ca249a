// The system side of a skin data component: the metrics and colours a skin is built with,
// and the system objects that go with a built skin (face brush, caption font, menu glyphs).
//
// Windows: skin_data_win32.h. The host build has fixed classic values, so the portable
// component and its tests run without a system.
#pragma once

#include <cstdint>
#include <memory>

#include "skin/data/bitmap.h"

struct TSkinContent;

class TSkinDataSystem {
 public:
  virtual ~TSkinDataSystem() = default;

  // A system colour by index (the defaults of a skin's "Colours").
  virtual uint32_t SysColor(int index) = 0;
  // Width of the horizontal scroll bar's arrow button, read when a skin is built.
  virtual int ScrollArrowWidth() = 0;
  // Whether the system can tell about scroll bars (without it scroll bars stay unskinned).
  virtual bool HasScrollBarInfo() = 0;
  // Size of a maximised window on the primary screen, taken at creation.
  virtual int MaximizedWidth() = 0;
  virtual int MaximizedHeight() = 0;

  // A skin has been built: system objects that follow its colours are remade.
  virtual void SkinBuilt(const TSkinContent& content) = 0;
  // (Re)reads the system's caption font.
  virtual void ReadCaptionFont() = 0;
  // The application's small icon over magenta (the caption icon picture); empty when the
  // program has no icon.
  virtual TSkinBitmap CaptionIconPicture() = 0;
};

// The running system's side (skin_data_system_host.cpp / skin_data_win32.cpp).
std::unique_ptr<TSkinDataSystem> CreateSkinDataSystem();
