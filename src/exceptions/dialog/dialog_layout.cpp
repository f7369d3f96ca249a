#include "exceptions/dialog/dialog_layout.h"

#include <algorithm>

namespace {
TLayoutRect At(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }

// Space after the band so that its last row does not touch the window's edge.
constexpr int kBandBottomMargin = 4;
constexpr int kRowTop = 5;  // from the etched line to the first row
constexpr int kRowGap = 1;
constexpr int kItemGap = 12;  // between boxes on one row
}  // namespace

TDialogLayout LayoutErrorDialog(const TDialogMetrics& m, const TDialogLayoutState& s) {
  TDialogLayout l;
  const TDialogBoxes& b = s.boxes;
  int buttons = s.kill ? 3 : 2;
  int buttonsWidth = buttons * m.buttonWidth + (buttons - 1) * m.buttonGap;
  int row1Width = (b.send ? m.sendWidth + kItemGap : 0) + (b.copy ? m.copyWidth + kItemGap : 0) +
                  (b.supportLink ? m.linkWidth : 0);
  int row2Width = (b.screenshot ? m.screenshotIndent + m.screenshotWidth + kItemGap : 0) +
                  (b.supportLink && b.rows == 2 ? m.linkWidth : 0);
  l.minClientWidth =
      std::max({buttonsWidth, row1Width, row2Width, m.message.left - m.margin + 2 * m.buttonWidth}) +
      2 * m.margin;
  int w = std::max(s.clientWidth > 0 ? s.clientWidth : m.templateWidth, l.minClientWidth);
  l.clientWidth = w;

  l.picture = m.picture;
  int messageHeight = std::max(m.messageTextHeight, m.message.Height());
  if (m.messageMaxHeight > 0)
    messageHeight = std::min(messageHeight, std::max(m.messageMaxHeight, m.message.Height()));
  l.message = {m.message.left, m.message.top, w - m.margin, m.message.top + messageHeight};
  int contentTop = std::max(l.message.bottom, l.picture.bottom) + m.gap;

  // The band: an etched line, then one or two rows of boxes.
  int rows = b.rows;
  int needed = rows > 0 ? kRowTop + rows * m.checkHeight + (rows - 1) * kRowGap + 1 : 0;
  l.bandHeight = rows > 0 ? std::max(BottomBandHeight(rows), needed) : 0;
  int belowButtons = m.gap + (rows > 0 ? l.bandHeight + kBandBottomMargin : 0);
  int bottomPart = m.buttonHeight + belowButtons;

  int buttonsTop;
  if (s.details) {
    int tabMin = std::max(m.tabMinHeight, 1);
    l.minClientHeight = contentTop + tabMin + m.gap + bottomPart;
    int requested =
        s.clientHeight > 0 ? s.clientHeight : contentTop + m.tabDefaultHeight + m.gap + bottomPart;
    l.clientHeight = std::max(requested, l.minClientHeight);
    buttonsTop = l.clientHeight - bottomPart;
    l.tab = {m.margin, contentTop, w - m.margin, buttonsTop - m.gap};
  } else {
    buttonsTop = contentTop;
    l.clientHeight = l.minClientHeight = contentTop + bottomPart;
  }

  int x = (w - buttonsWidth) / 2;
  if (s.kill) {
    l.kill = At(x, buttonsTop, m.buttonWidth, m.buttonHeight);
    x += m.buttonWidth + m.buttonGap;
  }
  l.ok = At(x, buttonsTop, m.buttonWidth, m.buttonHeight);
  x += m.buttonWidth + m.buttonGap;
  l.details = At(x, buttonsTop, m.buttonWidth, m.buttonHeight);

  if (rows > 0) {
    int bandTop = buttonsTop + m.buttonHeight + m.gap;
    l.line = {m.margin, bandTop, w - m.margin, bandTop + 2};
    int row1 = bandTop + kRowTop, row2 = row1 + m.checkHeight + kRowGap;
    int next = m.margin;
    if (b.send) {
      l.send = At(m.margin, row1, m.sendWidth, m.checkHeight);
      next = std::max(m.copyLeft, l.send.right + kItemGap);
    }
    if (b.copy) l.copy = At(next, row1, m.copyWidth, m.checkHeight);
    if (b.screenshot)
      l.screenshot = At(m.margin + m.screenshotIndent, row2, m.screenshotWidth, m.checkHeight);
    if (b.supportLink)
      l.link = At(w - m.margin - m.linkWidth, rows == 2 ? row2 : row1, m.linkWidth, m.checkHeight);
  }
  return l;
}

TRequestLayout LayoutRequestDialog(TLayoutRect prompt, TLayoutRect edit, TLayoutRect ok, int clientHeight,
                                   int promptTextHeight) {
  int grow = std::max(0, promptTextHeight - prompt.Height());
  TRequestLayout l;
  l.prompt = {prompt.left, prompt.top, prompt.right, prompt.bottom + grow};
  l.edit = {edit.left, edit.top + grow, edit.right, edit.bottom + grow};
  l.ok = {ok.left, ok.top + grow, ok.right, ok.bottom + grow};
  l.clientHeight = clientHeight + grow;
  return l;
}
