#include "skin/forms/frame_metrics.h"

#include "skin/data/skin_data.h"

TFrameMetrics ComputeFrameMetrics(const TSkinData& skinData, int borderKind) {
  TFrameMetrics m;
  if (!skinData.SkinLoaded() || borderKind == bkNoCaption) return m;
  const TSkinContent& c = skinData.Content();
  auto frames = [](const TDataSkinObject& o) { return o.Frame < 1 ? 1 : o.Frame; };
  m.CaptionHeight = c.Top->Image.Height() / frames(*c.Top);
  m.BorderLeft = c.Left->Image.Width() / frames(*c.Left);
  m.BorderRight = c.Right->Image.Width() / frames(*c.Right);
  m.BorderBottom = c.Bottom->Image.Height() / frames(*c.Bottom);
  return m;
}
