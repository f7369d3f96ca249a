// Control painters with real windows under Wine: which painter each control of a form gets,
// the order in which a painter, the control and its chain see messages, detaching in and
// out of order, and the push button's mouse and keyboard rules.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "framework/application_win32.h"
#include "framework/forms_win32.h"
#include "framework/status_bar_win32.h"
#include "framework/std_controls_win32.h"
#include "skin/controls/attach_controls_win32.h"
#include "skin/controls/prop_access.h"
#include "skin/controls/skin_painters_win32.h"
#include "skin/data/skin_data.h"
#include "skin/forms/skin_manage_win32.h"
#include "skin/forms/skin_messages.h"
#include "win32/skin/skin_test_support.h"
#include "win32/test_files.h"

namespace {

LRESULT IsSkinned(HWND w) { return SendMessageA(w, XM_ISSKINNED, 0, 0); }

// A painter that writes down what it sees, before and after the control.
class TRecorder : public TSkinControl {
 public:
  TRecorder(TComponent* owner, std::vector<std::string>& log, std::string name)
      : TSkinControl(owner), log_(log), name_(std::move(name)) {}
  bool BeforeMessage(TMessage& m) override {
    if (m.Msg == WM_USER + 1) log_.push_back(name_ + " before");
    if (m.Msg == WM_USER + 2) {
      log_.push_back(name_ + " keeps");
      m.Result = 77;
      return false;
    }
    return TSkinControl::BeforeMessage(m);
  }
  void AfterMessage(TMessage& m) override {
    if (m.Msg == WM_USER + 1) log_.push_back(name_ + " after");
    TSkinControl::AfterMessage(m);
  }
  std::vector<std::string>& log_;
  std::string name_;
};

class SkinControlsTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { app = new TApplication(nullptr); }
  static void TearDownTestSuite() {
    delete app;
    app = nullptr;
  }
  void SetUp() override {
    std::string bytes = ReadBytes(std::string("Z:") + NV_BINARY_DIR + "/src/app/netvosk-skin.stream");
    ASSERT_GT(bytes.size(), 4u) << "netvosk-skin.stream not built";
    data = new TSkinData(nullptr);
    data->SetSkinStream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    ASSERT_TRUE(data->SkinLoaded());
    data->SetSkinControls(DefaultSkinControls());
    form = new TForm(nullptr);
    form->SetBounds(30, 30, 420, 260);
    form->SetCaption("painters");
  }
  void TearDown() override {
    DetachSkinControls(this);
    delete form;
    delete data;
  }
  template <class T>
  T* Add(TWinControl* parent, int x, int y, int w, int h, const std::string& caption = "") {
    auto* c = new T(form);
    c->SetParent(parent);
    c->SetBounds(x, y, w, h);
    if (!caption.empty()) c->SetCaption(caption);
    return c;
  }
  void MakeMainWindowLike() {
    box1 = Add<TGroupBox>(form, 0, 0, 120, 200, "IP列表");
    list = Add<TListBox>(box1, 2, 14, 116, 180);
    box2 = Add<TGroupBox>(form, 122, 0, 290, 180);
    edit = Add<TEdit>(box2, 60, 20, 200, 20);
    inner = Add<TButton>(box2, 100, 140, 70, 23, "删除");
    label = Add<TLabel>(box2, 8, 22, 40, 14, "IP名称");
    save = Add<TButton>(form, 180, 140, 70, 23, "保存");  // over box2, as in the main window
    bar = Add<TStatusBar>(form, 0, 210, 420, 19);
    bar->SetPanels({{50, "欢迎"}});
  }
  void Show() {
    form->Show();
    ShowWindow(form->Handle(), SW_SHOWNORMAL);
    Pump(50);
  }
  void Attach() { AttachSkinControls(this, data, form->Handle(), form); }

  static inline TApplication* app = nullptr;
  TSkinData* data = nullptr;
  TForm* form = nullptr;
  TGroupBox *box1 = nullptr, *box2 = nullptr;
  TListBox* list = nullptr;
  TEdit* edit = nullptr;
  TButton *inner = nullptr, *save = nullptr;
  TLabel* label = nullptr;
  TStatusBar* bar = nullptr;
};

TEST_F(SkinControlsTest, EachControlGetsItsPainterOnce) {
  MakeMainWindowLike();
  auto* tagged = Add<TButton>(form, 300, 185, 60, 20, "tag");
  tagged->SetTag(data->DisableTag());
  Show();
  Attach();
  TSkinPainters* list_ = SkinPaintersOf(this);
  ASSERT_TRUE(list_);
  EXPECT_TRUE(dynamic_cast<TSkinButton*>(FindPainter(save->Handle())));
  EXPECT_TRUE(dynamic_cast<TSkinButton*>(FindPainter(inner->Handle())));
  EXPECT_TRUE(dynamic_cast<TSkinGroupBox*>(FindPainter(box1->Handle())));
  EXPECT_TRUE(dynamic_cast<TSkinGroupBox*>(FindPainter(box2->Handle())));
  EXPECT_TRUE(dynamic_cast<TSkinStatusBar*>(FindPainter(bar->Handle())));
  // Edits and list boxes are mapped to painters that do not exist yet; labels to none.
  for (TWinControl* c : std::initializer_list<TWinControl*>{edit, list, label, tagged}) {
    EXPECT_FALSE(FindPainter(c->Handle())) << c->ClassName();
    EXPECT_EQ(IsSkinned(c->Handle()), 0) << c->ClassName();
  }
  for (TWinControl* c : std::initializer_list<TWinControl*>{save, inner, box1, box2, bar})
    EXPECT_EQ(IsSkinned(c->Handle()), 1) << c->ClassName();
  EXPECT_EQ(list_->Items().size(), 5u);
  // Attaching again (a re-applied skin) gives no control a second painter.
  Attach();
  ReapplySkinControls(this);
  EXPECT_EQ(list_->Items().size(), 5u);
  // The painter is owned by its control and goes with it.
  delete save;
  save = nullptr;
  EXPECT_EQ(list_->Items().size(), 4u);
  // Detaching gives every control its own procedure back.
  DetachSkinControls(this);
  EXPECT_FALSE(SkinPaintersOf(this));
  EXPECT_EQ(IsSkinned(inner->Handle()), 0);
  EXPECT_FALSE(FindPainter(box2->Handle()));
  EXPECT_EQ(inner->ComponentCount(), 0);
}

// A control whose window is made anew gets a fresh painter; the old one, left inactive by
// the old window's end, goes.
TEST_F(SkinControlsTest, ARecreatedWindowIsAttachedAfresh) {
  MakeMainWindowLike();
  Show();
  Attach();
  TSkinControl* old = FindPainter(save->Handle());
  ASSERT_TRUE(old);
  save->DestroyHandle();
  EXPECT_FALSE(old->Active());
  HWND fresh = save->Handle();
  EXPECT_EQ(IsSkinned(fresh), 0);
  SkinControlRecreated(this, fresh);
  EXPECT_EQ(IsSkinned(fresh), 1);
  EXPECT_TRUE(dynamic_cast<TSkinButton*>(FindPainter(fresh)));
  EXPECT_EQ(save->ComponentCount(), 1);
  EXPECT_EQ(SkinPaintersOf(this)->Items().size(), 5u);
}

TEST_F(SkinControlsTest, GatesAndTheProgramsOwnPainters) {
  MakeMainWindowLike();
  Show();
  TSkinControls controls = DefaultSkinControls();
  controls.Exclude(xcButton);
  controls.Exclude(xcStatusBar);
  data->SetSkinControls(controls);
  TSkinControl* mine = nullptr;
  int asked = 0;
  data->OnSkinControl = [&](TObject*, TSkinData*, TComponent*, TComponent* control, const std::string& cls,
                            TObject*& painter) {
    ++asked;
    if (cls == "TGROUPBOX" && control == box1) painter = mine = new TSkinStatusBar(control);
  };
  Attach();
  EXPECT_GT(asked, 0);
  EXPECT_FALSE(FindPainter(save->Handle()));
  EXPECT_FALSE(FindPainter(bar->Handle()));
  EXPECT_EQ(FindPainter(box1->Handle()), mine);  // the program's choice stands
  EXPECT_TRUE(dynamic_cast<TSkinGroupBox*>(FindPainter(box2->Handle())));
  // Skin3rd decides alone: an unknown kind leaves a group box unskinned.
  DetachSkinControls(this);
  data->OnSkinControl = nullptr;
  data->SetSkinControls(DefaultSkinControls());
  data->SetSkin3rd({"TGroupBox=nothing-we-know"});
  Attach();
  EXPECT_FALSE(FindPainter(box2->Handle()));
  EXPECT_TRUE(FindPainter(save->Handle()));
}

TEST_F(SkinControlsTest, MessagesRunBeforeAndAfterTheControl) {
  auto* b = Add<TButton>(form, 10, 10, 80, 24, "b");
  std::vector<std::string> log;
  // A handler of the control's own chain, entered before the painters.
  TMessageChainEntry own = b->EnterMessageChain([&](TMessage& m, const TMessageNext& next) {
    if (m.Msg == WM_USER + 1 || m.Msg == WM_USER + 2) log.push_back("control");
    next(m);
  });
  TSkinPainters painters(data, form->Handle(), form);
  auto* first = new TRecorder(b, log, "first");
  first->Attach(&painters, data, false);
  auto* second = new TRecorder(b, log, "second");
  second->Attach(&painters, data, false);
  first->Attach(&painters, data, false);  // a second call changes nothing
  SendMessageA(b->Handle(), WM_USER + 1, 0, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"second before", "first before", "control", "first after",
                                           "second after"}));
  log.clear();
  EXPECT_EQ(SendMessageA(b->Handle(), WM_USER + 2, 0, 0), 77);
  EXPECT_EQ(log, (std::vector<std::string>{"second keeps"}));
  // Switched off, a painter lets everything through untouched.
  log.clear();
  SendMessageA(b->Handle(), XM_SKINACTIVE, 0, 0);
  SendMessageA(b->Handle(), WM_USER + 1, 0, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"first before", "control", "first after"}));
  SendMessageA(b->Handle(), XM_SKINACTIVE, 1, 0);
  // Out of order: the first painter goes while the second stays.
  log.clear();
  first->Release();
  SendMessageA(b->Handle(), WM_USER + 1, 0, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"second before", "control", "second after"}));
  EXPECT_EQ(painters.Items().size(), 1u);
  second->Release();
  EXPECT_EQ(IsSkinned(b->Handle()), 0);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  SendMessageA(b->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  SetWindowTextA(b->Handle(), "still");
  EXPECT_EQ(b->Caption(), "still");
}

TEST_F(SkinControlsTest, RawWindowsAreSubclassedAndLetGoInAnyOrder) {
  HWND w = CreateWindowExA(0, "BUTTON", "raw", WS_POPUP | BS_PUSHBUTTON, 0, 0, 60, 20, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  const LONG_PTR proc = GetWindowLongPtrA(w, GWLP_WNDPROC);
  TSkinPainters painters(data, nullptr, nullptr);
  auto* a = new TSkinButton(nullptr);
  a->AttachHandle(w, data, &painters);
  auto* b = new TSkinGroupBox(nullptr);
  b->AttachHandle(w, data, &painters);
  EXPECT_EQ(a->FCaption, "raw");
  EXPECT_EQ(IsSkinned(w), 1);
  a->Release();  // the one underneath goes first
  EXPECT_EQ(IsSkinned(w), 1);
  b->Release();
  EXPECT_EQ(IsSkinned(w), 0);
  EXPECT_EQ(GetWindowLongPtrA(w, GWLP_WNDPROC), proc);
  char text[16] = {};
  GetWindowTextA(w, text, sizeof text);
  EXPECT_STREQ(text, "raw");
  // A window destroyed while hooked: the painter steps aside and keeps its hands off.
  auto* c = new TSkinButton(nullptr);
  c->AttachHandle(w, data, &painters);
  DestroyWindow(w);
  EXPECT_EQ(c->Stage(), 6);
  EXPECT_FALSE(c->Active());
  EXPECT_FALSE(FindPainter(w));
  painters.Clear();
}

TEST_F(SkinControlsTest, ButtonClicksFollowPressAndRelease) {
  MakeMainWindowLike();
  Show();
  Attach();
  int clicks = 0;
  save->OnClick = [&](TObject*) { ++clicks; };
  Pump(30);
  HWND h = save->Handle();
  auto* p = dynamic_cast<TSkinButton*>(FindPainter(h));
  ASSERT_TRUE(p);
  const LPARAM inside = MAKELPARAM(10, 10);
  SendMessageA(h, WM_MOUSEMOVE, 0, inside);
  EXPECT_EQ(p->LastStateIndex(), 4);  // hot
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, inside);
  EXPECT_EQ(p->LastStateIndex(), 2);  // pressed, drawn at once
  EXPECT_EQ(GetFocus(), h);
  EXPECT_EQ(GetCapture(), nullptr);  // the button itself never saw the press
  SendMessageA(h, WM_LBUTTONUP, 0, inside);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(p->LastStateIndex(), 4);
  // Press, leave, release: no click.
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, inside);
  SendMessageA(h, WM_MOUSELEAVE, 0, 0);
  SendMessageA(h, WM_LBUTTONUP, 0, inside);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(p->LastStateIndex(), 5);  // focused, neither hot nor pressed
  // A release that began elsewhere is no click.
  SendMessageA(h, WM_LBUTTONUP, 0, inside);
  EXPECT_EQ(clicks, 1);
  // Space goes through the button itself: one click.
  SendMessageA(h, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(p->LastStateIndex(), 2);
  SendMessageA(h, WM_KEYUP, VK_SPACE, 0);
  Pump(20);
  EXPECT_EQ(clicks, 2);
  // Disabled: the disabled frame, also under the mouse.
  EnableWindow(h, FALSE);
  SendMessageA(h, WM_MOUSEMOVE, 0, inside);
  EXPECT_EQ(p->LastStateIndex(), 3);
  EnableWindow(h, TRUE);
  EXPECT_NE(p->LastStateIndex(), 3);
}

// The system button draws state changes through a DC of its own; the skinned face must be
// back on the window right after each.
TEST_F(SkinControlsTest, SystemDrawingOutsidePaintIsCoveredAgain) {
  MakeMainWindowLike();
  Show();
  Attach();
  HWND h = save->Handle();
  auto* p = dynamic_cast<TSkinButton*>(FindPainter(h));
  ASSERT_TRUE(p);
  // The whole face, pixel by pixel.
  auto edgePixel = [&] {
    RECT r{};
    GetWindowRect(h, &r);
    HDC dc = GetWindowDC(h);
    std::vector<COLORREF> face;
    for (int y = 0; y < r.bottom - r.top; ++y)
      for (int x = 0; x < r.right - r.left; ++x) face.push_back(GetPixel(dc, x, y));
    ReleaseDC(h, dc);
    return face;
  };
  SendMessageA(h, WM_MOUSELEAVE, 0, 0);
  Pump(20);
  const std::vector<COLORREF> skinned = edgePixel();
  for (UINT msg : {UINT(BM_SETSTATE), UINT(BM_SETSTYLE), UINT(WM_UPDATEUISTATE)}) {
    SendMessageA(h, msg, msg == BM_SETSTYLE ? BS_DEFPUSHBUTTON : 0, msg == BM_SETSTYLE ? TRUE : 0);
    EXPECT_EQ(edgePixel(), skinned) << std::hex << msg;
  }
  SendMessageA(h, XM_SKINACTIVE, 0, 0);
  Pump(20);
  EXPECT_NE(edgePixel(), skinned);  // the system's look
  SendMessageA(h, XM_SKINACTIVE, 1, 0);
  EXPECT_EQ(edgePixel(), skinned);
}

// "保存" lies over the group box; a paint of the box into a DC that does not leave out its
// siblings (a DC handed in with WM_PAINT) must not cover the button.
TEST_F(SkinControlsTest, AGroupBoxNeverPaintsOverAButtonAboveIt) {
  MakeMainWindowLike();
  Show();
  Attach();
  Pump(30);
  auto row = [&] {
    HDC dc = GetWindowDC(save->Handle());
    std::vector<COLORREF> r;
    for (int x = 4; x < 60; ++x) r.push_back(GetPixel(dc, x, 0));
    ReleaseDC(save->Handle(), dc);
    return r;
  };
  const std::vector<COLORREF> before = row();
  // The form's DC without its children left out, moved to the box.
  HDC dc = GetDCEx(form->Handle(), nullptr, DCX_CACHE);
  ASSERT_TRUE(dc);
  POINT at{0, 0};
  MapWindowPoints(box2->Handle(), form->Handle(), &at, 1);
  SetViewportOrgEx(dc, at.x, at.y, nullptr);
  SendMessageA(box2->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  ReleaseDC(form->Handle(), dc);
  EXPECT_EQ(row(), before);
}

TEST_F(SkinControlsTest, ColoursAndPropertiesComeBackOnDetach) {
  auto* b = Add<TGroupBox>(form, 0, 0, 100, 100, "g");
  b->SetColor(0x123456);
  TSkinPainters painters(data, form->Handle(), form);
  auto* box = new TSkinBox(b);
  box->Attach(&painters, data, true);
  EXPECT_EQ(b->Color(), TColor(data->Content().Colours.ButtonFace & 0xFFFFFF));
  EXPECT_FALSE(b->ParentBackground());
  box->Detach();
  EXPECT_EQ(b->Color(), 0x123456);
  EXPECT_TRUE(b->ParentBackground());
  EXPECT_EQ(box->Stage(), 2);
  // One that had ParentBackground off keeps it off.
  b->SetParentBackground(false);
  auto* again = new TSkinBox(b);
  again->Attach(&painters, data, true);
  again->Detach();
  EXPECT_FALSE(b->ParentBackground());
  // A window destroyed while hooked gets its colour back, and is left alone afterwards.
  auto* button = Add<TButton>(form, 0, 120, 60, 20, "b");
  button->SetColor(0x00AA00);
  auto* own = new TSkinControl(button);
  own->Attach(&painters, data, true);
  EXPECT_NE(button->Color(), 0x00AA00);
  button->DestroyHandle();
  EXPECT_EQ(button->Color(), 0x00AA00);
  EXPECT_EQ(own->Stage(), 6);
  // Property access by name never raises.
  EXPECT_EQ(GetOrdPropByName(b, "Width"), 100);
  EXPECT_EQ(GetOrdPropByName(b, "Caption"), -1);
  EXPECT_EQ(GetOrdPropByName(nullptr, "Width"), -1);
  EXPECT_EQ(GetEnumPropByName(b, "Align"), "alNone");
  EXPECT_EQ(GetTextPropByName(b, "Caption"), "g");
  EXPECT_EQ(GetTextPropByName(b, "Missing"), "");
  EXPECT_TRUE(GetObjectPropByName(b, "Font", "TFont"));
  EXPECT_FALSE(GetObjectPropByName(b, "Font", "TStrings"));
  SetPropByName(b, "Width", "120");
  SetPropByName(b, "Width", "wide");  // not a number: ignored
  EXPECT_EQ(b->Width(), 120);
  SetPropByName(b, "Align", "alTop");
  SetPropByName(b, "Align", "alSideways");
  SetPropByName(b, "Nothing", "1");
  EXPECT_EQ(b->Align(), alTop);
}

// Through the skin manager, as the program runs: a framework form and a system dialog get
// their painters when skinned, and lose them all when the skin is switched off.
TEST_F(SkinControlsTest, SkinnedWindowsGetAndLoseTheirPainters) {
  RegisterSkinClasses();
  std::string bytes = ReadBytes(std::string("Z:") + NV_BINARY_DIR + "/src/app/netvosk-skin.stream");
  auto* live = new TSkinData(nullptr);
  live->BeginLoading();
  live->SetSkinStream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
  live->SetActive(true);
  live->Loaded();
  MakeMainWindowLike();
  Show();
  SetActiveWindow(form->Handle());
  Pump(100);
  HWND dlg = CreateWindowExA(0, "#32770", "dialog", WS_POPUP | WS_CAPTION | WS_SYSMENU, 100, 100, 260, 140,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  auto child = [&](const char* text, DWORD style, int y) {
    return CreateWindowExA(0, "BUTTON", text, WS_CHILD | WS_VISIBLE | style, 10, y, 100, 20, dlg, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  };
  HWND ok = child("OK", BS_DEFPUSHBUTTON, 10);
  HWND threeState = child("3", BS_AUTO3STATE, 35);
  HWND icon = child("icon", BS_ICON, 60);
  HWND group = child("group", BS_GROUPBOX, 85);
  // A page (a child dialog) with a text, and a size box.
  HWND page = CreateWindowExA(0, "#32770", "", WS_CHILD | WS_VISIBLE, 120, 10, 120, 60, dlg, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  HWND text = CreateWindowExA(0, "STATIC", "text", WS_CHILD | WS_VISIBLE, 5, 5, 60, 16, page, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  HWND grip = CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | WS_VISIBLE | SBS_SIZEBOX, 230, 90, 16, 16, dlg,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
  ShowWindow(dlg, SW_SHOWNORMAL);
  SetActiveWindow(dlg);
  Pump(100);
  ASSERT_EQ(IsSkinned(dlg), 1);
  EXPECT_EQ(IsSkinned(ok), 1);
  EXPECT_TRUE(dynamic_cast<TSkinButton*>(FindPainter(ok)));
  // A three-state check box waits for the check-box painter; icon buttons and group boxes
  // keep the system's drawing.
  EXPECT_FALSE(FindPainter(threeState));
  EXPECT_FALSE(FindPainter(icon));
  EXPECT_FALSE(FindPainter(group));
  EXPECT_TRUE(dynamic_cast<TSkinBoxH*>(FindPainter(page)));
  EXPECT_TRUE(dynamic_cast<TSkinSizer*>(FindPainter(grip)));
  {
    // The page's texts are drawn on the skin's face.
    HDC dc = GetDC(text);
    const auto brush = reinterpret_cast<HBRUSH>(
        SendMessageA(page, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(text)));
    LOGBRUSH lb{};
    ASSERT_TRUE(GetObjectA(brush, sizeof lb, &lb));
    EXPECT_EQ(lb.lbColor, live->Content().Colours.ButtonFace & 0xFFFFFF);
    ReleaseDC(text, dc);
  }
  ASSERT_EQ(IsSkinned(form->Handle()), 1);
  EXPECT_EQ(IsSkinned(save->Handle()), 1);
  EXPECT_EQ(IsSkinned(bar->Handle()), 1);
  // Switched off: every control has its own procedure back.
  live->SetActive(false);
  Pump(400);
  EXPECT_EQ(IsSkinned(form->Handle()), 0);
  EXPECT_EQ(IsSkinned(save->Handle()), 0);
  EXPECT_EQ(IsSkinned(box2->Handle()), 0);
  EXPECT_EQ(IsSkinned(ok), 0);
  EXPECT_FALSE(FindPainter(ok));
  DestroyWindow(dlg);
  delete live;
  FreeSkinManager();
}

}  // namespace
