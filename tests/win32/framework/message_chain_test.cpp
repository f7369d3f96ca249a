// Message chains of framework windows: what a handler in front of a control sees, handlers
// leaving in any order and during a dispatch, reflected notifications, attachment at
// creation, private message numbers, and the destroy order seen from an owned component.
#include <gtest/gtest.h>

// windows.h first: commctrl.h needs its types.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <optional>
#include <string>
#include <vector>

#include "framework/application_win32.h"
#include "framework/forms_win32.h"
#include "framework/hooks_win32.h"
#include "framework/image_win32.h"
#include "framework/message_form_win32.h"
#include "framework/status_bar_win32.h"
#include "framework/std_controls_win32.h"

namespace {
class Chains : public ::testing::Test {
 protected:
  void SetUp() override {
    app = new TApplication(nullptr);
    app->OnException = [this](Exception* e) { errors.push_back(e->ClassName()); };
    form = app->CreateForm<TForm>();
    form->SetBounds(0, 0, 300, 200);
    auto add = [&](TWinControl* c, int x, int y, int w, int h) {
      c->SetParent(form);
      c->SetBounds(x, y, w, h);
      c->OnClick = [this, c](TObject*) { clicks.push_back(c->ClassName()); };
      return c;
    };
    label = static_cast<TLabel*>(add(new TLabel(form), 0, 0, 40, 15));
    edit = static_cast<TEdit*>(add(new TEdit(form), 50, 0, 80, 20));
    edit->OnChange = [this](TObject*) { clicks.push_back("change"); };
    button = static_cast<TButton*>(add(new TButton(form), 0, 30, 60, 24));
    group = static_cast<TGroupBox*>(add(new TGroupBox(form), 100, 30, 80, 60));
    list = static_cast<TListBox*>(add(new TListBox(form), 200, 30, 80, 60));
    image = static_cast<TImage*>(add(new TImage(form), 0, 100, 50, 30));
    bar = static_cast<TStatusBar*>(add(new TStatusBar(form), 0, 180, 300, 20));
    form->Show();
  }
  void TearDown() override { delete app; }

  // A recorder in front of a control: every message it sees, by number, with the
  // reflection mark.
  TMessageChainEntry Record(TWinControl* c, std::vector<UINT>& seen, bool reflectedOnly = false) {
    return c->EnterMessageChain([&seen, reflectedOnly](TMessage& m, const TMessageNext& next) {
      if (!reflectedOnly || m.Reflected) seen.push_back(m.Msg);
      next(m);
    });
  }

  TApplication* app = nullptr;
  TForm* form = nullptr;
  TLabel* label = nullptr;
  TEdit* edit = nullptr;
  TButton* button = nullptr;
  TGroupBox* group = nullptr;
  TListBox* list = nullptr;
  TImage* image = nullptr;
  TStatusBar* bar = nullptr;
  std::vector<std::string> clicks, errors;
};

bool Contains(const std::vector<UINT>& v, UINT msg) { return std::find(v.begin(), v.end(), msg) != v.end(); }
}  // namespace

TEST_F(Chains, ARecorderSeesWindowMessagesAndReflectedNotifications) {
  std::vector<UINT> editSeen, buttonSeen, barSeen;
  auto e = Record(edit, editSeen);
  auto b = Record(button, buttonSeen, true);
  auto s = Record(bar, barSeen, true);
  SetWindowTextA(edit->Handle(), "10.0.0.1");
  EXPECT_TRUE(Contains(editSeen, WM_SETTEXT));
  EXPECT_TRUE(Contains(editSeen, CN_COMMAND));  // EN_CHANGE, reflected by the form
  SendMessageA(button->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(std::count(buttonSeen.begin(), buttonSeen.end(), CN_COMMAND), 1);
  NMHDR click{bar->Handle(), static_cast<UINT_PTR>(GetDlgCtrlID(bar->Handle())), static_cast<UINT>(NM_CLICK)};
  SendMessageA(form->Handle(), WM_NOTIFY, click.idFrom, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(barSeen, (std::vector<UINT>{CN_NOTIFY}));
  EXPECT_EQ(clicks, (std::vector<std::string>{"change", "TButton", "TStatusBar"}));
  // Colour requests are reflected too, and a handler in front may answer them.
  auto brush = reinterpret_cast<LRESULT>(GetStockObject(BLACK_BRUSH));
  auto colour = label->EnterMessageChain([brush](TMessage& m, const TMessageNext& next) {
    if (m.Msg == CN_CTLCOLOR && m.Reflected && m.LParam == WM_CTLCOLORSTATIC)
      m.Result = brush;
    else
      next(m);
  });
  HDC dc = GetDC(label->Handle());
  EXPECT_EQ(SendMessageA(form->Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                         reinterpret_cast<LPARAM>(label->Handle())),
            brush);
  ReleaseDC(label->Handle(), dc);
}

TEST_F(Chains, HandlersLeaveOutOfOrderAndDuringADispatch) {
  std::string log;
  auto mark = [&](char c) {
    return [&log, c](TMessage& m, const TMessageNext& next) {
      if (m.Msg == WM_USER) log += c;
      next(m);
    };
  };
  std::optional<TMessageChainEntry> a, b, c, d;
  a = edit->EnterMessageChain(mark('a'));
  b = edit->EnterMessageChain(mark('b'));
  c = edit->EnterMessageChain(mark('c'));
  auto send = [&] {
    log.clear();
    SendMessageA(edit->Handle(), WM_USER, 0, 0);
    return log;
  };
  EXPECT_EQ(send(), "cba");
  b.reset();
  EXPECT_EQ(send(), "ca");
  // d takes itself and c out while it runs; a new handler entered meanwhile waits for the
  // next message.
  std::optional<TMessageChainEntry> late;
  d = edit->EnterMessageChain([&](TMessage& m, const TMessageNext& next) {
    if (m.Msg == WM_USER) {
      log += 'd';
      d.reset();
      c.reset();
      late = edit->EnterMessageChain(mark('l'));
    }
    next(m);
  });
  EXPECT_EQ(send(), "da");
  EXPECT_EQ(send(), "la");
  a.reset();
  late.reset();
  EXPECT_EQ(send(), "");
  // The control's own handling is still there behind an empty chain.
  SetWindowTextA(edit->Handle(), "x");
  EXPECT_EQ(edit->Text(), "x");
}

TEST_F(Chains, AFailingHandlerStillPassesTheMessageOn) {
  auto failing = edit->EnterMessageChain([](TMessage& m, const TMessageNext& next) {
    if (m.Msg == WM_SETTEXT) throw EConvertError("painter fails");
    next(m);
  });
  SetWindowTextA(edit->Handle(), "kept");
  EXPECT_EQ(edit->Text(), "kept");
  EXPECT_EQ(errors, (std::vector<std::string>{"EConvertError"}));
}

TEST_F(Chains, PrivateNumbersGetTheDefaultAnswerFromEveryControlKind) {
  auto* message = new TMessageForm(app);
  message->Setup("t", "text", {"OK"});
  message->Handle();
  std::vector<TWinControl*> all{form, label, edit, button, group, list, image, bar, message, app};
  std::vector<UINT> seen;
  std::vector<TMessageChainEntry> recorders;
  for (TWinControl* c : all) recorders.push_back(Record(c, seen));
  for (TWinControl* c : all)
    for (UINT msg : {0xBC4Au, 0xBC4Bu, 0xBC4Du, 0xBC4Eu})
      EXPECT_EQ(SendMessageA(c->Handle(), msg, 0, 16802), 0) << c->ClassName() << " " << std::hex << msg;
  EXPECT_TRUE(clicks.empty());
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(seen.size(), all.size() * 4);  // each reached the chain, as ordinary messages
  // A painter in front answers them; the control behind never sees them as reflections.
  auto painter = bar->EnterMessageChain([](TMessage& m, const TMessageNext& next) {
    if (m.Msg == 0xBC4D && m.LParam == 16802)
      m.Result = 16802;
    else
      next(m);
  });
  EXPECT_EQ(SendMessageA(bar->Handle(), 0xBC4D, 0, 16802), 16802);
}

TEST_F(Chains, WindowsMadeDuringAnotherWindowsCreationAttachToTheirOwnObjects) {
  // A framework window made from inside a CBT hook that watches another one being made,
  // and one made while the form handles WM_CREATE of a child.
  auto* first = new TButton(form);
  first->SetParent(form);
  auto* second = new TEdit(form);
  second->SetParent(form);
  auto* third = new TLabel(form);
  third->SetParent(form);
  bool madeInHook = false;
  TWindowsHook hook(WH_CBT, [&](THookCall& call) {
    if (call.code == HCBT_CREATEWND && !madeInHook &&
        !TWinControl::FromHandle(reinterpret_cast<HWND>(call.wParam))) {
      madeInHook = true;
      second->Handle();
    }
  });
  auto creating = first->EnterMessageChain([&](TMessage& m, const TMessageNext& next) {
    if (m.Msg == WM_CREATE) third->Handle();
    next(m);
  });
  first->Handle();
  ASSERT_TRUE(madeInHook);
  for (TWinControl* c : std::vector<TWinControl*>{first, second, third}) {
    ASSERT_TRUE(c->HandleAllocated());
    EXPECT_EQ(TWinControl::FromHandle(c->Handle()), c);
  }
  char cls[32];
  GetClassNameA(second->Handle(), cls, sizeof cls);
  EXPECT_STREQ(cls, "TEdit");
}

TEST_F(Chains, AWindowOfAFrameworkClassMadeByOthersBehavesAsTheSystemControl) {
  edit->Handle();  // the class exists
  HWND raw =
      CreateWindowExA(0, "TEdit", "raw", WS_CHILD, 0, 0, 50, 20, form->Handle(), nullptr, nullptr, nullptr);
  ASSERT_TRUE(raw);
  EXPECT_EQ(TWinControl::FromHandle(raw), nullptr);
  SetWindowTextA(raw, "typed");
  char text[16];
  GetWindowTextA(raw, text, sizeof text);
  EXPECT_STREQ(text, "typed");
  EXPECT_EQ(SendMessageA(raw, EM_GETLIMITTEXT, 0, 0) > 0, true);
  DestroyWindow(raw);
}

namespace {
std::string gOwnerClass;
bool gWindowAlive = false;
}  // namespace

TEST_F(Chains, AnOwnedComponentIsFreedWhileItsOwnerAndWindowAreWhole) {
  struct TPainter : TComponent {
    explicit TPainter(TWinControl* control) : TComponent(control), control_(control) {
      entry = control->EnterMessageChain([](TMessage& m, const TMessageNext& next) { next(m); });
    }
    ~TPainter() override {
      gOwnerClass = Owner() ? Owner()->ClassName() : "none";
      gWindowAlive = control_->HandleAllocated() && IsWindow(control_->Handle());
      entry.Leave();
    }
    TWinControl* control_;
    TMessageChainEntry entry;
  };
  new TPainter(button);
  HWND buttonWindow = button->Handle();
  delete button;
  EXPECT_EQ(gOwnerClass, "TButton");
  EXPECT_TRUE(gWindowAlive);
  EXPECT_FALSE(IsWindow(buttonWindow));
  // The same when the form goes with everything on it.
  new TPainter(edit);
  delete form;
  EXPECT_EQ(gOwnerClass, "TEdit");
  EXPECT_TRUE(gWindowAlive);
  form = nullptr;
}
