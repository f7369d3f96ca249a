#include "framework/status_bar_win32.h"

#include <commctrl.h>

namespace {
std::vector<TPropInfo> statusBarProps() {
  return {TPropInfo{"Panels", TPropKind::Collection, nullptr, [](TObject& o, const TPropValue& v) {
                      std::vector<TStatusPanel> panels;
                      for (const auto& item : v.items) {
                        TStatusPanel p;
                        for (const auto& [name, value] : item) {
                          if (SameText(name, "Width"))
                            p.width = static_cast<int>(value.integer);
                          else if (SameText(name, "Text"))
                            p.text = value.text;
                        }
                        panels.push_back(p);
                      }
                      static_cast<TStatusBar&>(o).SetPanels(std::move(panels));
                    }}};
}
}  // namespace

NV_DEFINE_COMPONENT(TStatusBar, TWinControl, statusBarProps)

TStatusBar::TStatusBar(TComponent* owner) : TWinControl(owner) { SetAlign(alBottom); }

void TStatusBar::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.systemClass = STATUSCLASSNAMEA;
  // The bar keeps the bounds the form gives it; no size grip on a fixed window.
  p.style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_BOTTOM;
}

void TStatusBar::SetPanels(std::vector<TStatusPanel> panels) {
  panels_ = std::move(panels);
  UpdatePanels();
}

void TStatusBar::SetPanelText(size_t index, const std::string& text) {
  if (index >= panels_.size()) return;
  panels_[index].text = text;
  UpdatePanels();
}

void TStatusBar::HandleCreated() { UpdatePanels(); }

void TStatusBar::UpdatePanels() {
  if (!HandleAllocated()) return;
  std::vector<int> edges;
  int x = 0;
  for (size_t i = 0; i < panels_.size(); ++i) {
    x += panels_[i].width;
    // The last panel runs to the end of the bar.
    edges.push_back(i + 1 == panels_.size() ? -1 : x);
  }
  if (edges.empty()) edges.push_back(-1);
  SendMessageA(Handle(), SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  for (size_t i = 0; i < panels_.size(); ++i)
    SendMessageA(Handle(), SB_SETTEXTA, i, reinterpret_cast<LPARAM>(panels_[i].text.c_str()));
}

void TStatusBar::WndProc(TMessage& m) {
  if (m.Msg == CN_NOTIFY) {
    if (reinterpret_cast<NMHDR*>(m.LParam)->code == static_cast<UINT>(NM_CLICK)) Click();
    m.Result = 0;
    return;
  }
  TWinControl::WndProc(m);
}
