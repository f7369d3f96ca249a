// Builds a skin from its packed archive: unpacks it, parses the definition and reads every
// element into its skin object, together with the skin-wide values.
//
// The skin data component owns a TSkinContent per loaded skin; a failed load leaves the
// previous one untouched because nothing is built in place.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "skin/data/quick_ini.h"
#include "skin/data/skin_objects.h"
#include "skin/data/skin_reader.h"
#include "skin/data/system_colors.h"

// Skin-wide colours of the "Colours" section.
struct TSkinColours {
  uint32_t WindowText = 0, ButtonFace = 0, Scrollbar = 0, HilightText = 0, Hilight = 0, Menubar = 0, Menu = 0,
           MenuText = 0, ButtonText = 0, ButtonHilight = 0, Buttonlight = 0, ButtonShadow = 0,
           ButtonDkShadow = 0, MenuBarText = 0, TitleTextActive = 0, TitleTextNoActive = 0;
};

// Everything one skin defines. The borders, "Buttons" and "Title" always exist; every other
// element is null when the skin does not define it, except the derived "ComboxArrow" and
// "Toolbar", which every built skin has (see skin_derived.h).
struct TSkinContent {
  std::vector<std::string> Sections;
  std::string SkinName;
  TSkinColours Colours;
  std::vector<uint32_t> ColourList;  // numbered colours, referred to by index
  std::array<uint32_t, 10> CustomColors{};

  std::unique_ptr<TDataSkinBorder> Left, Right, Top, Bottom;
  std::vector<std::unique_ptr<TDataSkinSysButton>> SysButtons;
  std::unique_ptr<TDataSkinButton> Buttons;
  std::unique_ptr<TDataSkinTitle> Title;
  std::unique_ptr<TDataSkinBorder> Progress;
  std::unique_ptr<TDataSkinObject> ProgressChunk;
  std::unique_ptr<TDataSkinObject> MenuBar;
  std::unique_ptr<TDataSkinObject> GroupBoxEdge;
  std::unique_ptr<TDataSkinBoxLabel> GroupBox;
  std::unique_ptr<TDataSkinBorder> Tabs;
  std::unique_ptr<TDataSkinObject> StatusBarEdges;
  std::unique_ptr<TDataSkinObject> TabPane;
  std::unique_ptr<TDataSkinObject> ToolBars;
  std::unique_ptr<TDataSkinBorder> ComboButton;
  std::unique_ptr<TDataSkinObject> SunkEdge;
  std::unique_ptr<TDataSkinObject> ExtraImages;
  std::unique_ptr<TDataSkinObject> Headerbar;
  std::unique_ptr<TDataSkinObject> MenuItem;
  std::unique_ptr<TDataSkinObject> MenuBackground;
  std::unique_ptr<TDataSkinObject> Scrollbar;
  std::unique_ptr<TDataSkinObject> HorzScroll, VertScroll;
  std::unique_ptr<TDataSkinObject> HorzScrollThumb, VertScrollThumb;
  std::unique_ptr<TDataSkinObject> TrackbarThumbHorz, TrackbarThumbVert, TrackbarThumbLeft,
      TrackbarThumbRight, TrackbarThumbUp, TrackbarThumbDown;
  std::unique_ptr<TDataSkinBorder> UpDownHorz, UpDownVert;
  std::unique_ptr<TDataSkinObject> Track, TrackVert;

  // Derived by the skin data component once the definition has been read.
  std::unique_ptr<TDataSkinObject> ComboxArrow;
  std::unique_ptr<TDataSkinObject> Toolbar;
  uint32_t TitleColor = 0;  // a pixel of the caption band, for painters that match it
};

class TSkinDataLoader {
 public:
  using TSysColorFn = std::function<uint32_t(int index)>;
  // sysColor supplies the system's colours (defaults of the "Colours" keys); empty means
  // SystemColor.
  explicit TSkinDataLoader(TSysColorFn sysColor = {});

  // Unpacks a stored skin (unpacked size + bit stream) and builds it. Returns null when the
  // archive is of another version (the skin message notifier has been told). Raises
  // ElzhException / ESkinArchiveError for broken packing and EInvalidGraphic for a picture
  // that is not a bitmap.
  std::unique_ptr<TSkinContent> Load(TStream& packed) const;
  std::unique_ptr<TSkinContent> Load(const uint8_t* data, size_t size) const;
  // A content with no skin: the borders, "Buttons" and "Title" with their defaults, the
  // system's colours, and the face colour as title colour.
  std::unique_ptr<TSkinContent> Empty() const;
  // Builds from an archive already read and its parsed definition.
  std::unique_ptr<TSkinContent> Build(const TSkinReader& reader, const TQuickIni& ini) const;

  // Loads the archive entry a picture key names: folder part dropped, only names ending in
  // ".bmp" (lower case); dest is emptied when there is no such entry.
  static void LoadPicture(const TSkinReader& reader, std::string_view name, TSkinBitmap& dest);

 private:
  TSysColorFn sysColor_;
};

// A 24-bit copy with each of the `count` side-by-side frames mirrored left to right in its
// own place, so the frames keep their order.
TSkinBitmap MirroredFrames24(const TSkinBitmap& src, int count);

// The program's own fallback pictures ("TRACK", "TRACKVERT", "MENUGLYPHS"): BMP file bytes, or null.
const uint8_t* FallbackBitmapBytes(std::string_view name, size_t* size);
