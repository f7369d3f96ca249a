// The report's screenshot (Windows): captured right after the exception, before the error
// dialog appears, and saved as "Screenshot.png" when the user keeps it.
#pragma once

#include <windows.h>

#include <string>

#include "exceptions/encode/octree.h"

class TScreenshot {
 public:
  // Captures the foreground window (activeWindowOnly) or the monitor that holds it, marks
  // errorDialog (screen coordinates, may be null) with a double red frame and draws the mouse
  // cursor. Returns false when nothing could be captured; the report goes on without it.
  bool Capture(bool activeWindowOnly, const RECT* errorDialog);
  // The working part, with every input given: the screen area, the dialog rectangle and the
  // cursor (null: none) with its position in screen coordinates.
  bool CaptureArea(const RECT& area, const RECT* errorDialog, HCURSOR cursor, POINT cursorPos);
  // Writes the PNG file; raises on failure.
  void Save(const std::string& path) const;
  void Free();

  bool Captured() const { return !image_.pixels.empty(); }
  // Rows top to bottom; the width is the captured width rounded up to a multiple of 4.
  const TBgraImage& Image() const { return image_; }
  // The screen position of the image's top-left pixel.
  POINT Origin() const { return origin_; }

 private:
  TBgraImage image_;
  POINT origin_{0, 0};
};
