// The standard controls the program's windows use.
#pragma once

#include <string>
#include <vector>

#include "framework/controls_win32.h"

// A text label: a real child window, so its text answers WM_GETTEXT like any other.
class TLabel : public TWinControl {
  NV_CLASS(TLabel)
 public:
  explicit TLabel(TComponent* owner);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v) { transparent_ = v; }

 protected:
  void WndProc(TMessage& message) override;
  void CreateParams(TCreateParams& p) override;
  void TextChanged() override;
  void FontChanged() override;
  void Loaded() override;

 private:
  void AdjustSize();
  bool autoSize_ = true;
  bool transparent_ = false;
};

class TEdit : public TWinControl {
  NV_CLASS(TEdit)
 public:
  explicit TEdit(TComponent* owner);
  TNotifyEvent OnChange;
  void SetOnChange(TNotifyEvent e) { OnChange = std::move(e); }

 protected:
  void WndProc(TMessage& message) override;
  void CreateParams(TCreateParams& p) override;
};

class TButton : public TWinControl {
  NV_CLASS(TButton)
 public:
  explicit TButton(TComponent* owner);

 protected:
  void WndProc(TMessage& message) override;
  void CreateParams(TCreateParams& p) override;
};

class TGroupBox : public TWinControl {
  NV_CLASS(TGroupBox)
 public:
  explicit TGroupBox(TComponent* owner);

 protected:
  void WndProc(TMessage& message) override;
  void CreateParams(TCreateParams& p) override;
};

class TListBox;

// The lines of a list box; kept in the object and mirrored into the window.
class TListBoxStrings : public TObject {
  NV_CLASS(TListBoxStrings)
 public:
  explicit TListBoxStrings(TListBox& owner) : owner_(owner) {}
  int Count() const { return static_cast<int>(lines_.size()); }
  const std::string& operator[](int i) const;
  int Add(const std::string& s);
  void Delete(int i);  // raises EListError for a bad index
  void Clear();
  void Assign(const std::vector<std::string>& lines);
  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  friend class TListBox;
  TListBox& owner_;
  std::vector<std::string> lines_;
};

class TListBox : public TWinControl {
  NV_CLASS(TListBox)
 public:
  explicit TListBox(TComponent* owner);
  ~TListBox() override;
  TListBoxStrings* Items() { return items_.get(); }
  int ItemIndex();
  void SetItemIndex(int i);
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int h) { itemHeight_ = h; }

 protected:
  void WndProc(TMessage& message) override;
  void CreateParams(TCreateParams& p) override;
  void HandleCreated() override;

 private:
  friend class TListBoxStrings;
  std::unique_ptr<TListBoxStrings> items_;
  int itemHeight_ = 13;
  int pendingIndex_ = -1;
};
