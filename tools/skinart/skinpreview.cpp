// skinpreview: packs a skin folder, loads it as the program does, and paints the main window
// and a gallery of the other elements into a PNG, so that a designer sees the skin at work.
//
//   skinpreview SKIN_FOLDER OUT.png [FONT_FILE] [PROGRAM_ICON.ico] [BANNER.gif]
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "preview_painter.h"
#include "skin_archive_writer.h"

#ifdef NV_PREVIEW_GIF
#include <gif_lib.h>
#endif

namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return {};
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }

// The 16 x 16 32-bit entry of the program's icon (straight alpha); empty when there is none.
TSkinBitmap SmallIcon(const std::vector<uint8_t>& ico) {
  if (ico.size() < 6) return {};
  int n = ico[4] | (ico[5] << 8);
  for (int i = 0; i < n && 6 + 16 * size_t(i + 1) <= ico.size(); ++i) {
    const uint8_t* e = &ico[6 + 16 * size_t(i)];
    uint32_t off = Le32(e + 12);
    if (e[0] != 16 || e[1] != 16 || off + 40 + 16 * 16 * 4 > ico.size()) continue;
    const uint8_t* dib = &ico[off];
    if ((dib[14] | (dib[15] << 8)) != 32) continue;
    TSkinBitmap out(16, 16, pf32bit);
    for (int y = 0; y < 16; ++y)  // rows are stored bottom-up
      std::copy_n(dib + 40 + size_t(15 - y) * 64, 64, out.ScanLine(y));
    return out;
  }
  return {};
}

TSkinBitmap Banner(const std::string& path) {
#ifdef NV_PREVIEW_GIF
  int err = 0;
  GifFileType* g = DGifOpenFileName(path.c_str(), &err);
  if (!g) return {};
  TSkinBitmap out;
  if (DGifSlurp(g) == GIF_OK && g->ImageCount > 0) {
    const SavedImage& im = g->SavedImages[0];
    const ColorMapObject* map = im.ImageDesc.ColorMap ? im.ImageDesc.ColorMap : g->SColorMap;
    out = TSkinBitmap(g->SWidth, g->SHeight);
    for (int y = 0; y < im.ImageDesc.Height; ++y)
      for (int x = 0; x < im.ImageDesc.Width; ++x) {
        const GifColorType& c = map->Colors[im.RasterBits[size_t(y) * im.ImageDesc.Width + x]];
        out.SetPixel(im.ImageDesc.Left + x, im.ImageDesc.Top + y, c.Red | (c.Green << 8) | (c.Blue << 16));
      }
  }
  DGifCloseFile(g, &err);
  return out;
#else
  (void)path;
  return {};
#endif
}

// The program's main window: its controls where its layout puts them.
void MainWindow(TPreviewPainter& p, TPreviewCanvas& canvas, const TSkinBitmap& banner) {
  TPreviewWindow w;
  w.X = 24, w.Y = 24, w.ClientW = 479, w.ClientH = 342;
  w.Caption = "Netvosk2.1--免费版";
  p.Window(w);
  int ox = canvas.OriginX(), oy = canvas.OriginY();

  p.GroupBox({0, 0, 145, 257}, "IP列表");
  p.ListBox({2, 14, 143, 255}, {"公司-研发部", "公司-会议室", "公司-无线", "家里",   "家里-无线", "实验室",
                                "机房A",       "机房B",       "网吧",      "酒店",   "客户现场",  "测试网段1",
                                "测试网段2",   "测试网段3",   "备用线路",  "宿舍",   "图书馆",    "展会",
                                "仓库",        "分店一",      "分店二",    "分店三", "临时"},
            3, 0);
  p.GroupBox({147, 0, 477, 226}, "");
  const char* labels[] = {"IP名称", "连接名称", "IP地址", "子网掩码", "默认网关", "DNS"};
  const int lx[] = {13, 6, 13, 7, 5, 23}, ly[] = {23, 50, 73, 99, 122, 145},
            ey[] = {18, 45, 69, 93, 118, 141};
  const char* values[] = {"家里",          "本地连接",    "192.168.1.100",
                          "255.255.255.0", "192.168.1.1", "202.96.128.86"};
  for (int i = 0; i < 6; ++i) {
    p.Label(147 + lx[i], ly[i], labels[i]);
    p.Edit({147 + 64, ey[i], 147 + 64 + 239, ey[i] + 20}, values[i]);
  }
  p.Button({147 + 133, 182, 147 + 133 + 69, 205}, "删除", psNormal);
  p.Button({208, 182, 280, 205}, "保存", psHot);
  p.Button({157, 230, 228, 255}, "设置", psFocus);
  p.Button({227, 230, 309, 255}, "自动获取IP", psNormal);
  p.Button({308, 230, 380, 255}, "退出", psDown);
  p.Button({379, 230, 475, 255}, "去看看包包", psNormal);
  if (!banner.Empty()) {
    TSkinBitmap b(479, 65);
    StretchCopy(banner, {0, 0, banner.Width(), banner.Height()}, b, {0, 0, 479, 65});
    canvas.Draw(b, 0, 258, false);
  } else {
    canvas.Fill({0, 258, 479, 323}, 0xC8B4A0);
  }
  p.StatusBar({0, 323, 479, 342}, "精品包包天天特价，新款到店全场包邮！欢迎光临 www.example.com");
  canvas.SetOrigin(ox, oy);
}

// Another window of the program, inactive, with every other control the skin draws.
void ControlsWindow(TPreviewPainter& p) {
  TPreviewWindow w;
  w.X = 540, w.Y = 24, w.ClientW = 470, w.ClientH = 330;
  w.Caption = "控件一览";
  w.Active = false, w.BorderKind = 0, w.MinBox = w.MaxBox = true;
  w.Menu = {"文件(F)", "方案(S)", "帮助(H)"};
  p.Window(w);
  p.Tabs({8, 8, 462, 196}, {"常规", "网络", "高级"}, 0);
  p.CheckBox(22, 44, "开机时启动", 0, psNormal);
  p.CheckBox(22, 66, "自动检测网络", 1, psNormal);
  p.CheckBox(22, 88, "使用代理", 2, psNormal);
  p.CheckBox(22, 110, "记住位置（禁用）", 1, psDisabled);
  p.CheckBox(150, 44, "悬停", 0, psHot);
  p.CheckBox(150, 66, "按下", 1, psDown);
  p.CheckBox(150, 88, "禁用", 0, psDisabled);
  p.Radio(250, 44, "静态地址", true, psNormal);
  p.Radio(250, 66, "自动获取", false, psNormal);
  p.Radio(250, 88, "悬停", false, psHot);
  p.Radio(250, 110, "禁用", true, psDisabled);
  p.Radio(350, 44, "禁用", false, psDisabled);
  p.Combo({22, 136, 202, 157}, "本地连接", psNormal);
  p.Combo({222, 136, 442, 157}, "无线网络连接", psHot);
  p.Progress({22, 168, 202, 184}, 60, 100);
  p.TrackBar({222, 160, 442, 192}, 30, 100);
  p.Header({8, 206, 462, 226}, {"名称", "IP地址", "子网掩码", "网关"}, {90, 120, 120, 90}, 1);
  p.Edit({8, 236, 78, 256}, "3");
  p.UpDown({62, 239, 75, 253}, 0, false);
  p.ScrollBar({92, 237, 462, 254}, false, 60, 120, 1, false);
  const char* names[] = {"普通", "按下", "禁用", "悬停", "焦点"};
  const TPreviewState states[] = {psNormal, psDown, psDisabled, psHot, psFocus};
  for (int i = 0; i < 5; ++i) p.Button({8 + 92 * i, 270, 8 + 92 * i + 80, 293}, names[i], states[i]);
  p.StatusBar({0, 311, 470, 330}, "就绪");
}

// A message box of the program (dialog frame, inactive) and an open menu.
void Dialogs(TPreviewPainter& p) {
  TPreviewWindow w;
  w.X = 540, w.Y = 404, w.ClientW = 230, w.ClientH = 96;
  w.Caption = "Netvosk--免费版";
  w.Active = false, w.BorderKind = 3;
  p.Window(w);
  p.Label(80, 24, "设置完成");
  p.Button({78, 60, 153, 83}, "确定", psFocus);

  p.Origin(0, 0);
  p.PopupMenu(804, 404, 180,
              {{"打开 ip.ini", "", true},
               {"导入方案...", "Ctrl+I", true},
               {"-", "", true},
               {"设置", "", true},
               {"自动获取IP", "", true},
               {"删除方案", "", false},
               {"-", "", true},
               {"退出", "Alt+F4", true}},
              4);
}

// Caption buttons in all frames, on the active and the inactive band.
void CaptionButtons(TPreviewPainter& p, TPreviewCanvas& canvas) {
  const TSkinContent& k = p.Skin();
  p.Origin(24, 430);
  p.Label(0, 0, "标题按钮：普通 / 按下 / 悬停 / 非活动", 0xF0F0F0);
  const int capH = k.Top->Image.Height() / k.Top->Frame;
  for (int band = 0; band < 2; ++band) {
    int y = 20 + band * (capH + 8);
    canvas.Piece({0, y, 480, y + capH}, k.Top->Image, Margins(*k.Top), true, false, true, 2, band + 1);
    int x = 10;
    for (const auto& b : k.SysButtons) {
      if (b->Image.Empty() || b->Visibility == 100) continue;
      int bw = b->Image.Width() / b->Frame;
      for (int f = 1; f <= b->Frame; ++f) {
        if ((band == 0) == (f == 4)) continue;
        canvas.Stretched({x, y + b->Ycoord, x + bw, y + b->Ycoord + b->Image.Height()}, b->Image, b->Frame,
                         f);
        x += bw + 2;
      }
      x += 10;
    }
  }
  // The menu bar band with a hot item.
  if (k.MenuBar) {
    int y = 20 + 2 * (capH + 8);
    canvas.Piece({0, y, 480, y + 20}, k.MenuBar->Image, {k.MenuBar->LeftWidth, 0, k.MenuBar->RightWidth, 0},
                 true, false, false, 2, 1);
    int x = k.MenuBar->LeftWidth + 4;
    const char* items[] = {"文件(F)", "方案(S)", "帮助(H)"};
    for (int i = 0; i < 3; ++i) {
      int iw = p.Text().Measure(items[i]).Width + 10;
      if (i == 1) canvas.Frame({x, y, x + iw, y + 19}, TColor(k.Colours.ButtonHilight & 0xFFFFFF));
      p.Text().DrawIn(canvas, {x, y, x + iw, y + 19}, items[i], TColor(k.Colours.MenuBarText & 0xFFFFFF),
                      TPreviewText::taCenter);
      x += iw;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: skinpreview SKIN_FOLDER OUT.png [FONT] [ICON.ico] [BANNER.gif]\n");
    return 2;
  }
  try {
    std::vector<uint8_t> packed = PackSkin(ReadSkinFolder(argv[1]));
    auto skin = TSkinDataLoader().Load(packed.data(), packed.size());
    if (!skin) throw std::runtime_error("the skin was refused");
    std::printf("packed skin: %zu bytes\n", packed.size());
    TPreviewText text(argc > 3 ? argv[3] : "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc", 12);
    TSkinBitmap icon = SmallIcon(argc > 4 ? ReadFile(argv[4]) : std::vector<uint8_t>{});
    TSkinBitmap banner = argc > 5 ? Banner(argv[5]) : TSkinBitmap();

    TPreviewCanvas canvas(1040, 580, 0x5A5048);
    for (int y = 0; y < canvas.Height(); ++y)  // a quiet desktop, so that cut corners show
      for (int x = 0; x < canvas.Width(); ++x)
        if ((x + y) % 24 < 2) canvas.Pixel(x, y, 0x665C54);
    TPreviewPainter painter(*skin, text, canvas, icon);
    MainWindow(painter, canvas, banner);
    ControlsWindow(painter);
    Dialogs(painter);
    CaptionButtons(painter, canvas);
    if (!canvas.SavePng(argv[2])) throw std::runtime_error(std::string("cannot write ") + argv[2]);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "skinpreview: %s\n", e.what());
    return 1;
  }
}
