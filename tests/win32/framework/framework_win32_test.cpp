// The framework's windows under Wine: real windows, real messages.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <thread>

#include "framework/application_win32.h"
#include "framework/forms_win32.h"
#include "framework/image_win32.h"
#include "framework/message_form_win32.h"
#include "framework/status_bar_win32.h"
#include "framework/std_controls_win32.h"
#include "framework/streams.h"
#include "framework/timer_win32.h"

namespace {

class TTestForm : public TForm {
  NV_CLASS(TTestForm)
 public:
  explicit TTestForm(TComponent* owner) : TForm(owner) {}
  TNotifyEvent MethodAddress(const std::string& name) override {
    if (name == "ButtonClick") return [this](TObject*) { ++buttonClicks; };
    if (name == "ListClick") return [this](TObject*) { ++listClicks; };
    if (name == "Fails") return [](TObject*) { throw EConvertError("bad input"); };
    if (name == "FormCreate") return [this](TObject*) { created = true; };
    return nullptr;
  }
  int buttonClicks = 0, listClicks = 0;
  bool created = false;
};

const char kLayout[] = R"(object TestForm: TTestForm
  Caption = 'Test'
  ClientWidth = 300
  ClientHeight = 200
  BorderStyle = bsSingle
  BorderIcons = [biSystemMenu]
  Font.Name = '宋体'
  Font.Height = -12
  OnCreate = FormCreate
  object Box: TGroupBox
    Left = 0
    Top = 0
    Width = 150
    Height = 120
    Caption = '组'
    TabOrder = 1
    object Name: TLabel
      Left = 5
      Top = 20
      Caption = 'IP名称'
    end
    object Edit: TEdit
      Left = 50
      Top = 16
      Width = 90
      Height = 20
      TabOrder = 1
    end
    object List: TListBox
      Left = 5
      Top = 40
      Width = 140
      Height = 70
      Items.Strings = ('a' 'b')
      TabOrder = 0
      OnClick = ListClick
    end
  end
  object Ok: TButton
    Left = 160
    Top = 10
    Width = 70
    Height = 24
    Caption = '保存'
    TabOrder = 0
    OnClick = ButtonClick
  end
  object Bad: TButton
    Left = 160
    Top = 40
    Width = 70
    Height = 24
    Caption = 'Bad'
    Font.Name = 'MS Sans Serif'
    Font.Height = -11
    ParentFont = False
    TabOrder = 2
    OnClick = Fails
  end
  object Banner: TImage
    Left = 0
    Top = 150
    Width = 300
    Height = 30
    Align = alBottom
  end
  object Bar: TStatusBar
    Left = 0
    Top = 180
    Width = 300
    Height = 20
    Panels = < item Width = 50 Text = '状态' end >
  end
end
)";

std::string ClassOf(HWND h) {
  char name[64] = {};
  GetClassNameA(h, name, sizeof name);
  return name;
}

std::string TextOf(HWND h) {
  char text[256] = {};
  SendMessageA(h, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

class FrameworkWin32 : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterComponentClass(TTestForm::StaticClass());
    app = new TApplication(nullptr);
    app->SetTitle("Netvosk--免费版");
    app->OnException = [this](Exception* e) { errors.push_back(e->ClassName() + ": " + e->Message()); };
    form = app->CreateForm<TTestForm>();
    form->LoadLayoutText(kLayout);
    form->Show();
  }
  void TearDown() override { delete app; }
  template <class T>
  T* Find(const char* name) { return dynamic_cast<T*>(form->FindComponent(name)); }

  TApplication* app = nullptr;
  TTestForm* form = nullptr;
  std::vector<std::string> errors;
};

}  // namespace
NV_DEFINE_COMPONENT(TTestForm, TForm, nullptr)

TEST_F(FrameworkWin32, WindowsCarryFrameworkClassNamesAndTexts) {
  EXPECT_TRUE(form->created);
  EXPECT_EQ(ClassOf(form->Handle()), "TTestForm");
  EXPECT_EQ(ClassOf(app->Handle()), "TApplication");
  EXPECT_EQ(GetWindow(form->Handle(), GW_OWNER), app->Handle());
  HWND label = Find<TLabel>("Name")->Handle();
  EXPECT_EQ(ClassOf(label), "TLabel");
  EXPECT_EQ(TextOf(label), "IP名称");
  EXPECT_EQ(GetParent(label), Find<TGroupBox>("Box")->Handle());
  EXPECT_EQ(ClassOf(Find<TButton>("Ok")->Handle()), "TButton");
  EXPECT_EQ(ClassOf(Find<TListBox>("List")->Handle()), "TListBox");
  EXPECT_TRUE(GetWindowLongA(Find<TButton>("Ok")->Handle(), GWL_STYLE) & WS_CLIPSIBLINGS);
  RECT client;
  GetClientRect(form->Handle(), &client);
  EXPECT_EQ(client.right, 300);
  EXPECT_EQ(client.bottom, 200);
  // Layout lines reach the list window.
  EXPECT_EQ(SendMessageA(Find<TListBox>("List")->Handle(), LB_GETCOUNT, 0, 0), 2);
  // Bottom-aligned controls stack up from the bottom edge.
  EXPECT_EQ(Find<TStatusBar>("Bar")->Top(), 180);
  EXPECT_EQ(Find<TImage>("Banner")->Top(), 150);
}

// A form's client area is known only once its window exists; aligned children must be in
// place before their own windows are made, not moved later into the shown window.
TEST_F(FrameworkWin32, AlignedChildrenArePlacedWhenTheFormsWindowIsMade) {
  auto* f = new TForm(app);
  f->SetBorderStyle(bsSingle);
  f->SetClientWidth(240);
  f->SetClientHeight(160);
  // Bounds as a layout gives them: the bar below the banner.
  auto* bar = new TStatusBar(f);
  bar->SetParent(f);
  bar->SetBounds(0, 141, 240, 19);
  auto* banner = new TImage(f);
  banner->SetParent(f);
  banner->SetBounds(0, 111, 240, 30);
  banner->SetAlign(alBottom);
  auto* top = new TButton(f);
  top->SetParent(f);
  top->SetHeight(24);
  top->SetAlign(alTop);
  HWND h = f->Handle();
  auto placed = [h](TWinControl* c) {
    RECT r{};
    GetWindowRect(c->Handle(), &r);
    MapWindowPoints(nullptr, h, reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  const RECT b = placed(bar), i = placed(banner), t = placed(top);
  EXPECT_EQ(b.left, 0);
  EXPECT_EQ(b.right, 240);
  EXPECT_EQ(b.bottom, 160);
  EXPECT_EQ(b.top, 141);
  EXPECT_EQ(i.bottom, b.top);  // stacked upwards in their order
  EXPECT_EQ(i.top, 111);
  EXPECT_EQ(i.right, 240);
  EXPECT_EQ(t.top, 0);
  EXPECT_EQ(t.right, 240);
  EXPECT_EQ(bar->Top(), 141);
  delete f;
}

TEST_F(FrameworkWin32, FontsFollowTheParentUnlessSetOnTheControl) {
  EXPECT_EQ(Find<TLabel>("Name")->Font()->Name(), "宋体");
  EXPECT_EQ(Find<TButton>("Ok")->Font()->Height(), -12);
  EXPECT_EQ(Find<TButton>("Bad")->Font()->Name(), "MS Sans Serif");
  form->Font()->SetHeight(-16);
  EXPECT_EQ(Find<TButton>("Ok")->Font()->Height(), -16);
  EXPECT_EQ(Find<TButton>("Bad")->Font()->Height(), -11);
}

TEST_F(FrameworkWin32, NotificationsReachTheirControls) {
  SendMessageA(Find<TButton>("Ok")->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(form->buttonClicks, 1);
  // A selection change as the list box reports it to its parent.
  HWND list = Find<TListBox>("List")->Handle();
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  SendMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
  EXPECT_EQ(form->listClicks, 1);
  EXPECT_EQ(Find<TListBox>("List")->ItemIndex(), 1);
  Find<TListBox>("List")->Items()->Delete(0);
  EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 1);
  EXPECT_THROW(Find<TListBox>("List")->Items()->Delete(5), EListError);
}

TEST_F(FrameworkWin32, ExceptionInAHandlerGoesToTheApplication) {
  SendMessageA(Find<TButton>("Bad")->Handle(), BM_CLICK, 0, 0);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "EConvertError: bad input");
  EXPECT_TRUE(IsWindow(form->Handle()));
}

TEST_F(FrameworkWin32, TabOrderWalksContainersDepthFirst) {
  auto* ok = Find<TButton>("Ok");
  auto* list = Find<TListBox>("List");
  auto* edit = Find<TEdit>("Edit");
  auto* bad = Find<TButton>("Bad");
  EXPECT_EQ(form->FindNextControl(nullptr, true), ok);
  EXPECT_EQ(form->FindNextControl(ok, true), list);
  EXPECT_EQ(form->FindNextControl(list, true), edit);
  EXPECT_EQ(form->FindNextControl(edit, true), bad);
  EXPECT_EQ(form->FindNextControl(bad, true), ok);
  EXPECT_EQ(form->FindNextControl(ok, false), bad);
}

TEST_F(FrameworkWin32, MessageFormShowsTextAndClosesOnOk) {
  // A second thread plays the user: finds the message window, reads it, presses OK.
  std::string seenCaption, seenText, seenClass;
  std::thread user([&] {
    for (int i = 0; i < 200; ++i) {
      HWND box = FindWindowA("TMessageForm", nullptr);
      if (box && IsWindowVisible(box)) {
        char buf[256];
        GetWindowTextA(box, buf, sizeof buf);
        seenCaption = buf;
        HWND label = FindWindowExA(box, nullptr, "TLabel", nullptr);
        seenText = label ? TextOf(label) : "";
        HWND ok = FindWindowExA(box, nullptr, "TButton", nullptr);
        seenClass = ok ? TextOf(ok) : "";
        if (ok) PostMessageA(ok, BM_CLICK, 0, 0);
        return;
      }
      Sleep(25);
    }
  });
  ShowMessage("设置完成");
  user.join();
  EXPECT_EQ(seenCaption, "Netvosk--免费版");
  EXPECT_EQ(seenText, "设置完成");
  EXPECT_EQ(seenClass, "OK");
  EXPECT_TRUE(IsWindowEnabled(form->Handle()));  // the owner is enabled again
}

// The user's thread in these tests: waits for the visible message window and closes it the
// way `close` does.
template <class Close>
std::thread CloseMessageWhenShown(Close close) {
  return std::thread([close] {
    for (int i = 0; i < 200; ++i) {
      HWND box = FindWindowA("TMessageForm", nullptr);
      if (box && IsWindowVisible(box)) return close(box);
      Sleep(25);
    }
  });
}

TEST_F(FrameworkWin32, MessageFormGivesTheActivationBack) {
  // Two windows of the program; whichever was active when the message came up is active
  // again when it has gone.
  auto* other = new TForm(app);
  other->SetCaption("other");
  other->SetBounds(40, 40, 200, 120);
  other->Show();
  struct Case {
    TForm* active;
    void (*close)(HWND box);
  } cases[] = {
      {form, [](HWND box) { PostMessageA(FindWindowExA(box, nullptr, "TButton", nullptr), BM_CLICK, 0, 0); }},
      {other, [](HWND box) { PostMessageA(FindWindowExA(box, nullptr, "TButton", nullptr), BM_CLICK, 0, 0); }},
      {other, [](HWND box) { PostMessageA(box, WM_CLOSE, 0, 0); }},
      {form, [](HWND box) { PostMessageA(box, WM_KEYDOWN, VK_ESCAPE, 0); }},
  };
  // What the display still has to tell the program about the windows shown and hidden comes
  // in after a while; the activation must hold once that has been handled too.
  auto settle = [&] {
    for (int i = 0; i < 10; ++i) {
      app->ProcessMessages();
      Sleep(5);
    }
  };
  for (const Case& c : cases) {
    SetActiveWindow(c.active->Handle());
    // The other window lies above the active one, as after a click-through or a window
    // brought up without activation: the topmost window is not the one to go back to.
    TForm* inactive = c.active == form ? other : form;
    SetWindowPos(inactive->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    settle();
    ASSERT_EQ(GetActiveWindow(), c.active->Handle());
    std::thread user = CloseMessageWhenShown(c.close);
    ShowMessage("修改完成。");
    user.join();
    settle();
    EXPECT_EQ(GetActiveWindow(), c.active->Handle()) << c.active->Caption();
    EXPECT_TRUE(IsWindowEnabled(form->Handle()));
    EXPECT_TRUE(IsWindowEnabled(other->Handle()));
  }
  // The window that was active is freed while the message is up: the message still closes
  // and leaves the remaining windows usable.
  auto* gone = new TForm(app);
  gone->SetCaption("gone");
  gone->Show();
  SetActiveWindow(gone->Handle());
  std::atomic<bool> freed{false};
  auto* freeIt = new TTimer(app);
  freeIt->SetInterval(10);
  freeIt->SetOnTimer([&](TObject*) {
    if (!FindWindowA("TMessageForm", nullptr) || freed) return;
    delete gone;
    freed = true;
  });
  std::thread user = CloseMessageWhenShown([&](HWND box) {
    for (int i = 0; i < 400 && !freed; ++i) Sleep(5);
    PostMessageA(box, WM_CLOSE, 0, 0);
  });
  ShowMessage("修改完成。");
  user.join();
  delete freeIt;
  EXPECT_TRUE(freed);
  EXPECT_TRUE(IsWindowEnabled(form->Handle()));
  EXPECT_TRUE(errors.empty());
}

// The tooltip windows of this thread.
BOOL CALLBACK CollectTooltip(HWND w, LPARAM list) {
  if (ClassOf(w) == "tooltips_class32") reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
  return TRUE;
}
std::vector<HWND> Tooltips() {
  std::vector<HWND> found;
  EnumThreadWindows(GetCurrentThreadId(), CollectTooltip, reinterpret_cast<LPARAM>(&found));
  return found;
}

TEST_F(FrameworkWin32, HintWindowIsMadeWhenTheMouseFirstComes) {
  // Away from every window of the test, so that no real mouse move comes in between.
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
  auto* ok = Find<TButton>("Ok");
  ok->SetHint("保存这个IP");
  ok->SetShowHint(true);
  for (int i = 0; i < 5; ++i) {
    app->ProcessMessages();
    Sleep(5);
  }
  EXPECT_TRUE(Tooltips().empty());  // nothing made before the mouse needs it
  PostMessageA(ok->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  app->ProcessMessages();
  std::vector<HWND> tips = Tooltips();
  ASSERT_EQ(tips.size(), 1u);
  char text[64] = "";
  TOOLINFOA ti{};
  ti.cbSize = TTTOOLINFOA_V1_SIZE;
  ti.hwnd = ok->Handle();
  ti.uId = reinterpret_cast<UINT_PTR>(ok->Handle());
  ti.lpszText = text;
  SendMessageA(tips[0], TTM_GETTEXTA, 0, reinterpret_cast<LPARAM>(&ti));
  EXPECT_STREQ(text, "保存这个IP");
  // A hint set later goes straight to the window that is there now.
  auto* bad = Find<TButton>("Bad");
  bad->SetHint("later");
  bad->SetShowHint(true);
  EXPECT_EQ(SendMessageA(tips[0], TTM_GETTOOLCOUNT, 0, 0), 2);
  EXPECT_EQ(Tooltips().size(), 1u);
}

TEST(Picture, DecodesGifAndRefusesGarbage) {
  std::string path = std::string("Z:") + NV_SOURCE_DIR + "/resources/app/banner.gif";
  std::vector<uint8_t> gif = ReadFileBytes(path);
  TPicture p;
  p.LoadGif(gif.data(), gif.size(), RGB(0, 0, 0));
  EXPECT_EQ(p.Width(), 466);
  EXPECT_EQ(p.Height(), 53);
  EXPECT_NE(p.Handle(), nullptr);
  std::vector<uint8_t> bad(gif.begin(), gif.begin() + 40);
  EXPECT_THROW(p.LoadGif(bad.data(), bad.size(), 0), EInvalidGraphic);
  EXPECT_THROW(p.LoadGif(reinterpret_cast<const uint8_t*>("nonsense"), 8, 0), EInvalidGraphic);
  EXPECT_EQ(p.Width(), 466);  // a failed load keeps the picture it had
}
