// The pictures a skin data component derives from a skin: combo strip and its mirrored copy,
// combo arrow, title colour and tool bar gradient, on small hand-made skins.
#include "skin/data/skin_derived.h"

#include <gtest/gtest.h>

#include "skin/data/bitmap_routines.h"
#include "skin_archive_writer.h"
#include "skin_test_util.h"

namespace {

constexpr uint32_t kMagenta = 0xFF00FF;

// Frame f (0-based) of an n-frame strip: a one-pixel border of colour 0x1000 * (f + 1) + tag
// around a fill of colour 0x20 * (f + 1) + tag, so every frame and part is recognisable.
uint32_t Border(int f, uint32_t tag) { return 0x001000u * uint32_t(f + 1) + tag; }
uint32_t Inside(int f, uint32_t tag) { return 0x000020u * uint32_t(f + 1) + tag; }
std::vector<uint8_t> Strip(int n, int fw, int h, uint32_t tag) {
  return skin_test::Bmp24(n * fw, h, [=](int x, int y) {
    int f = x / fw, fx = x % fw;
    bool edge = fx == 0 || fx == fw - 1 || y == 0 || y == h - 1;
    return edge ? Border(f, tag) : Inside(f, tag);
  });
}

std::unique_ptr<TSkinContent> Build(const std::string& ini, std::vector<TSkinEntry> pictures,
                                    int arrowWidth) {
  pictures.push_back({"skin.ini", std::vector<uint8_t>(ini.begin(), ini.end())});
  auto packed = PackSkin(pictures);
  auto c = TSkinDataLoader().Load(packed.data(), packed.size());
  if (c) BuildDerivedObjects(*c, arrowWidth);
  return c;
}

const char kComboIni[] =
    "[SunkEdge]\nImage=edge.bmp\nLeftWidth=2\nRightWidth=2\nTopHeight=2\nBottomHeight=2\n"
    "[ComboButton]\nImage=btn.bmp\nLeftWidth=1\nRightWidth=1\nTopHeight=1\nBottomHeight=1\n"
    "[ExtraImages]\nImage=arrow.bmp\n";
constexpr uint32_t kEdgeTag = 0x010000, kButtonTag = 0x020000;

std::vector<TSkinEntry> ComboPictures() {
  // The arrow: 5 frames of 5 x 3, a solid colour per frame with magenta corners.
  auto arrow = skin_test::Bmp24(25, 3, [](int x, int y) {
    int fx = x % 5;
    return (y == 0 && (fx == 0 || fx == 4)) ? kMagenta : 0x0000F0u + uint32_t(x / 5);
  });
  return {{"edge.bmp", Strip(4, 12, 21, kEdgeTag)},
          {"btn.bmp", Strip(4, 10, 21, kButtonTag)},
          {"arrow.bmp", arrow}};
}

// A scroll arrow of 17 pixels (the classic metric) and of 21 (a large-font theme): the
// button part is s = arrow + 2 wide, whatever the arrow's width.
class ComboStrip : public testing::TestWithParam<int> {};

TEST_P(ComboStrip, FramesPartsAndMargins) {
  const int s = GetParam() + 2;
  auto c = Build(kComboIni, ComboPictures(), GetParam());
  ASSERT_TRUE(c);
  const TDataSkinBorder& button = *c->ComboButton;
  ASSERT_EQ(button.Image.Width(), 200);
  ASSERT_EQ(button.Image.Height(), 21);
  EXPECT_EQ(button.Style, 2);
  EXPECT_EQ((std::vector<int>{button.LeftWidth, button.TopHeight, button.RightWidth, button.BottomHeight}),
            (std::vector<int>{2, 2, s + 2, 2}));
  for (int b = 0; b < 4; ++b) {
    const int x0 = 50 * b;
    SCOPED_TRACE(b);
    EXPECT_EQ(button.Image.Pixel(x0, 10), Border(b, kEdgeTag));                // edge frame b, left
    EXPECT_EQ(button.Image.Pixel(x0 + 50 - s, 10), Border(b, kButtonTag));     // button's own border
    EXPECT_EQ(button.Image.Pixel(x0 + 50 - s + 1, 1), Inside(b, kButtonTag));  // button face
    // The inside (2, 2) .. (49 - s, 18) is cleared; just beyond it the edge shows again.
    EXPECT_EQ(button.Image.Pixel(x0 + 2, 2), kMagenta);
    EXPECT_EQ(button.Image.Pixel(x0 + 48 - s, 17), kMagenta);
    EXPECT_EQ(button.Image.Pixel(x0 + 49 - s, 17), Inside(b, kEdgeTag));
    EXPECT_EQ(button.Image.Pixel(x0 + 10, 18), Inside(b, kEdgeTag));
    // The arrow's frame b, centred in the button part; its magenta corners let the face through.
    const int ax = x0 + 50 - s + (s - 5) / 2, ay = (21 - 3) / 2;
    EXPECT_EQ(button.Image.Pixel(ax + 2, ay), 0x0000F0u + uint32_t(b));
    EXPECT_EQ(button.Image.Pixel(ax, ay), Inside(b, kButtonTag));
  }

  // The edge gets the strip with each frame mirrored where it stands: frame order is kept,
  // so a left-button combo shows its normal frame when normal.
  const TDataSkinObject& edge = *c->SunkEdge;
  ASSERT_EQ(edge.Image.Width(), 200);
  EXPECT_EQ((std::vector<int>{edge.LeftWidth, edge.RightWidth}), (std::vector<int>{s + 2, 2}));
  for (int b = 0; b < 4; ++b)
    for (int x : {0, 3, 30, 49})
      EXPECT_EQ(edge.Image.Pixel(50 * b + x, 5), button.Image.Pixel(50 * b + 49 - x, 5)) << b << " " << x;
}

TEST_P(ComboStrip, ArrowIsTheButtonPartOfEachFrame) {
  const int s = GetParam() + 2;
  auto c = Build(kComboIni, ComboPictures(), GetParam());
  ASSERT_TRUE(c);
  const TDataSkinObject& arrow = *c->ComboxArrow;
  const TSkinBitmap& strip = c->ComboButton->Image;
  ASSERT_EQ(arrow.Image.Width(), 4 * (s - 2));
  ASSERT_EQ(arrow.Image.Height(), 17);
  EXPECT_EQ(arrow.Frame, 4);
  for (int i = 0; i < 4; ++i)
    for (int x : {0, s - 3})
      for (int y : {0, 16})
        EXPECT_EQ(arrow.Image.Pixel(i * (s - 2) + x, y), strip.Pixel(50 * (i + 1) - s + x, 2 + y))
            << i << " " << x << " " << y;
}

INSTANTIATE_TEST_SUITE_P(ArrowWidths, ComboStrip, testing::Values(17, 21));

TEST(SkinDerived, MirroredButtonCopyKeepsFrameOrder) {
  auto c = Build("[ComboButton]\nImage=btn.bmp\n", {{"btn.bmp", Strip(4, 10, 21, kButtonTag)}}, 17);
  ASSERT_TRUE(c);
  const TDataSkinBorder& button = *c->ComboButton;
  for (int f = 0; f < 4; ++f) {
    EXPECT_EQ(button.SecondImage.Pixel(10 * f + 1, 5), Inside(f, kButtonTag));
    EXPECT_EQ(button.SecondImage.Pixel(10 * f + 9, 5), button.Image.Pixel(10 * f, 5));
  }
}

TEST(SkinDerived, ArrowWithoutSunkenEdgeShowsTheFaceForMagenta) {
  auto btn = skin_test::Bmp24(40, 10, [](int x, int y) { return x % 10 == 0 ? kMagenta : 0x123456u; });
  auto c = Build("[Colours]\nButtonFace=1 2 3\n[ComboButton]\nImage=btn.bmp\n", {{"btn.bmp", btn}}, 17);
  ASSERT_TRUE(c);
  EXPECT_NE(c->ComboButton->Style, 2);
  const TDataSkinObject& arrow = *c->ComboxArrow;
  EXPECT_EQ(arrow.Frame, 4);
  EXPECT_EQ(arrow.Image.Pixel(10, 3), 0x030201u);
  EXPECT_EQ(arrow.Image.Pixel(11, 3), 0x123456u);
  EXPECT_EQ(c->ComboButton->Image.Pixel(10, 3), kMagenta);  // the button keeps its key colour
}

TEST(SkinDerived, NoComboPicturesLeaveAnEmptyArrow) {
  auto c = Build("[SunkEdge]\nImage=edge.bmp\n", {{"edge.bmp", Strip(4, 12, 21, kEdgeTag)}}, 17);
  ASSERT_TRUE(c);
  ASSERT_TRUE(c->ComboxArrow);
  EXPECT_TRUE(c->ComboxArrow->Image.Empty());
  EXPECT_EQ(c->SunkEdge->Image.Width(), 48);  // untouched without a button
}

// The tool bar's last line for a gradient from top to bottom (the ramp rounds toward the top
// colour, so the last line can differ from the bottom colour by one).
uint32_t LastLine(TColor top, TColor bottom) {
  return uint32_t(GradientColors(GradientRamp(40, top, bottom)).back());
}

// Title colour: the pixel at (width / 3, frame height / 3) of the top border; the tool bar
// runs from a light face colour down to a colour made from the title colour.
TEST(SkinDerived, TitleColourAndToolbar) {
  // Two stacked frames of 30 x 12: the title pixel is (10, 4).
  auto top = skin_test::Bmp24(30, 24, [](int x, int y) { return x == 10 && y == 4 ? 0xC8C8C8u : 0x102030u; });
  const std::string ini = "[Colours]\nButtonFace=100 110 120\n[Personality]\nTop=top.bmp\nTopFrame=2\n";
  auto c = Build(ini, {{"top.bmp", top}}, 17);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->TitleColor, 0xC8C8C8u);
  const TSkinBitmap& bar = c->Toolbar->Image;
  ASSERT_EQ(bar.Width(), 10);
  ASSERT_EQ(bar.Height(), 40);
  EXPECT_EQ(c->Toolbar->Frame, 1);
  EXPECT_EQ(bar.Pixel(0, 0), uint32_t(MixColors(0x786E64, 0xFFFFFF, 150)));
  // A grey title (saturation 0): grey mixed with the title.
  const TColor face = MixColors(0x786E64, 0xFFFFFF, 150);
  EXPECT_EQ(bar.Pixel(9, 39), LastLine(face, MixColors(0x808080, 0xC8C8C8, 150)));

  // A saturated title (saturation 219): the title lightened towards white instead.
  auto blue = skin_test::Bmp24(30, 24, [](int, int) { return 0xE06020u; });
  c = Build(ini, {{"top.bmp", blue}}, 17);
  ASSERT_TRUE(c);
  ASSERT_EQ(ColorSaturation(0xE06020), 219);
  EXPECT_EQ(c->Toolbar->Image.Pixel(5, 39), LastLine(face, MixColors(0xE06020, 0xFFFFFF, 51)));

  // Without a top picture the title colour is the face colour, and the tool bar follows it.
  c = Build("[Colours]\nButtonFace=100 110 120\n", {}, 17);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->TitleColor, 0x786E64u);
  const int sat = ColorSaturation(0x786E64);
  ASSERT_EQ(sat, 200);  // no channel above 159
  EXPECT_EQ(c->Toolbar->Image.Pixel(0, 39),
            LastLine(face, MixColors(0x786E64, 0xFFFFFF, (5625 - 25 * 200) / 140 + 50)));
}

}  // namespace
