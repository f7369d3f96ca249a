// The framework's own message window: caption, a text label and buttons, shown modally.
#pragma once

#include <string>
#include <vector>

#include "framework/forms_win32.h"

class TLabel;
class TButton;

class TMessageForm : public TForm {
  NV_CLASS(TMessageForm)
 public:
  explicit TMessageForm(TComponent* owner);
  // Lays out the text and one button per caption; ShowModal returns the index of the
  // button pressed (-1 when closed otherwise).
  void Setup(const std::string& caption, const std::string& text, const std::vector<std::string>& buttons);
  int ShowModal();

 protected:
  void WndProc(TMessage& message) override;

 private:
  TLabel* message_ = nullptr;
  std::vector<TButton*> buttons_;
  int result_ = -1;
  bool done_ = false;
};
