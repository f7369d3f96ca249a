#include "skin/data/skin_loader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "skin/data/bmp_reader.h"
#include "skin_archive_writer.h"
#include "skin_test_util.h"

namespace {

const std::string kSample = skin_test::SourceDir() + "/tests/data/skins/sample";

std::unique_ptr<TSkinContent> LoadSample() {
  auto packed = PackSkin(ReadSkinFolder(kSample));
  return TSkinDataLoader().Load(packed.data(), packed.size());
}

// A skin of the given definition and pictures.
std::unique_ptr<TSkinContent> LoadSkin(const std::string& ini, std::vector<TSkinEntry> pictures = {}) {
  pictures.push_back({"skin.ini", std::vector<uint8_t>(ini.begin(), ini.end())});
  auto packed = PackSkin(pictures);
  return TSkinDataLoader().Load(packed.data(), packed.size());
}

TEST(SkinLoader, SampleSkinBordersTitleAndColours) {
  auto c = LoadSample();
  ASSERT_TRUE(c);
  EXPECT_EQ(c->SkinName, "Netvosk Sample");
  const TDataSkinBorder& top = *c->Top;
  EXPECT_EQ(top.Image.Width(), 120);
  EXPECT_EQ(top.Image.Height(), 26);
  EXPECT_EQ((std::vector<int>{top.LeftWidth, top.TopHeight, top.RightWidth, top.BottomHeight}),
            (std::vector<int>{6, 0, 8, 0}));
  EXPECT_EQ(top.Frame, 2);
  EXPECT_EQ(top.Tile, 0);
  EXPECT_EQ(top.Trans, 0);
  const TDataSkinBorder& left = *c->Left;
  EXPECT_EQ((std::vector<int>{left.LeftWidth, left.TopHeight, left.RightWidth, left.BottomHeight}),
            (std::vector<int>{0, 10, 0, 12}));
  EXPECT_EQ(left.Tile, 1);   // stretch 3 is capped at 1
  EXPECT_EQ(left.Trans, 1);  // default
  EXPECT_EQ(c->Right->Frame, 2);
  // "skins\sample\bottom.bmp": the folder part is dropped.
  EXPECT_EQ(c->Bottom->Image.Width(), 80);

  const TDataSkinTitle& t = *c->Title;
  EXPECT_EQ((std::vector<int>{t.LeftWidth, t.TopHeight, t.RightWidth, t.BottomHeight}),
            (std::vector<int>{24, 4, 80, 0}));
  EXPECT_EQ(t.FontHeight, 13);
  EXPECT_EQ(t.TextAlignment, 1);
  EXPECT_EQ(t.Textbackground, 2);
  EXPECT_EQ(t.TXTBackleft, 6);
  EXPECT_EQ(t.TXTBackRight, 7);
  EXPECT_EQ(t.ActiveText, 0xFFFFFFu);
  EXPECT_EQ(t.InActiveText, TDataSkinTitle::kColourNotGiven);  // blue missing
  EXPECT_EQ(t.Frame, 2);

  EXPECT_EQ(c->Colours.ButtonFace, 0xD8E9ECu);
  EXPECT_EQ(c->Colours.Menubar, c->Colours.ButtonFace);  // defaults to the face colour
  EXPECT_EQ(c->Colours.ButtonText, 0x302010u);
  EXPECT_EQ(c->Colours.ButtonShadow, SystemColor(sciBtnShadow));
  EXPECT_EQ(c->ColourList, (std::vector<uint32_t>{0x0000FF, 0x008000}));
  EXPECT_EQ(c->CustomColors[0], 0x030201u);
  EXPECT_EQ(c->CustomColors[5], 0xFFFFFFu);
  EXPECT_EQ(c->CustomColors[9], 0xFCFBFAu);

  const TDataSkinObject& bar = *c->MenuBar;
  EXPECT_EQ(bar.Image.Width(), 40);  // an 8-bit picture
  EXPECT_EQ((std::vector<int>{bar.Tile, bar.LeftWidth, bar.RightWidth, bar.Frame}),
            (std::vector<int>{0, 3, 4, 2}));
}

TEST(SkinLoader, SampleSkinCaptionButtons) {
  auto c = LoadSample();
  ASSERT_TRUE(c);
  std::vector<std::string> names;
  for (auto& b : c->SysButtons) names.push_back(b->Name);
  // ButtonHidden (action -1, no visibility) is dropped; ButtonHelp (visibility 0) stays.
  EXPECT_EQ(names, (std::vector<std::string>{"BUTTONCLOSE", "BUTTONMAX", "BUTTONMIN", "BUTTONHELP",
                                             "MDICONTROLS", "MDICONTROLS", "MDICONTROLS"}));
  const auto& close = *c->SysButtons[0];
  EXPECT_EQ(close.Frame, 3);  // 54 x 18: ratio 3
  EXPECT_EQ(close.CombineOp, -1);
  EXPECT_EQ(close.Visibility1, 0);
  EXPECT_EQ((std::vector<int>{close.Align, close.Xcoord, close.Ycoord}), (std::vector<int>{1, 22, 5}));
  EXPECT_EQ(c->SysButtons[1]->CombineOp, 2);
  EXPECT_EQ(c->SysButtons[2]->Frame, 6);  // 108 x 18: ratio 6
  EXPECT_EQ(c->SysButtons[3]->Frame, 6);  // negative action
  EXPECT_EQ(c->SysButtons[3]->Visibility1, -1);
  for (int k = 0; k < 3; ++k) {
    const auto& m = *c->SysButtons[size_t(4 + k)];
    EXPECT_EQ(m.Action, 7 + k);
    EXPECT_EQ(m.Frame, 4);
    EXPECT_EQ(m.Xcoord, 14 * (3 - k));  // picture 120 wide: w = 10
    EXPECT_EQ(m.Image.Width(), 40);
    EXPECT_EQ(m.Image.Height(), 10);
  }
  // The cut keeps the picture's pixels: button 1 starts at x = 40 of the strip.
  TSkinBitmap strip = LoadBitmapFromBytes(ReadFileBytes(kSample + "/mdicontrols.bmp").data(),
                                          ReadFileBytes(kSample + "/mdicontrols.bmp").size());
  EXPECT_EQ(c->SysButtons[5]->Image.Pixel(5, 5), strip.Pixel(45, 5));
}

TEST(SkinLoader, SampleSkinButtonsAndElements) {
  auto c = LoadSample();
  ASSERT_TRUE(c);
  const TDataSkinButton& b = *c->Buttons;
  EXPECT_EQ(b.Frame, 5);
  EXPECT_EQ(b.Tile, 0);  // 2 becomes 0
  EXPECT_EQ(b.Trans, 1);
  EXPECT_EQ(b.CheckButtonFrame, 8);  // 104 x 13: frames 13 wide
  EXPECT_EQ(b.RadioButtonFrame, 8);  // 128 x 16: frames 16 wide
  EXPECT_EQ(b.NormalColour, 1);
  EXPECT_EQ(b.MouseOverColour, -1);
  EXPECT_TRUE(b.HasNormalColour2);
  EXPECT_FALSE(b.HasMouseOverColour2);
  EXPECT_EQ(b.NormalColour2, 0x030201u);
  EXPECT_EQ(b.MouseOverColour2, c->Colours.ButtonText);
  EXPECT_EQ(b.PressedColour2, 0x060504u);

  EXPECT_EQ(c->Progress->Frame, 2);
  EXPECT_EQ(c->Progress->Tile, 1);  // bar reader caps at 1
  EXPECT_EQ(c->GroupBox->BackgroundAlignment, 1);
  EXPECT_EQ(c->GroupBox->BackgroundRightShift, 5);
  EXPECT_EQ(c->Tabs->SecondImage.Width(), 10);
  const TDataSkinObject& pane = *c->TabPane;
  EXPECT_EQ((std::vector<int>{pane.LeftWidth, pane.TopHeight, pane.RightWidth, pane.BottomHeight}),
            (std::vector<int>{4, 4, 2, 4}));
  const TDataSkinBorder& combo = *c->ComboButton;
  ASSERT_EQ(combo.SecondImage.Width(), combo.Image.Width());
  // Mirrored frame by frame: the first frame's left column is its own right column.
  EXPECT_EQ(combo.SecondImage.Pixel(0, 3), combo.Image.Pixel(combo.Image.Width() / 4 - 1, 3));
  EXPECT_EQ(combo.SecondImage.PixelFormat(), pf24bit);
  EXPECT_EQ(c->Headerbar->Frame, 5);  // no Frame key
  EXPECT_EQ(c->MenuBackground->Image.PixelFormat(), pf32bit);
  EXPECT_EQ(c->HorzScrollThumb->Frame, 3);
  EXPECT_EQ(c->VertScrollThumb->Frame, 4);  // FrameCount=0x4
  for (auto* t : {&c->TrackbarThumbHorz, &c->TrackbarThumbVert, &c->TrackbarThumbLeft, &c->TrackbarThumbRight,
                  &c->TrackbarThumbUp, &c->TrackbarThumbDown})
    EXPECT_TRUE(*t);
  EXPECT_EQ(c->UpDownVert->SecondImage.Width(), 8);
  EXPECT_EQ(c->Track->Image.Width(), 20);  // from the skin
  EXPECT_EQ(c->Track->LeftWidth, 4);
  // No TRACKVERT section: the program's own picture.
  EXPECT_EQ(c->TrackVert->Image.Width(), 8);
  EXPECT_EQ(c->TrackVert->Image.Height(), 16);
  EXPECT_EQ((std::vector<int>{c->TrackVert->LeftWidth, c->TrackVert->BottomHeight, c->TrackVert->Tile,
                              c->TrackVert->Frame}),
            (std::vector<int>{3, 3, 0, 1}));
}

TEST(SkinLoader, MissingPicturesAndEmptyDefinition) {
  auto c = LoadSkin("");
  ASSERT_TRUE(c);
  EXPECT_TRUE(c->Top->Image.Empty());
  EXPECT_EQ(c->Top->Frame, 1);
  EXPECT_TRUE(c->Buttons->Image.Empty());
  EXPECT_EQ(c->Buttons->CheckButtonFrame, 4);
  EXPECT_EQ(c->Title->FontHeight, 14);
  EXPECT_FALSE(c->MenuBar);
  EXPECT_FALSE(c->Progress);
  EXPECT_FALSE(c->Scrollbar);
  EXPECT_EQ(c->SysButtons.size(), 3u);  // only the child-window buttons, without pictures
  EXPECT_TRUE(c->SysButtons[0]->Image.Empty());
  EXPECT_EQ(c->Track->Image.Width(), 16);  // fallback
  EXPECT_EQ(c->Colours.ButtonFace, SystemColor(sciBtnFace));
}

TEST(SkinLoader, PictureKeysNeedALowerCaseBmpExtension) {
  auto pic = skin_test::PlainBmp(30, 10);
  auto c = LoadSkin(
      "[Personality]\nTop=C:\\skins\\TOP.bmp\nLeft=top.BMP\nRight=top\n"
      "[Progress]\nBitmap=dir/top.bmp\nStyle=1\n[SunkEdge]\nImage=none.bmp\n",
      {{"top.bmp", pic}});
  ASSERT_TRUE(c);
  EXPECT_EQ(c->Top->Image.Width(), 30);  // folder dropped, name case ignored in the archive
  EXPECT_TRUE(c->Left->Image.Empty());
  EXPECT_TRUE(c->Right->Image.Empty());
  ASSERT_TRUE(c->Progress);
  EXPECT_EQ(c->Progress->Image.Width(), 30);
  EXPECT_EQ(c->Progress->Frame, 1);  // style not 0
  ASSERT_TRUE(c->SunkEdge);          // named but missing: object with an empty picture
  EXPECT_TRUE(c->SunkEdge->Image.Empty());
}

TEST(SkinLoader, CaptionButtonSelectionAndFrames) {
  auto wide = skin_test::PlainBmp(39, 10);    // ratio 3.9
  auto narrow = skin_test::PlainBmp(38, 10);  // ratio 3.8
  auto c = LoadSkin(
      "[Button]\nButtonImage=n.bmp\n[BUTTONS]\n[Button.Radio]\n[button.checkbox]\n"
      "[ButtonA]\nButtonImage=w.bmp\n[ButtonB]\nButtonImage=n.bmp\n"
      "[ButtonC]\nButtonImage=n.bmp\nAction=3\n[ButtonD]\nButtonImage=n.bmp\nframe=2\n"
      "[ButtonE]\nAction=-1\nVisibility=1\n[ButtonF]\nAction=11\nframe=0\n",
      {{"w.bmp", wide}, {"n.bmp", narrow}});
  ASSERT_TRUE(c);
  ASSERT_EQ(c->SysButtons.size(), 5u + 3u);  // [Button], [BUTTONS], ... and ButtonE dropped
  EXPECT_EQ(c->SysButtons[0]->Name, "BUTTONA");
  EXPECT_EQ(c->SysButtons[0]->Frame, 6);
  EXPECT_EQ(c->SysButtons[1]->Frame, 3);
  EXPECT_EQ(c->SysButtons[2]->Frame, 3);  // frames from the picture, then it is dropped
  EXPECT_TRUE(c->SysButtons[2]->Image.Empty());
  EXPECT_EQ(c->SysButtons[3]->Frame, 2);
  EXPECT_EQ(c->SysButtons[4]->Name, "BUTTONF");
  EXPECT_EQ(c->SysButtons[4]->Frame, 6);
}

TEST(SkinLoader, BrokenPictureAndRefusedArchive) {
  EXPECT_THROW(LoadSkin("[Personality]\nTop=bad.bmp\n", {{"bad.bmp", {'B', 'M', 0}}}), EInvalidGraphic);
  std::vector<uint8_t> old = {1, 0, 0, 0, 0};
  EXPECT_EQ(TSkinDataLoader().Load(old.data(), old.size()), nullptr);
}

TEST(Skinpack, PacksListsAndExtracts) {
  namespace fs = std::filesystem;
  std::string tool = skin_test::BinaryDir() + "/tools/skinpack/skinpack";
  if (!fs::exists(tool)) GTEST_SKIP() << "skinpack not built";
  fs::path dir = fs::temp_directory_path() / ("skinpack_test_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::string skn = (dir / "s.skn").string();
  auto run = [&](const std::string& args) {
    return std::system((tool + " " + args + " > " + (dir / "out.txt").string() + " 2>&1").c_str());
  };
  ASSERT_EQ(run("pack " + kSample + " " + skn), 0);
  ASSERT_EQ(run("list " + skn), 0);
  auto listing = ReadFileBytes((dir / "out.txt").string());
  EXPECT_NE(std::string(listing.begin(), listing.end()).find("3126  vscroll.bmp"), std::string::npos);
  ASSERT_EQ(run("extract " + skn + " " + (dir / "x").string()), 0);
  EXPECT_EQ(ReadFileBytes((dir / "x" / "sample.ini").string()), ReadFileBytes(kSample + "/sample.ini"));
  ASSERT_EQ(run("extract " + skn + " " + (dir / "y").string() + " TOP.BMP"), 0);
  EXPECT_EQ(ReadFileBytes((dir / "y" / "top.bmp").string()), ReadFileBytes(kSample + "/top.bmp"));
  EXPECT_NE(run("extract " + skn + " " + (dir / "y").string() + " nothing.bmp"), 0);
  EXPECT_NE(run("list " + kSample + "/top.bmp"), 0);
  EXPECT_NE(run("pack " + (dir / "x").string() + "/none " + skn), 0);
  EXPECT_NE(run("frobnicate"), 0);
  fs::remove_all(dir);
}

}  // namespace
