// Where the error dialog's controls go, in pixels, with the details shown and hidden.
//
// Collapsed: the picture and the message, one row of buttons centred below it, the bottom
// band with the check boxes and the support link. Expanded: the tab control between the
// message and the buttons takes all the height the window is given.
#pragma once

#include "exceptions/dialog/dialog_model.h"

struct TLayoutRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
  bool operator==(const TLayoutRect&) const = default;
};

// Sizes taken from the dialog template (mapped to pixels) and from the fonts.
struct TDialogMetrics {
  int templateWidth = 0;      // client width of the template
  int margin = 0;             // left and right margin
  int gap = 0;                // vertical space between blocks
  TLayoutRect picture;        // where the "QL_Error" picture is painted
  TLayoutRect message;        // the message area as the template places it
  int messageTextHeight = 0;  // what the message needs at the width it gets (0: the template's)
  int messageMaxHeight = 0;   // a longer message is cut there (0: no limit)
  int buttonWidth = 0, buttonHeight = 0, buttonGap = 0;
  int checkHeight = 0;
  int sendWidth = 0, screenshotWidth = 0, copyWidth = 0, linkWidth = 0;
  int screenshotIndent = 0;  // the screenshot box stands under the send box's text
  int copyLeft = 0;          // the copy box's left edge on the first row beside the send box
  int tabDefaultHeight = 0;  // the tab control's height in the template
  int tabMinHeight = 0;
};

struct TDialogLayoutState {
  bool details = false;
  bool kill = true;  // the terminate button is shown
  TDialogBoxes boxes;
  int clientWidth = 0;   // 0: the template's
  int clientHeight = 0;  // with details: the height the window is given (0: the template's)
};

struct TDialogLayout {
  TLayoutRect picture, message, tab, kill, ok, details, line, send, screenshot, copy, link;
  int clientWidth = 0, clientHeight = 0;
  int minClientWidth = 0, minClientHeight = 0;
  int bandHeight = 0;
};

TDialogLayout LayoutErrorDialog(const TDialogMetrics& m, const TDialogLayoutState& s);

// The request dialog grows by what the prompt needs beyond the template's line.
struct TRequestLayout {
  TLayoutRect prompt, edit, ok;
  int clientHeight = 0;
};
TRequestLayout LayoutRequestDialog(TLayoutRect prompt, TLayoutRect edit, TLayoutRect ok, int clientHeight,
                                   int promptTextHeight);
