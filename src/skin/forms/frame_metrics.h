// The widths of a skinned frame, from the skin's border pictures.
#pragma once

class TSkinData;

enum TBorderKind { bkSizeable = 0, bkFixed = 1, bkNoCaption = 2, bkDialog = 3 };

// The four frame metrics and the menu band, in pixels.
struct TFrameMetrics {
  int BorderLeft = 0, CaptionHeight = 0, BorderRight = 0, BorderBottom = 0, MenuHeight = 0;
  bool operator==(const TFrameMetrics&) const = default;
};

// One frame of each border picture: the top picture's height is the caption height, the
// bottom's the bottom border, the left and right pictures' widths the side borders. All zero
// for a window without caption (bkNoCaption) and while the skin data holds no skin.
TFrameMetrics ComputeFrameMetrics(const TSkinData& skinData, int borderKind);
