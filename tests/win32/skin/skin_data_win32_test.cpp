// The skin data component under Wine with the program's packed skin: the system objects it
// keeps (face brush, caption font, menu glyphs, caption icon) and the metrics it builds with.
#include "skin/data/skin_data_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "win32/test_files.h"

namespace {

std::vector<uint8_t> ProgramSkinStream() {
  std::string bytes = ReadBytes(std::string("Z:") + NV_BINARY_DIR + "/src/app/netvosk-skin.stream");
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

class SkinDataWin32 : public testing::Test {
 protected:
  void SetUp() override {
    auto stream = ProgramSkinStream();
    ASSERT_GT(stream.size(), 4u) << "netvosk-skin.stream not built";
    data.SetSkinStream(stream);
    ASSERT_TRUE(data.SkinLoaded());
    side = Win32Side(data);
    ASSERT_TRUE(side);
  }
  TSkinData data{nullptr};
  TSkinDataWin32* side = nullptr;
};

TEST_F(SkinDataWin32, FaceBrushFollowsTheSkin) {
  LOGBRUSH lb{};
  ASSERT_EQ(GetObjectA(side->FaceBrush(), sizeof lb, &lb), int(sizeof lb));
  EXPECT_EQ(lb.lbStyle, UINT(BS_SOLID));
  EXPECT_EQ(lb.lbColor, COLORREF(data.Content().Colours.ButtonFace));
}

// The caption "Netvosk2.1--免费版" must find its Chinese glyphs in the caption font.
TEST_F(SkinDataWin32, CaptionFontHasTheChineseCharacterSet) {
  side->ReadCaptionFont();
  ASSERT_TRUE(side->CaptionFont());
  LOGFONTA lf{};
  ASSERT_GT(GetObjectA(side->CaptionFont(), sizeof lf, &lf), 0);
  EXPECT_EQ(lf.lfCharSet, GB2312_CHARSET);
  NONCLIENTMETRICSA m{};
  m.cbSize = sizeof m;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, m.cbSize, &m, 0));
  EXPECT_EQ(lf.lfHeight, m.lfCaptionFont.lfHeight);  // read from the system, not assumed

  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, side->CaptionFont());
  EXPECT_EQ(GetTextCharset(dc), GB2312_CHARSET);
  // Three characters in six GBK bytes, read through the font's character set.
  const char* text = "免费版";
  WORD glyphs[6] = {};
  ASSERT_EQ(GetGlyphIndicesA(dc, text, 6, glyphs, GGI_MARK_NONEXISTING_GLYPHS), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_NE(glyphs[i], 0xFFFF);
  SelectObject(dc, old);
  DeleteDC(dc);
}

// Close glyph (index 3): black strokes, white shows what is beneath.
TEST_F(SkinDataWin32, MenuGlyphsAreSixteenSquareWithWhiteTransparent) {
  HIMAGELIST list = side->MenuGlyphs();
  ASSERT_TRUE(list);
  EXPECT_EQ(ImageList_GetImageCount(list), 4);
  int cx = 0, cy = 0;
  ImageList_GetIconSize(list, &cx, &cy);
  EXPECT_EQ(cx, 16);
  EXPECT_EQ(cy, 16);
  TSkinBitmap target(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) target.SetPixel(x, y, 0x0000FF);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, HBITMAP(target.DibHandle()));
  ASSERT_TRUE(ImageList_Draw(list, 3, dc, 0, 0, ILD_TRANSPARENT));
  GdiFlush();
  EXPECT_EQ(target.Pixel(0, 0), 0x0000FFu);  // white: transparent
  EXPECT_EQ(target.Pixel(4, 4), 0x000000u);  // on the cross
  SelectObject(dc, old);
  DeleteDC(dc);
}

// Built with the running system's scroll-arrow width (Wine's theme differs from Windows').
TEST_F(SkinDataWin32, ComboStripUsesTheSystemsArrowWidth) {
  const TSkinContent& c = data.Content();
  if (!c.SunkEdge || !c.ComboButton) GTEST_SKIP() << "the skin has no combo pictures";
  const int s = GetSystemMetrics(SM_CXHSCROLL) + 2;
  EXPECT_EQ(side->ScrollArrowWidth(), GetSystemMetrics(SM_CXHSCROLL));
  EXPECT_EQ(c.ComboButton->Style, 2);
  EXPECT_EQ(c.ComboButton->RightWidth, s + 2);
  EXPECT_EQ(c.SunkEdge->LeftWidth, s + 2);
  EXPECT_EQ(c.ComboxArrow->Image.Width(), (s - 2) * c.SunkEdge->Frame);
  EXPECT_TRUE(side->HasScrollBarInfo());
}

TEST_F(SkinDataWin32, CaptionIconIsTheProgramsIconOverMagenta) {
  TSkinBitmap icon = side->CaptionIconPicture();
  ASSERT_FALSE(icon.Empty()) << "the test program carries the program's icon";
  EXPECT_EQ(icon.Width(), GetSystemMetrics(SM_CXSMICON));
  EXPECT_EQ(icon.Height(), GetSystemMetrics(SM_CYSMICON));
  int magenta = 0;
  for (int y = 0; y < icon.Height(); ++y)
    for (int x = 0; x < icon.Width(); ++x) magenta += icon.Pixel(x, y) == 0xFF00FF;
  EXPECT_GT(magenta, 0);                                 // the icon's transparent parts
  EXPECT_LT(magenta, icon.Width() * icon.Height() / 2);  // and the icon itself
}

}  // namespace
