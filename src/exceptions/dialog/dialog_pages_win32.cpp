#include "exceptions/dialog/dialog_pages_win32.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>

#include "exceptions/dialog/custom_look_win32.h"
#include "exceptions/dialog/dialog_ids.h"
#include "exceptions/dialog/rtf_text.h"
#include "exceptions/dialog/source_message_win32.h"
#include "exceptions/options/module_options.h"

namespace {
const char* TemplateOf(TDialogPageKind page) {
  switch (page) {
    case dpGeneral: return "QL_TAB_GENERAL";
    case dpCallStack: return "QL_TAB_CALLSTACK";
    case dpModules: return "QL_TAB_MODULESLIST";
    case dpCpu: return "QL_TAB_CPU";
    default: return "QL_TAB_CUSTOMDATA";
  }
}

struct TStreamSource {
  const std::string* text;
  size_t pos;
};

DWORD CALLBACK ReadStream(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read) {
  auto* s = reinterpret_cast<TStreamSource*>(cookie);
  size_t n = std::min(static_cast<size_t>(size > 0 ? size : 0), s->text->size() - s->pos);
  std::memcpy(buffer, s->text->data() + s->pos, n);
  s->pos += n;
  *read = static_cast<LONG>(n);
  return 0;
}

constexpr COLORREF kCustomFace = TCustomLook::kFace;

std::string ProgramFileName() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  return path;
}
}  // namespace

bool StreamRichText(HWND edit, const std::string& rtf) {
  TStreamSource source{&rtf, 0};
  EDITSTREAM es{};
  es.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
  es.pfnCallback = ReadStream;
  SendMessageA(edit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
  return es.dwError == 0 && GetWindowTextLengthA(edit) > 0;
}

TDialogPage::TDialogPage(const TPageContext& context, const TDialogTab& tab) : context_(context), tab_(tab) {}

TDialogPage::~TDialogPage() {
  list_.reset();  // before the window: it detaches from the items
  if (page_) DestroyWindow(page_);
}

bool TDialogPage::Create(HWND dialog) {
  page_ = CreateDialogParamA(context_.resources, TemplateOf(tab_.page), dialog, Proc,
                             reinterpret_cast<LPARAM>(this));
  if (!page_) return false;
  SetDlgItemTextA(page_, QL_ID_PAGE_TITLE,
                  context_.input->options.texts[static_cast<size_t>(tab_.titleIndex)].c_str());
  Fill();
  return true;
}

HWND TDialogPage::Content() const { return page_ ? GetDlgItem(page_, QL_ID_PAGE_CONTENT) : nullptr; }

void TDialogPage::SetBounds(const RECT& r) {
  SetWindowPos(page_, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
}

void TDialogPage::Show(bool show) { ShowWindow(page_, show ? SW_SHOWNA : SW_HIDE); }

void TDialogPage::Fill() {
  const TErrorDialogInput& in = *context_.input;
  switch (tab_.page) {
    case dpGeneral: FillRichText(in.generalRtf); break;
    case dpCpu: FillRichText(in.cpuRtf); break;
    case dpCallStack: FillStack(); break;
    case dpModules: FillModules(); break;
    case dpOther: {
      std::string text;
      for (const std::string& line : in.customData) text += line + "\r\n";
      SetWindowTextA(Content(), text.c_str());
      break;
    }
  }
}

void TDialogPage::FillRichText(const std::string& rtf) {
  HWND edit = Content();
  if (edit && !context_.richEditClass.empty()) {
    SendMessageA(edit, EM_SETEVENTMASK, 0, 0);
    if (StreamRichText(edit, rtf)) return;
  }
  // No rich edit: the same text, plain, in an edit where the rich edit would stand.
  if (!edit) {
    RECT r{QL_PAGE_X, QL_PAGE_Y, QL_PAGE_X + QL_PAGE_W, QL_PAGE_Y + QL_RICH_CONTENT_H};
    MapDialogRect(page_, &r);
    edit =
        CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                            ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                        r.left, r.top, r.right - r.left, r.bottom - r.top, page_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(QL_ID_PAGE_CONTENT)), nullptr, nullptr);
    SendMessageA(edit, WM_SETFONT, SendMessageA(page_, WM_GETFONT, 0, 0), FALSE);
  }
  SetWindowTextA(edit, RtfToPlainText(rtf).c_str());
}

void TDialogPage::FillStack() {
  const TErrorDialogInput& in = *context_.input;
  const TCustomizedTexts& t = in.options.texts;
  list_ = std::make_unique<TOwnerDrawList>(Content(), items_, context_.rowPictures);
  list_->SetColumns({t[62], t[63], t[64], t[65], t[66], t[67]},
                    {context_.stackColumns.begin(), context_.stackColumns.end()});
  list_->OnActivate = [this](int item) { Activate(item); };
  bool offsets = (in.options.stackFlags & skLineOffsets) != 0;
  items_.BeginUpdate();
  for (const TDialogThread& thread : in.threads) {
    bool captioned = false;
    for (const TDialogStackEntry& e : thread.entries) {
      if (!StackEntryShown(e, in.options.stackFlags)) continue;
      if (!captioned) {
        items_.Add({0, diNone, {thread.caption}, -1, true});
        captioned = true;
      }
      auto cols = StackColumns(e, offsets);
      entries_.push_back(&e);
      items_.Add({1, e.image, {cols.begin(), cols.end()}, static_cast<intptr_t>(entries_.size() - 1), true});
    }
  }
  items_.EndUpdate();
}

void TDialogPage::FillModules() {
  const TErrorDialogInput& in = *context_.input;
  const TCustomizedTexts& t = in.options.texts;
  list_ = std::make_unique<TOwnerDrawList>(Content(), items_, context_.rowPictures);
  list_->SetGrouped(false);
  list_->SetColumns({t[84], t[85], t[86], t[87], t[88], t[89], t[90]},
                    {context_.moduleColumns.begin(), context_.moduleColumns.end()});
  items_.BeginUpdate();
  for (size_t i = 0; i < in.modules.size(); ++i) {
    const TDialogModule& m = in.modules[i];
    items_.Add({1, m.image, {m.columns.begin(), m.columns.end()}, static_cast<intptr_t>(i), true});
  }
  items_.EndUpdate();
}

void TDialogPage::Activate(int item) {
  intptr_t param = items_.Param(item);
  if (param >= 0 && static_cast<size_t>(param) < entries_.size() &&
      entries_[static_cast<size_t>(param)]->line != 0) {
    const TDialogStackEntry& e = *entries_[static_cast<size_t>(param)];
    SendSourceMessage(e, e.modulePath.empty() ? ProgramFileName() : e.modulePath);
    return;
  }
  int group = items_.GroupOf(item);
  if (group < 0 || !items_.ToggleGroup(group)) return;
  int at = items_.RowOfItem(group);
  HWND list = Content();
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemState(list, at, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void TDialogPage::Relayout() {
  RECT client;
  GetClientRect(page_, &client);
  RECT du{QL_PAGE_X, QL_PAGE_Y, QL_PAGE_X, 3};  // margin, content top, -, title top
  MapDialogRect(page_, &du);
  int margin = du.left, top = du.top;
  HWND title = GetDlgItem(page_, QL_ID_PAGE_TITLE);
  RECT tr;
  GetWindowRect(title, &tr);
  SetWindowPos(title, nullptr, margin, du.bottom, client.right - 2 * margin, tr.bottom - tr.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  if (HWND content = Content())
    SetWindowPos(content, nullptr, margin, top, client.right - 2 * margin, client.bottom - top - margin,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK TDialogPage::Proc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam) {
  try {
    if (msg == WM_INITDIALOG) {
      SetWindowLongPtrA(w, DWLP_USER, lParam);
      reinterpret_cast<TDialogPage*>(lParam)->page_ = w;
    }
    if (msg == WM_MEASUREITEM) {
      // Asked while the page's controls are made, before WM_INITDIALOG: the row height comes
      // from the page's font alone.
      auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      HDC dc = GetDC(w);
      TEXTMETRICA tm{};
      {
        TDcSelection keep(dc, reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)));
        GetTextMetricsA(dc, &tm);
      }
      ReleaseDC(w, dc);
      mi->itemHeight = static_cast<UINT>(std::max<LONG>(18, tm.tmHeight + 5));
      SetWindowLongPtrA(w, DWLP_MSGRESULT, TRUE);
      return TRUE;
    }
    auto* self = reinterpret_cast<TDialogPage*>(GetWindowLongPtrA(w, DWLP_USER));
    return self ? self->Handle(msg, wParam, lParam) : FALSE;
  } catch (...) {
    return FALSE;  // nothing may leave a dialog procedure
  }
}

INT_PTR TDialogPage::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: return FALSE;
    case WM_SIZE: Relayout(); return TRUE;
    case WM_DRAWITEM:
      if (list_ && list_->OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) {
        SetWindowLongPtrA(page_, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      return FALSE;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (list_ && list_->OnNotify(*reinterpret_cast<const NMHDR*>(lParam), &result)) {
        SetWindowLongPtrA(page_, DWLP_MSGRESULT, result);
        return TRUE;
      }
      return FALSE;
    }
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      if (msg == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lParam) == Content()) {
        // A read-only edit would be grey; the report reads better on white, like the lists.
        SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
        return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
      }
      if (!context_.background) return FALSE;
      SetBkColor(reinterpret_cast<HDC>(wParam), kCustomFace);
      return reinterpret_cast<INT_PTR>(context_.background);
    default: return FALSE;
  }
}
