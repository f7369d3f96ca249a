#include "skin/data/skin_loader.h"

#include <algorithm>

#include "skin/data/bmp_reader.h"
#include "skin/data/skin_text.h"

namespace {

// Frame counts that would leave a painter dividing by zero become 1.
int32_t AtLeastOne(int32_t n) { return n < 1 ? 1 : n; }

TSkinBitmap CopyPart(const TSkinBitmap& src, int x0, int width) {
  if (src.Empty() || width <= 0 || x0 < 0 || x0 + width > src.Width()) return TSkinBitmap();
  TSkinBitmap out(width, src.Height(), src.PixelFormat());
  int bpp = src.BytesPerPixel();
  for (int y = 0; y < src.Height(); ++y)
    std::copy_n(src.ScanLine(y) + size_t(x0) * bpp, size_t(width) * bpp, out.ScanLine(y));
  return out;
}

// One build: the archive, the definition and the values every reader needs.
class TBuilder {
 public:
  TBuilder(const TSkinReader& reader, const TQuickIni& ini, const TSkinDataLoader::TSysColorFn& sys)
      : reader_(reader), ini_(ini), sys_(sys) {}

  std::unique_ptr<TSkinContent> Run();
  std::unique_ptr<TSkinContent> RunEmpty();

 private:
  std::string Str(std::string_view s, std::string_view k) const { return ini_.ReadString(s, k, ""); }
  int32_t Int(std::string_view s, std::string_view k, int32_t def = 0) const {
    return ini_.ReadInteger(s, k, def);
  }
  uint32_t Colour(std::string_view s, std::string_view k, uint32_t def) const {
    return ParseSkinColour(Str(s, k), def);
  }
  void Picture(std::string_view name, TSkinBitmap& dest) const {
    TSkinDataLoader::LoadPicture(reader_, name, dest);
  }

  void ReadColoursAndMargins(std::string_view section, TDataSkinObject& o) const;
  template <class T>
  std::unique_ptr<T> ImageElement(std::string_view section, bool withFrame) const;
  std::unique_ptr<TDataSkinBorder> TwoPictureElement(std::string_view section,
                                                     std::string_view secondKey) const;
  std::unique_ptr<TDataSkinBorder> BarElement(std::string_view section) const;
  std::unique_ptr<TDataSkinBoxLabel> BoxLabel(std::string_view section) const;
  std::unique_ptr<TDataSkinBorder> Border(const char* name) const;
  void ReadSkinColours(TSkinContent& c) const;
  void ReadCaptionButtons(TSkinContent& c) const;
  std::unique_ptr<TDataSkinButton> ReadButtons() const;
  std::unique_ptr<TDataSkinTitle> ReadTitle() const;
  std::unique_ptr<TDataSkinObject> ReadMenuBar() const;
  std::unique_ptr<TDataSkinObject> TrackElement(const char* section, const char* resource) const;

  const TSkinReader& reader_;
  const TQuickIni& ini_;
  const TSkinDataLoader::TSysColorFn& sys_;
  uint32_t buttonText_ = 0;
};

void TBuilder::ReadColoursAndMargins(std::string_view s, TDataSkinObject& o) const {
  o.Style = Int(s, "Style");
  o.LeftWidth = Int(s, "LeftWidth");
  o.RightWidth = Int(s, "RightWidth");
  o.TopHeight = Int(s, "TopHeight");
  o.BottomHeight = Int(s, "BottomHeight");
  o.Trans = Int(s, "Trans");
  o.Tile = Int(s, "Tile");
  if (o.Tile > 1) o.Tile = 0;
  o.NormalColour = Int(s, "NormalColour", -1);
  o.MouseOverColour = Int(s, "MouseOverColour", -1);
  o.PressedColour = Int(s, "PressedColour", -1);
  o.NormalColour2 = Colour(s, "NormalColour2", buttonText_);
  o.MouseOverColour2 = Colour(s, "MouseOverColour2", buttonText_);
  o.PressedColour2 = Colour(s, "PressedColour2", buttonText_);
}

template <class T>
std::unique_ptr<T> TBuilder::ImageElement(std::string_view s, bool withFrame) const {
  std::string pic = Str(s, "Image");
  if (pic.empty()) return nullptr;
  auto o = std::make_unique<T>(std::string(s));
  Picture(pic, o->Image);
  ReadColoursAndMargins(s, *o);
  if (withFrame) o->Frame = Int(s, "Frame");
  return o;
}

std::unique_ptr<TDataSkinBorder> TBuilder::TwoPictureElement(std::string_view s,
                                                             std::string_view secondKey) const {
  auto o = ImageElement<TDataSkinBorder>(s, false);
  if (o) Picture(Str(s, secondKey), o->SecondImage);
  return o;
}

std::unique_ptr<TDataSkinBorder> TBuilder::BarElement(std::string_view s) const {
  std::string pic = Str(s, "Bitmap");
  if (pic.empty()) return nullptr;
  auto o = std::make_unique<TDataSkinBorder>(std::string(s));
  Picture(pic, o->Image);
  o->Style = Int(s, "Style");
  o->LeftWidth = Int(s, "LeftWidth");
  o->RightWidth = Int(s, "RightWidth");
  o->TopHeight = Int(s, "TopHeight");
  o->BottomHeight = Int(s, "BottomHeight");
  o->Trans = Int(s, "Trans");
  o->Tile = std::min(Int(s, "Tile"), 1);
  return o;
}

std::unique_ptr<TDataSkinBoxLabel> TBuilder::BoxLabel(std::string_view s) const {
  auto o = ImageElement<TDataSkinBoxLabel>(s, false);
  if (!o) return o;
  o->BackgroundAlignment = Int(s, "BackgroundAlignment");
  o->BackgroundLeftShift = Int(s, "BackgroundLeftShift");
  o->BackgroundRightShift = Int(s, "BackgroundRightShift");
  o->Frame = 1;
  return o;
}

std::unique_ptr<TDataSkinBorder> TBuilder::Border(const char* name) const {
  const std::string n = name;
  const char* s = "Personality";
  auto o = std::make_unique<TDataSkinBorder>(n);
  Picture(Str(s, n), o->Image);
  bool vertical = n == "Left" || n == "Right";
  int32_t first = Int(s, n + "TopHeight"), second = Int(s, n + "BotHeight");
  if (vertical)
    o->TopHeight = first, o->BottomHeight = second;
  else
    o->LeftWidth = first, o->RightWidth = second;
  o->Frame = AtLeastOne(Int(s, n + "Frame", 1));
  o->Tile = std::min(Int(s, n + "Stretch", 1), 1);
  o->Trans = Int(s, n + "Trans", 1);
  return o;
}

void TBuilder::ReadSkinColours(TSkinContent& c) const {
  const char* s = "Colours";
  TSkinColours& k = c.Colours;
  k.WindowText = Colour(s, "WindowText", sys_(sciWindowText));
  k.ButtonFace = Colour(s, "ButtonFace", sys_(sciBtnFace));
  k.Scrollbar = Colour(s, "Scrollbar", sys_(sciScrollbar));
  k.HilightText = Colour(s, "HilightText", sys_(sciHighlightText));
  k.Hilight = Colour(s, "Hilight", sys_(sciHighlight));
  k.Menubar = Colour(s, "Menubar", k.ButtonFace);
  k.Menu = Colour(s, "Menu", sys_(sciMenu));
  k.MenuText = Colour(s, "MenuText", sys_(sciMenuText));
  k.ButtonText = Colour(s, "ButtonText", sys_(sciBtnText));
  k.ButtonHilight = Colour(s, "ButtonHilight", sys_(sciBtnHighlight));
  k.Buttonlight = Colour(s, "Buttonlight", sys_(sciLight3D));
  k.ButtonShadow = Colour(s, "ButtonShadow", sys_(sciBtnShadow));
  k.ButtonDkShadow = Colour(s, "ButtonDkShadow", sys_(sciDkShadow3D));
  k.MenuBarText = Colour(s, "MenuBarText", sys_(sciMenuText));
  k.TitleTextActive = Colour(s, "TitleTextActive", sys_(sciCaptionText));
  k.TitleTextNoActive = Colour(s, "TitleTextNoActive", sys_(sciInactiveCaptionText));

  for (const std::string& name : c.Sections) {
    std::string up = skin_text::UpperCase(name);
    if (skin_text::StartsWith(up, "COLOUR") && up != "COLOURS")
      c.ColourList.push_back(Colour(name, "color", sys_(sciWindowText)));
  }
  for (int i = 0; i < 10; ++i)
    c.CustomColors[size_t(i)] = Colour("Customcolors", "Color" + std::to_string(i), 0xFFFFFF);
}

void TBuilder::ReadCaptionButtons(TSkinContent& c) const {
  for (const std::string& name : c.Sections) {
    std::string up = skin_text::UpperCase(name);
    if (!skin_text::StartsWith(up, "BUTTON") || up == "BUTTON" || up == "BUTTONS" || up == "BUTTON.RADIO" ||
        up == "BUTTON.CHECKBOX")
      continue;
    int32_t action = Int(name, "Action");
    if (action == -1 && Int(name, "Visibility", 1) != 0) continue;
    auto b = std::make_unique<TDataSkinSysButton>(up);
    b->Action = action;
    b->Align = Int(name, "Align");
    b->Xcoord = Int(name, "Xcoord");
    b->Ycoord = Int(name, "Ycoord");
    b->Visibility = Int(name, "Visibility");
    b->Visibility1 = Int(name, "Visibility1", action == -1 ? -1 : 0);
    b->CombineOp = Int(name, "CombineOp", -1);
    b->Frame = Int(name, "frame");
    Picture(Str(name, "ButtonImage"), b->Image);
    if (b->Frame <= 0) {
      b->Frame = 6;
      if (!b->Image.Empty()) b->Frame = double(b->Image.Width()) / b->Image.Height() <= 3.8 ? 3 : 6;
      if (action < 0) b->Frame = 6;
    }
    if (action == 3 || action == 11) b->Image = TSkinBitmap();
    c.SysButtons.push_back(std::move(b));
  }

  // Control buttons of child windows, cut from one strip of twelve parts.
  TSkinBitmap strip;
  Picture(Str("MDICONTROLS", "Image"), strip);
  int w = strip.Width() / 12;
  for (int k = 0; k < 3; ++k) {
    auto b = std::make_unique<TDataSkinSysButton>("MDICONTROLS");
    b->Action = 7 + k;
    b->Align = b->Visibility = b->Visibility1 = 100;
    b->Frame = 4;
    b->Xcoord = (w + 4) * (3 - k);
    b->Image = CopyPart(strip, 4 * w * k, 4 * w);
    c.SysButtons.push_back(std::move(b));
  }
}

std::unique_ptr<TDataSkinButton> TBuilder::ReadButtons() const {
  const char* s = "Buttons";
  auto o = std::make_unique<TDataSkinButton>(s);
  o->LeftWidth = Int(s, "LeftWidth");
  o->RightWidth = Int(s, "RightWidth");
  o->TopHeight = Int(s, "TopHeight");
  o->BottomHeight = Int(s, "BottomHeight");
  o->Trans = Int(s, "Trans");
  o->Tile = Int(s, "Tile");
  if (o->Tile > 1) o->Tile = 0;
  Picture(Str(s, "Bitmap"), o->Image);
  Picture(Str(s, "CheckButton"), o->CheckImage);
  Picture(Str(s, "RadioButton"), o->RadioImage);
  o->NormalColour = Int(s, "NormalColour", -1);
  o->MouseOverColour = Int(s, "MouseOverColour", -1);
  o->PressedColour = Int(s, "PressedColour", -1);
  o->RadioButtonFrame = Int(s, "RadioButtonFrame");
  o->CheckButtonFrame = Int(s, "CheckButtonFrame");
  o->HasNormalColour2 = ini_.ValueExists(s, "NormalColour2");
  o->HasMouseOverColour2 = ini_.ValueExists(s, "MouseOverColour2");
  o->HasPressedColour2 = ini_.ValueExists(s, "PressedColour2");
  o->NormalColour2 = Colour(s, "NormalColour2", buttonText_);
  o->MouseOverColour2 = Colour(s, "MouseOverColour2", buttonText_);
  o->PressedColour2 = Colour(s, "PressedColour2", buttonText_);
  o->Frame = 5;
  auto framesOf = [](const TSkinBitmap& b) {
    int frameWidth = b.Height() < 16 ? 13 : 16;
    return std::max(b.Width() / frameWidth, 4);
  };
  if (o->RadioButtonFrame <= 0) o->RadioButtonFrame = framesOf(o->RadioImage);
  if (o->CheckButtonFrame <= 0) o->CheckButtonFrame = framesOf(o->CheckImage);
  return o;
}

std::unique_ptr<TDataSkinTitle> TBuilder::ReadTitle() const {
  const char* s = "Personality";
  auto o = std::make_unique<TDataSkinTitle>("Title");
  Picture(Str(s, "TextBack"), o->Image);
  o->LeftWidth = Int(s, "TextShift");
  o->TopHeight = Int(s, "TextShiftVert");
  o->RightWidth = Int(s, "TextRightClip");
  o->BottomHeight = 0;
  o->TextAlignment = Int(s, "TextAlignment");
  o->Textbackground = Int(s, "Textbackground");
  o->FontHeight = Int("Fonts", "FontHeight", 14);
  o->TXTBackleft = Int(s, "TXTBackleft");
  o->TXTBackRight = Int(s, "TXTBackRight");
  auto triplet = [&](const std::string& base, uint32_t& dest) {
    int32_t r = Int(s, base + "R", -1), g = Int(s, base + "G", -1), b = Int(s, base + "B", -1);
    if (r >= 0 && g >= 0 && b >= 0)
      dest = uint32_t(r & 0xFF) | (uint32_t(g & 0xFF) << 8) | (uint32_t(b & 0xFF) << 16);
  };
  triplet("ActiveText", o->ActiveText);
  triplet("InActiveText", o->InActiveText);
  o->Frame = 2;
  return o;
}

std::unique_ptr<TDataSkinObject> TBuilder::ReadMenuBar() const {
  const char* s = "Personality";
  std::string pic = Str(s, "menuBar");
  if (pic.empty()) return nullptr;
  auto o = std::make_unique<TDataSkinObject>("MenuBar");
  Picture(pic, o->Image);
  o->Tile = std::min(Int(s, "TileMenu", 1), 1);
  o->LeftWidth = Int(s, "TileLeftMenu", 1);
  o->RightWidth = Int(s, "TileRightMenu", 1);
  o->Frame = 2;
  return o;
}

std::unique_ptr<TDataSkinObject> TBuilder::TrackElement(const char* section, const char* resource) const {
  auto o = ImageElement<TDataSkinObject>(section, true);
  if (o && !o->Image.Empty()) {
    o->Frame = AtLeastOne(o->Frame);
    return o;
  }
  o = std::make_unique<TDataSkinObject>(section);
  size_t n = 0;
  const uint8_t* bytes = FallbackBitmapBytes(resource, &n);
  if (bytes) o->Image = LoadBitmapFromBytes(bytes, n);
  o->LeftWidth = o->TopHeight = o->RightWidth = o->BottomHeight = 3;
  o->Tile = 0;
  o->Frame = 1;
  o->NormalColour = o->MouseOverColour = o->PressedColour = -1;
  o->NormalColour2 = o->MouseOverColour2 = o->PressedColour2 = buttonText_;
  return o;
}

std::unique_ptr<TSkinContent> TBuilder::RunEmpty() {
  auto c = std::make_unique<TSkinContent>();
  c->Left = Border("Left");
  c->Right = Border("Right");
  c->Top = Border("Top");
  c->Bottom = Border("Bottom");
  ReadSkinColours(*c);
  buttonText_ = c->Colours.ButtonText;
  c->Buttons = ReadButtons();
  c->Title = ReadTitle();
  c->TitleColor = c->Colours.ButtonFace;
  return c;
}

std::unique_ptr<TSkinContent> TBuilder::Run() {
  auto c = std::make_unique<TSkinContent>();
  ini_.ReadSections(&c->Sections);
  c->SkinName = Str("TitlebarSkin", "SkinName");

  c->Left = Border("Left");
  c->Right = Border("Right");
  c->Top = Border("Top");
  c->Bottom = Border("Bottom");
  // Skin-wide colours come next: later readers take the button text colour as default.
  ReadSkinColours(*c);
  buttonText_ = c->Colours.ButtonText;

  ReadCaptionButtons(*c);
  c->Buttons = ReadButtons();
  c->Title = ReadTitle();

  auto fixed = [](auto& o, int32_t n) {
    if (o) o->Frame = n;
  };
  auto asRead = [](auto& o) {
    if (o) o->Frame = AtLeastOne(o->Frame);
  };
  c->Progress = BarElement("Progress");
  if (c->Progress) c->Progress->Frame = c->Progress->Style != 0 ? 1 : 2;
  c->ProgressChunk = ImageElement<TDataSkinObject>("Progress.Chunk", true);
  asRead(c->ProgressChunk);
  c->MenuBar = ReadMenuBar();
  c->GroupBoxEdge = ImageElement<TDataSkinObject>("GroupBoxEdge", true);
  fixed(c->GroupBoxEdge, 2);
  c->GroupBox = BoxLabel("GroupBox");
  c->Tabs = TwoPictureElement("Tabs", "Border");
  fixed(c->Tabs, 5);
  c->StatusBarEdges = ImageElement<TDataSkinObject>("StatusBarEdges", true);
  fixed(c->StatusBarEdges, 3);
  c->TabPane = ImageElement<TDataSkinObject>("Tab.Pane", true);
  if (c->TabPane) {
    TDataSkinObject& p = *c->TabPane;
    p.LeftWidth = std::min(p.LeftWidth, 4);
    p.TopHeight = std::min(p.TopHeight, 4);
    p.RightWidth = std::min(p.RightWidth, 4);
    p.BottomHeight = std::min(p.BottomHeight, 4);
    p.Frame = 1;
  }
  c->ToolBars = ImageElement<TDataSkinObject>("ToolBars", true);
  fixed(c->ToolBars, 5);
  // The second key never names a picture: the second bitmap is the mirrored button.
  c->ComboButton = TwoPictureElement("ComboButton", "****");
  if (c->ComboButton) {
    c->ComboButton->Frame = 4;
    if (!c->ComboButton->Image.Empty())
      c->ComboButton->SecondImage = MirroredFrames24(c->ComboButton->Image, c->ComboButton->Frame);
  }
  c->SunkEdge = ImageElement<TDataSkinObject>("SunkEdge", true);
  fixed(c->SunkEdge, 4);
  c->ExtraImages = ImageElement<TDataSkinObject>("ExtraImages", true);
  fixed(c->ExtraImages, 5);
  c->Headerbar = ImageElement<TDataSkinObject>("Headerbar", true);
  if (c->Headerbar) c->Headerbar->Frame = c->Headerbar->Frame == 0 ? 5 : AtLeastOne(c->Headerbar->Frame);
  c->MenuItem = ImageElement<TDataSkinObject>("MenuItem", true);
  fixed(c->MenuItem, 5);
  c->MenuBackground = ImageElement<TDataSkinObject>("MenuBackground", true);
  fixed(c->MenuBackground, 1);
  c->Scrollbar = ImageElement<TDataSkinObject>("Scrollbar", true);
  fixed(c->Scrollbar, 23);
  c->HorzScroll = ImageElement<TDataSkinObject>("HorzScroll", true);
  fixed(c->HorzScroll, 4);
  c->VertScroll = ImageElement<TDataSkinObject>("VertScroll", true);
  fixed(c->VertScroll, 4);
  c->HorzScrollThumb = ImageElement<TDataSkinObject>("HorzScrollThumb", true);
  if (c->HorzScrollThumb) c->HorzScrollThumb->Frame = AtLeastOne(Int("HorzScrollThumb", "FrameCount", 3));
  c->VertScrollThumb = ImageElement<TDataSkinObject>("VertScrollThumb", true);
  if (c->VertScrollThumb) c->VertScrollThumb->Frame = AtLeastOne(Int("VertScrollThumb", "FrameCount", 3));
  std::pair<const char*, std::unique_ptr<TDataSkinObject>*> thumbs[] = {
      {"Trackbar.ThumbHorz", &c->TrackbarThumbHorz}, {"Trackbar.ThumbVert", &c->TrackbarThumbVert},
      {"Trackbar.ThumbLeft", &c->TrackbarThumbLeft}, {"Trackbar.ThumbRight", &c->TrackbarThumbRight},
      {"Trackbar.ThumbUp", &c->TrackbarThumbUp},     {"Trackbar.ThumbDown", &c->TrackbarThumbDown}};
  for (auto& [section, slot] : thumbs) {
    *slot = ImageElement<TDataSkinObject>(section, true);
    fixed(*slot, 5);
  }
  c->UpDownHorz = TwoPictureElement("UpDown.Horz", "GlyphImage");
  fixed(c->UpDownHorz, 8);
  c->UpDownVert = TwoPictureElement("UpDown.Vert", "GlyphImage");
  fixed(c->UpDownVert, 8);
  c->Track = TrackElement("Track", "TRACK");
  c->TrackVert = TrackElement("TRACKVERT", "TRACKVERT");
  return c;
}

}  // namespace

TSkinDataLoader::TSkinDataLoader(TSysColorFn sysColor)
    : sysColor_(sysColor ? std::move(sysColor) : TSysColorFn(&SystemColor)) {}

std::unique_ptr<TSkinContent> TSkinDataLoader::Load(TStream& packed) const {
  TSkinReader reader;
  if (!reader.Load(packed)) return nullptr;
  TMemoryStream text;
  reader.ExtractFirstContaining(".ini", text);
  TQuickIni ini;
  ini.Load(text);
  return Build(reader, ini);
}

std::unique_ptr<TSkinContent> TSkinDataLoader::Load(const uint8_t* data, size_t size) const {
  TMemoryStream packed(std::vector<uint8_t>(data, data + size));
  return Load(packed);
}

std::unique_ptr<TSkinContent> TSkinDataLoader::Build(const TSkinReader& reader, const TQuickIni& ini) const {
  return TBuilder(reader, ini, sysColor_).Run();
}

std::unique_ptr<TSkinContent> TSkinDataLoader::Empty() const {
  TSkinReader reader;
  TQuickIni ini;
  return TBuilder(reader, ini, sysColor_).RunEmpty();
}

void TSkinDataLoader::LoadPicture(const TSkinReader& reader, std::string_view name, TSkinBitmap& dest) {
  dest = TSkinBitmap();
  std::string_view file = skin_text::ExtractFileName(name);
  if (file.size() < 4 || file.substr(file.size() - 4) != ".bmp") return;
  int i = reader.FindEntry(std::string(file));
  if (i < 0) return;
  int64_t n;
  const uint8_t* p = reader.EntryData(i, &n);
  if (n > 0) dest = LoadBitmapFromBytes(p, size_t(n));
}

TSkinBitmap MirroredFrames24(const TSkinBitmap& src, int count) {
  TSkinBitmap out(src.Width(), src.Height(), pf24bit);
  const int bpp = src.BytesPerPixel();
  const int n = AtLeastOne(count);
  const int fw = src.Width() / n;
  for (int y = 0; y < src.Height(); ++y) {
    const uint8_t* s = src.ScanLine(y);
    uint8_t* d = out.ScanLine(y);
    for (int x = 0; x < src.Width(); ++x) {
      // Columns beyond the last whole frame stay where they are.
      const int f = fw > 0 ? x / fw : n;
      const int from = f < n ? f * fw + (fw - 1 - x % fw) : x;
      const uint8_t* p = s + size_t(from) * bpp;
      d[3 * x] = p[0], d[3 * x + 1] = p[1], d[3 * x + 2] = p[2];
    }
  }
  return out;
}
