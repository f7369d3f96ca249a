// A status bar with panels; a click anywhere on it fires OnClick.
#pragma once

#include <string>
#include <vector>

#include "framework/controls_win32.h"

struct TStatusPanel {
  int width = 50;
  std::string text;
};

class TStatusBar : public TWinControl {
  NV_CLASS(TStatusBar)
 public:
  explicit TStatusBar(TComponent* owner);
  const std::vector<TStatusPanel>& Panels() const { return panels_; }
  void SetPanels(std::vector<TStatusPanel> panels);
  void SetPanelText(size_t index, const std::string& text);

 protected:
  void WndProc(TMessage& message) override;
  void CreateParams(TCreateParams& p) override;
  void HandleCreated() override;

 private:
  void UpdatePanels();
  std::vector<TStatusPanel> panels_;
};
