// Forms: top-level windows built from a stored layout carried as a resource.
#pragma once

#include <string>

#include "framework/controls_win32.h"

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
enum TPosition { poDesigned, poDefault, poScreenCenter, poDesktopCenter, poMainFormCenter };

class TForm : public TWinControl {
  NV_CLASS(TForm)
 public:
  explicit TForm(TComponent* owner);
  ~TForm() override;

  // Reads the stored layout named after the form's class ("TFORM1") from the program's
  // resources, then runs OnCreate. Raises EResNotFound-style errors as EInvalidOperation.
  void LoadLayoutResource();
  void LoadLayoutText(const std::string& text);

  int ClientWidth() const { return clientWidth_; }
  void SetClientWidth(int v) {
    clientWidth_ = v;
    UpdateClientSize();
  }
  int ClientHeight() const { return clientHeight_; }
  void SetClientHeight(int v) {
    clientHeight_ = v;
    UpdateClientSize();
  }
  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle s) { borderStyle_ = s; }
  unsigned BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(unsigned b) { borderIcons_ = b; }
  TPosition Position() const { return position_; }
  void SetPosition(TPosition p) { position_ = p; }
  bool Scaled() const { return scaled_; }
  void SetScaled(bool v) { scaled_ = v; }

  void Show();
  void Close();
  TWinControl* ActiveControl() const { return activeControl_; }

  TNotifyEvent OnCreate;
  void SetOnCreate(TNotifyEvent e) { OnCreate = std::move(e); }

 protected:
  void WndProc(TMessage& message) override;
  void CreateParams(TCreateParams& p) override;
  void Loaded() override;
  virtual void DoCreate();

 private:
  void UpdateClientSize();
  int clientWidth_ = 0, clientHeight_ = 0;
  TFormBorderStyle borderStyle_ = bsSizeable;
  unsigned borderIcons_ = biSystemMenu | biMinimize | biMaximize;
  TPosition position_ = poDesigned;
  bool scaled_ = true;
  TWinControl* activeControl_ = nullptr;
};
