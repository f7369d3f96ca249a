// The report's rich text read back through the system's rich-edit control.
#include <gtest/gtest.h>
#include <richedit.h>
#include <windows.h>

#include <string>

#include "exceptions/report/report_render.h"

namespace {

struct StreamSource {
  const std::string* text;
  size_t at = 0;
};

DWORD CALLBACK readRtf(DWORD_PTR cookie, LPBYTE buf, LONG size, LONG* got) {
  auto* s = reinterpret_cast<StreamSource*>(cookie);
  size_t n = std::min<size_t>(static_cast<size_t>(size), s->text->size() - s->at);
  memcpy(buf, s->text->data() + s->at, n);
  s->at += n;
  *got = static_cast<LONG>(n);
  return 0;
}

std::wstring wide(const std::string& gbk) {
  int n = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), w.data(), n);
  return w;
}

class RichEdit {
 public:
  RichEdit() : lib_(LoadLibraryA("riched20.dll")) {
    hwnd_ = CreateWindowExA(0, "RichEdit20A", "", WS_POPUP | ES_MULTILINE, 0, 0, 600, 400, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  }
  ~RichEdit() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (lib_) FreeLibrary(lib_);
  }
  RichEdit(const RichEdit&) = delete;
  RichEdit& operator=(const RichEdit&) = delete;
  HWND Get() const { return hwnd_; }

  void Load(const std::string& rtf) {
    StreamSource src{&rtf};
    EDITSTREAM es{};
    es.dwCookie = reinterpret_cast<DWORD_PTR>(&src);
    es.pfnCallback = readRtf;
    SendMessageA(hwnd_, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
  }
  std::wstring Text() const {
    wchar_t buf[4096] = {};
    GETTEXTEX gt{};
    gt.cb = sizeof buf;
    gt.flags = GT_USECRLF;
    gt.codepage = 1200;
    SendMessageA(hwnd_, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt), reinterpret_cast<LPARAM>(buf));
    return buf;
  }
  // The character format at one character position.
  CHARFORMAT2A FormatAt(LONG pos) const {
    CHARRANGE r{pos, pos + 1};
    SendMessageA(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
    CHARFORMAT2A cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_BOLD | CFM_COLOR;
    SendMessageA(hwnd_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    return cf;
  }

 private:
  HMODULE lib_;
  HWND hwnd_ = nullptr;
};

TEST(RichText, RichEditReadsBackMarkupCharactersAndGbkText) {
  RichEdit edit;
  ASSERT_TRUE(edit.Get());
  // GBK characters whose second byte is "\", "{" and "}", beside the markup characters.
  const std::string text =
      "Title \\ {x}:\r\n"
      "------------\r\n"
      "  1.1 Label: back\\slash {braces} 癨皗皚设置\r\n"
      " next: line\r\n"
      "EAX: 0000ABCD   EDI: 00000002\r\n";
  edit.Load(ReportRichText(text));
  const std::wstring got = edit.Text();
  const std::wstring want = wide(
      "Title \\ {x}:\r\n"
      "------------\r\n"
      "  1.1 Label:\tback\\slash {braces} 癨皗皚设置\r\n"
      "\tnext: line\r\n"
      "EAX: 0000ABCD   EDI: 00000002");
  EXPECT_EQ(got.substr(0, want.size()), want);
  EXPECT_EQ(got.find(L'?'), std::wstring::npos);

  // Title bold in colour 1, label bold in colour 3, value plain in colour 2.
  CHARFORMAT2A title = edit.FormatAt(0);
  EXPECT_TRUE(title.dwEffects & CFE_BOLD);
  EXPECT_EQ(title.crTextColor, RGB(0, 100, 100));
  LONG label = static_cast<LONG>(got.find(L"Label"));
  CHARFORMAT2A lf = edit.FormatAt(label);
  EXPECT_TRUE(lf.dwEffects & CFE_BOLD);
  EXPECT_EQ(lf.crTextColor, RGB(40, 40, 40));
  CHARFORMAT2A vf = edit.FormatAt(static_cast<LONG>(got.find(L"back")));
  EXPECT_FALSE(vf.dwEffects & CFE_BOLD);
  EXPECT_EQ(vf.crTextColor, RGB(0, 0, 0));
}

}  // namespace
