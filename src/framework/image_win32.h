// Pictures: a control that shows a decoded picture, stretched to its size if asked.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/controls_win32.h"

// A decoded picture held as a 32-bit top-down DIB section.
class TPicture : public TObject {
  NV_CLASS(TPicture)
 public:
  TPicture() = default;
  ~TPicture() override;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  // Decodes GIF data (first image, transparency honoured over the background colour).
  // Raises EInvalidGraphic with giflib's reason on malformed data.
  void LoadGif(const uint8_t* data, size_t size, COLORREF background);
  std::vector<uint8_t> Data() const { return data_; }
  void SetData(const std::vector<uint8_t>& data);
  int Width() const { return width_; }
  int Height() const { return height_; }
  HBITMAP Handle() const { return bitmap_.Get(); }
  std::function<void()> OnChange;

 private:
  void Release();
  std::vector<uint8_t> data_;
  TGdiBitmap bitmap_;
  int width_ = 0, height_ = 0;
};

class TImage : public TWinControl {
  NV_CLASS(TImage)
 public:
  explicit TImage(TComponent* owner);
  TPicture* Picture() { return &picture_; }
  bool Stretch() const { return stretch_; }
  void SetStretch(bool v);

 protected:
  void WndProc(TMessage& message) override;
  void CreateParams(TCreateParams& p) override;
  void Paint(HDC dc) override;

 private:
  TPicture picture_;
  bool stretch_ = false;
  bool pressed_ = false;
};
