// The program's own skin (resources/skin), packed by skinpack and read by the loader: every
// element the frame and control painters draw is there, with frame counts and sizes that
// fit those painters, transparent corners where the window region needs them, and text
// colours that stay legible on the faces they are drawn on.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "framework/streams.h"
#include "skin/data/skin_loader.h"
#include "skin_test_util.h"

namespace {
namespace fs = std::filesystem;

constexpr uint32_t kMagenta = 0xFF00FF;

struct TPacked {
  std::vector<uint8_t> bytes;
  std::unique_ptr<TSkinContent> skin;
  std::vector<std::string> messages;
};

// Packed once with the built packer, as the build packs it for the program.
const TPacked& OwnSkin() {
  static TPacked p = [] {
    TPacked r;
    std::string tool = skin_test::BinaryDir() + "/tools/skinpack/skinpack";
    fs::path out = fs::temp_directory_path() / ("own_skin_" + std::to_string(::getpid()) + ".skn");
    std::string cmd = tool + " pack " + skin_test::SourceDir() + "/resources/skin " + out.string();
    if (std::system(cmd.c_str()) != 0) return r;
    r.bytes = ReadFileBytes(out.string());
    fs::remove(out);
    SetSkinMessageNotifier([&r](const std::string& text) { r.messages.push_back(text); });
    r.skin = TSkinDataLoader().Load(r.bytes.data(), r.bytes.size());
    SetSkinMessageNotifier(nullptr);
    return r;
  }();
  return p;
}

const TSkinContent& Skin() { return *OwnSkin().skin; }

int FrameWidth(const TSkinBitmap& b, int frames) { return b.Width() / frames; }

// Frames side by side (or stacked) of equal size, the margins inside one frame.
void ExpectStrip(const char* what, const TDataSkinObject* o, int frames, bool stacked = false) {
  ASSERT_NE(o, nullptr) << what;
  ASSERT_FALSE(o->Image.Empty()) << what;
  EXPECT_EQ(o->Frame, frames) << what;
  int w = o->Image.Width(), h = o->Image.Height();
  EXPECT_EQ((stacked ? h : w) % frames, 0) << what << ": frames of unequal size";
  int fw = stacked ? w : w / frames, fh = stacked ? h / frames : h;
  EXPECT_LT(o->LeftWidth + o->RightWidth, fw) << what << ": side margins leave no middle";
  EXPECT_LT(o->TopHeight + o->BottomHeight, fh) << what << ": top and bottom margins leave no middle";
}

double Luminance(uint32_t c) {
  auto lin = [](double v) {
    v /= 255;
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * lin(c & 0xFF) + 0.7152 * lin((c >> 8) & 0xFF) + 0.0722 * lin((c >> 16) & 0xFF);
}

// Contrast ratio of two colours (1 to 21); 4.5 is the usual floor for small text.
double Contrast(uint32_t a, uint32_t b) {
  double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

uint32_t FrameCentre(const TSkinBitmap& b, int frames, int frame, bool stacked = false) {
  int fw = stacked ? b.Width() : b.Width() / frames, fh = stacked ? b.Height() / frames : b.Height();
  int x = (stacked ? 0 : fw * (frame - 1)) + fw / 2, y = (stacked ? fh * (frame - 1) : 0) + fh / 2;
  return b.Pixel(x, y) & 0xFFFFFF;
}

TEST(OwnSkin, PacksSmallAndLoadsWithoutMessages) {
  const TPacked& p = OwnSkin();
  ASSERT_FALSE(p.bytes.empty()) << "skinpack failed on resources/skin";
  ASSERT_TRUE(p.skin) << "the loader refused the skin";
  EXPECT_TRUE(p.messages.empty());
  EXPECT_EQ(p.skin->SkinName, "Netvosk");
  // Pictures are small pieces stretched by their margins; a full-size picture would show here.
  EXPECT_LT(p.bytes.size(), 48u * 1024);
}

TEST(OwnSkin, WindowBordersFitTheFramePainter) {
  const TSkinContent& k = Skin();
  ExpectStrip("Left", k.Left.get(), 2);
  ExpectStrip("Right", k.Right.get(), 2);
  ExpectStrip("Top", k.Top.get(), 2, true);
  ExpectStrip("Bottom", k.Bottom.get(), 2, true);
  const int capH = k.Top->Image.Height() / 2;
  // The side pieces' fixed top part is the caption band's height, so their caption colours
  // meet the Top piece row for row.
  EXPECT_EQ(k.Left->TopHeight, capH);
  EXPECT_EQ(k.Right->TopHeight, capH);
  EXPECT_EQ(k.Left->Image.Height() - k.Left->BottomHeight, k.Right->Image.Height() - k.Right->BottomHeight);
  // Transparent rounded top corners, in both frames; nothing cut elsewhere along the edges.
  for (int f = 0; f < 2; ++f) {
    const TSkinBitmap& l = k.Left->Image;
    const TSkinBitmap& r = k.Right->Image;
    int lw = l.Width() / 2, rw = r.Width() / 2;
    EXPECT_EQ(l.Pixel(lw * f, 0), kMagenta);
    EXPECT_EQ(r.Pixel(rw * f + rw - 1, 0), kMagenta);
    EXPECT_EQ(k.Top->Image.Pixel(0, capH * f), kMagenta) << "the curve reaches into the Top piece's cap";
    EXPECT_NE(l.Pixel(lw * f, capH), kMagenta);
    EXPECT_NE(l.Pixel(lw * f, l.Height() - 1), kMagenta);
    EXPECT_NE(k.Top->Image.Pixel(k.Top->Image.Width() / 2, capH * f), kMagenta);
  }
  // The region is built from whichever frame is showing: both must cut the same pixels.
  for (const TDataSkinBorder* o : {k.Left.get(), k.Right.get()}) {
    int fw = o->Image.Width() / 2;
    for (int y = 0; y < o->Image.Height(); ++y)
      for (int x = 0; x < fw; ++x)
        ASSERT_EQ(o->Image.Pixel(x, y) == kMagenta, o->Image.Pixel(fw + x, y) == kMagenta) << o->Name;
  }
  for (int y = 0; y < capH; ++y)
    for (int x = 0; x < k.Top->Image.Width(); ++x)
      ASSERT_EQ(k.Top->Image.Pixel(x, y) == kMagenta, k.Top->Image.Pixel(x, capH + y) == kMagenta) << "Top";
  // The title colour pixel lies in the caption gradient, not in a cut corner.
  EXPECT_NE(k.Top->Image.Pixel(k.Top->Image.Width() / 3, capH / 3), kMagenta);
}

TEST(OwnSkin, CaptionButtonsFitTheCaptionBand) {
  const TSkinContent& k = Skin();
  const int capH = k.Top->Image.Height() / 2, br = k.Right->Image.Width() / 2;
  std::map<std::string, const TDataSkinSysButton*> by;
  for (const auto& b : k.SysButtons) by[b->Name] = b.get();
  for (const char* name :
       {"BUTTONICON", "BUTTONCLOSE", "BUTTONMAXIMIZE", "BUTTONRESTORE", "BUTTONMINIMIZE", "BUTTONHELP"})
    ASSERT_TRUE(by.count(name)) << name;
  EXPECT_EQ(by["BUTTONICON"]->Action, 3);
  EXPECT_EQ(by["BUTTONCLOSE"]->Action, 0);
  EXPECT_EQ(by["BUTTONMINIMIZE"]->Action, 2);
  // Maximise and restore share a place and are never visible together.
  EXPECT_EQ(by["BUTTONMAXIMIZE"]->Xcoord, by["BUTTONRESTORE"]->Xcoord);
  EXPECT_EQ(by["BUTTONMAXIMIZE"]->Visibility1, 2);
  EXPECT_EQ(by["BUTTONRESTORE"]->Visibility1, 1);

  const int W = 487;  // the main window: 479 client pixels and the side borders
  int lastLeft = W;
  for (const char* name : {"BUTTONCLOSE", "BUTTONMAXIMIZE", "BUTTONMINIMIZE"}) {
    const TDataSkinSysButton& b = *by[name];
    ASSERT_FALSE(b.Image.Empty()) << name;
    EXPECT_EQ(b.Frame, 4) << name << ": normal, pressed, hot, inactive";
    EXPECT_EQ(b.Image.Width() % 4, 0) << name;
    EXPECT_EQ(b.Align, 1) << name;
    int left = W - b.Xcoord, right = left + b.Image.Width() / 4;
    EXPECT_LE(right, lastLeft == W ? W - br : lastLeft)
        << name << " overlaps its right neighbour or the border";
    EXPECT_GE(b.Ycoord, 1) << name;
    EXPECT_LE(b.Ycoord + b.Image.Height(), capH - 1) << name;
    lastLeft = left;
  }
  // The title text must stop before the leftmost right-aligned button.
  EXPECT_GE(k.Title->RightWidth, W - br - (W - by["BUTTONMINIMIZE"]->Xcoord));
  // Three child-window buttons cut from the MDI strip.
  int mdi = 0;
  for (const auto& b : k.SysButtons)
    if (b->Name == "MDICONTROLS" && !b->Image.Empty()) ++mdi;
  EXPECT_EQ(mdi, 3);
}

TEST(OwnSkin, EveryControlElementIsThere) {
  const TSkinContent& k = Skin();
  ExpectStrip("Buttons", k.Buttons.get(), 5);
  EXPECT_EQ(k.Buttons->Trans, 1);
  ASSERT_FALSE(k.Buttons->CheckImage.Empty());
  ASSERT_FALSE(k.Buttons->RadioImage.Empty());
  EXPECT_EQ(k.Buttons->CheckButtonFrame, 12);
  EXPECT_EQ(k.Buttons->RadioButtonFrame, 8);
  EXPECT_EQ(k.Buttons->CheckImage.Width(), 12 * 13);
  EXPECT_EQ(k.Buttons->RadioImage.Width(), 8 * 13);
  EXPECT_EQ(k.Buttons->CheckImage.Height(), 13);

  ExpectStrip("Progress", k.Progress.get(), 2);
  ExpectStrip("Progress.Chunk", k.ProgressChunk.get(), 1);
  ExpectStrip("MenuBar", k.MenuBar.get(), 2, true);
  ExpectStrip("GroupBoxEdge", k.GroupBoxEdge.get(), 2);
  ExpectStrip("GroupBox", k.GroupBox.get(), 1);
  ExpectStrip("Tabs", k.Tabs.get(), 5);
  ASSERT_FALSE(k.Tabs->SecondImage.Empty());
  EXPECT_GT(k.Tabs->SecondImage.Width(), 8);  // the page frame keeps 4 + 4 fixed columns
  ExpectStrip("StatusBarEdges", k.StatusBarEdges.get(), 3);
  ExpectStrip("Tab.Pane", k.TabPane.get(), 1);
  ExpectStrip("ToolBars", k.ToolBars.get(), 5);
  ExpectStrip("ComboButton", k.ComboButton.get(), 4);
  ExpectStrip("SunkEdge", k.SunkEdge.get(), 4);
  ExpectStrip("ExtraImages", k.ExtraImages.get(), 5);
  ExpectStrip("Headerbar", k.Headerbar.get(), 5);
  ExpectStrip("MenuItem", k.MenuItem.get(), 5);
  ExpectStrip("MenuBackground", k.MenuBackground.get(), 1);
  ExpectStrip("Scrollbar", k.Scrollbar.get(), 23);
  ExpectStrip("HorzScroll", k.HorzScroll.get(), 4);
  ExpectStrip("VertScroll", k.VertScroll.get(), 4);
  ExpectStrip("HorzScrollThumb", k.HorzScrollThumb.get(), 3);
  ExpectStrip("VertScrollThumb", k.VertScrollThumb.get(), 3);
  for (const auto* t : {k.TrackbarThumbHorz.get(), k.TrackbarThumbVert.get(), k.TrackbarThumbLeft.get(),
                        k.TrackbarThumbRight.get(), k.TrackbarThumbUp.get(), k.TrackbarThumbDown.get()})
    ExpectStrip("Trackbar thumb", t, 5);
  ExpectStrip("UpDown.Horz", k.UpDownHorz.get(), 8);
  ExpectStrip("UpDown.Vert", k.UpDownVert.get(), 8);
  for (const TDataSkinBorder* u : {k.UpDownHorz.get(), k.UpDownVert.get()})
    EXPECT_EQ(u->SecondImage.Width() % 8, 0) << u->Name << ": glyph frames follow the button frames";
  ExpectStrip("Track", k.Track.get(), 1);
  ExpectStrip("TRACKVERT", k.TrackVert.get(), 1);
  ASSERT_FALSE(k.Title->Image.Empty());
  EXPECT_EQ(k.Title->Image.Height(), k.Top->Image.Height()) << "text back frames stack like the caption";
}

TEST(OwnSkin, PiecesMatchThePaintersGeometry) {
  const TSkinContent& k = Skin();
  // Arrows are squares as broad as the bar; the thumbs and tracks share that breadth.
  const int s = k.Scrollbar->Image.Height();
  EXPECT_EQ(FrameWidth(k.Scrollbar->Image, 23), s);
  EXPECT_EQ(k.VertScroll->Image.Width() / 4, s);
  EXPECT_EQ(k.HorzScroll->Image.Height(), s);
  EXPECT_EQ(k.VertScrollThumb->Image.Width() / 3, s);
  EXPECT_EQ(k.HorzScrollThumb->Image.Height(), s);
  // The combined combo strip is 21 pixels high; its parts are drawn for that height, and
  // the sunken edge keeps two pixels of frame that the strip does not key away.
  EXPECT_EQ(k.SunkEdge->Image.Height(), 21);
  EXPECT_EQ(k.ComboButton->Image.Height(), 21);
  EXPECT_GE(std::min({k.SunkEdge->LeftWidth, k.SunkEdge->TopHeight, k.SunkEdge->BottomHeight}), 2);
  // The combo arrow and the size grip fit the drop-down part of the strip.
  EXPECT_LE(FrameWidth(k.ExtraImages->Image, 5), 17);
  EXPECT_LE(k.ExtraImages->Image.Height(), 17);
  // Normal menu items and flat tool bar buttons let the background through.
  EXPECT_EQ(FrameCentre(k.MenuItem->Image, 5, 1), kMagenta);
  EXPECT_EQ(FrameCentre(k.ToolBars->Image, 5, 1), kMagenta);
  EXPECT_EQ(k.MenuItem->Trans, 1);
  // The separator is drawn from the second frame's bottom rows (an 8-pixel item).
  const TSkinBitmap& mi = k.MenuItem->Image;
  int fw = mi.Width() / 5, lines = 0;
  for (int y = mi.Height() - 8; y < mi.Height(); ++y)
    if (mi.Pixel(fw + fw / 2, y) != kMagenta) ++lines;
  EXPECT_GE(lines, 1);
}

TEST(OwnSkin, TextIsLegibleOnEveryFace) {
  const TSkinContent& k = Skin();
  const TSkinColours& c = k.Colours;
  const TDataSkinButton& b = *k.Buttons;
  // Push buttons: normal, pressed, hot and focused faces with their caption colours.
  EXPECT_GE(Contrast(b.NormalColour2, FrameCentre(b.Image, 5, 1)), 4.5);
  EXPECT_GE(Contrast(b.PressedColour2, FrameCentre(b.Image, 5, 2)), 4.5);
  EXPECT_GE(Contrast(b.MouseOverColour2, FrameCentre(b.Image, 5, 4)), 4.5);
  EXPECT_GE(Contrast(b.NormalColour2, FrameCentre(b.Image, 5, 5)), 4.5);
  // Caption text on the plate behind it, active and inactive.
  EXPECT_GE(Contrast(c.TitleTextActive, FrameCentre(k.Title->Image, 2, 1, true)), 4.5);
  EXPECT_GE(Contrast(c.TitleTextNoActive, FrameCentre(k.Title->Image, 2, 2, true)), 4.5);
  // Client text, menus, selections, tabs, status bar and headers.
  EXPECT_GE(Contrast(c.WindowText, c.ButtonFace), 7.0);
  EXPECT_GE(Contrast(c.MenuText, c.Menu), 7.0);
  EXPECT_GE(Contrast(c.HilightText, c.Hilight), 4.5);
  EXPECT_GE(Contrast(c.HilightText, FrameCentre(k.MenuItem->Image, 5, 4)), 4.5);
  EXPECT_GE(Contrast(c.MenuBarText, FrameCentre(k.MenuBar->Image, 2, 1, true)), 4.5);
  EXPECT_GE(Contrast(c.MenuBarText, FrameCentre(k.MenuBar->Image, 2, 2, true)), 4.5);
  EXPECT_GE(Contrast(k.Tabs->NormalColour2, FrameCentre(k.Tabs->Image, 5, 1)), 4.5);
  EXPECT_GE(Contrast(k.Tabs->MouseOverColour2, FrameCentre(k.Tabs->Image, 5, 2)), 4.5);
  EXPECT_GE(Contrast(k.StatusBarEdges->NormalColour2, FrameCentre(k.StatusBarEdges->Image, 3, 1)), 4.5);
  EXPECT_GE(Contrast(k.Headerbar->NormalColour2, FrameCentre(k.Headerbar->Image, 5, 1)), 4.5);
  // The hot menu-bar item is framed in the highlight colour: it must show on the bar.
  EXPECT_GE(Contrast(c.ButtonHilight, FrameCentre(k.MenuBar->Image, 2, 1, true)), 1.3);
}

}  // namespace
