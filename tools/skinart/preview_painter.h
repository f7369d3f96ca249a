// Paints windows and controls of the skin preview the way the program's skinned frame and
// control painters do: the same skin objects, frames, margins and composition routines, on
// a canvas instead of a device context. System metrics are those of Windows at 96 dpi.
#pragma once

#include <string>
#include <vector>

#include "preview_canvas.h"
#include "preview_text.h"
#include "skin/data/skin_loader.h"

struct TPreviewWindow {
  int X = 0, Y = 0;  // on the canvas
  int ClientW = 0, ClientH = 0;
  std::string Caption;
  bool Active = true;
  int BorderKind = 1;  // 0 sizeable, 1 fixed, 3 dialog
  bool MinBox = false, MaxBox = false, Maximized = false, Help = false;
  std::vector<std::string> Menu;  // menu bar items; none: no menu bar
  int HotMenu = -1;
  int HotAction = -1, DownAction = -1;  // caption button under the mouse / pressed
};

enum TPreviewState { psNormal, psHot, psDown, psFocus, psDisabled };

struct TPreviewMenuItem {
  std::string Text;  // "-" is a separator
  std::string Shortcut;
  bool Enabled = true;
};

class TPreviewPainter {
 public:
  static constexpr int kScrollArrow = 17;  // SM_CXHSCROLL
  static constexpr int kMenuHeight = 20;   // SM_CYMENU

  TPreviewPainter(const TSkinContent& skin, TPreviewText& text, TPreviewCanvas& canvas,
                  const TSkinBitmap& icon);

  // The whole frame; afterwards the canvas origin is the client area's top-left corner.
  void Window(const TPreviewWindow& w);
  void Origin(int x, int y) { canvas_.SetOrigin(x, y); }

  // Controls, in client coordinates.
  void Button(const TSkinRect& r, const std::string& caption, TPreviewState s);
  void GroupBox(const TSkinRect& r, const std::string& caption);
  void Label(int x, int y, const std::string& text, TColor colour = -1);
  void Edit(const TSkinRect& r, const std::string& text);
  void ListBox(const TSkinRect& r, const std::vector<std::string>& items, int selected, int top);
  // A bar with its thumb from `start` to `start + length` along the axis; hot part as the
  // scroll codes (0/1 arrows, 5 thumb, -1 none).
  void ScrollBar(const TSkinRect& r, bool vertical, int start, int length, int hotPart, bool pressed,
                 bool enabled = true);
  void StatusBar(const TSkinRect& r, const std::string& text);
  // check: 0 unchecked, 1 checked, 2 indeterminate
  void CheckBox(int x, int y, const std::string& caption, int check, TPreviewState s);
  void Radio(int x, int y, const std::string& caption, bool checked, TPreviewState s);
  void Combo(const TSkinRect& r, const std::string& text, TPreviewState s);
  void Tabs(const TSkinRect& r, const std::vector<std::string>& captions, int current);
  void Progress(const TSkinRect& r, int pos, int max);
  void TrackBar(const TSkinRect& r, int pos, int max, bool vertical = false);
  void Header(const TSkinRect& r, const std::vector<std::string>& captions, const std::vector<int>& widths,
              int hot);
  void UpDown(const TSkinRect& r, int hotHalf, bool pressed);
  // A popup menu with its top-left corner at (x, y) of the current origin.
  void PopupMenu(int x, int y, int width, const std::vector<TPreviewMenuItem>& items, int selected);

  TPreviewText& Text() { return text_; }
  const TSkinContent& Skin() const { return skin_; }

 private:
  void CaptionBand(const TPreviewWindow& w, int W, int capH, int bl, int br, int bk);
  bool ButtonVisible(const TDataSkinSysButton& b, const TPreviewWindow& w) const;

  const TSkinContent& skin_;
  TPreviewText& text_;
  TPreviewCanvas& canvas_;
  const TSkinBitmap& icon_;
  TSkinBitmap comboStrip_;  // the combined sunken edge and drop-down button
  int comboFrames_ = 0;
};
