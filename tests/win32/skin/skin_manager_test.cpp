// The skin manager with real windows under Wine: which windows it frames, the actions its
// timer carries out, popup menus, the version-dependent branches, and components that go
// away while their requests are pending.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>

#include "framework/application_win32.h"
#include "framework/forms_win32.h"
#include "skin/data/skin_data.h"
#include "skin/data/skin_manager_link.h"
#include "skin/forms/skin_manage_win32.h"
#include "skin/forms/skin_messages.h"
#include "skin/forms/thread_skin_win32.h"
#include "skin/forms/win_skin_form_win32.h"
#include "win32/skin/skin_test_support.h"
#include "win32/test_files.h"

namespace {

bool IsSkinned(HWND w) { return SendMessageA(w, XM_ISSKINNED, 0, 0) == 1; }
LONG_PTR ProcOf(HWND w) { return GetWindowLongPtrA(w, GWLP_WNDPROC); }

// Every request is one timer tick away; a little more than that is enough.
void RunRequest(TSkinManage& m, TSkinData* s, int action) {
  m.SetPendingSkinData(s);
  m.ScheduleAction(action, 10);
  Pump(120);
}

LRESULT CALLBACK PlainProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, msg, wp, lp); }

DWORD Version50() { return 0x00000005; }
DWORD Version61() { return 0x00000106; }
DWORD VersionHybrid() { return 0x80000004; }

class SkinManagerTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    app = new TApplication(nullptr);
    app->OnException = [](Exception* e) { caught.push_back(e->ClassName() + ": " + e->Message()); };
    RegisterSkinClasses();
    for (const char* cls : {"NvRawWindow", "TPrintPreviewWindow"}) {
      WNDCLASSA wc{};
      wc.lpfnWndProc = PlainProc;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.lpszClassName = cls;
      RegisterClassA(&wc);
    }
  }
  static void TearDownTestSuite() {
    delete app;
    app = nullptr;
  }
  void SetUp() override {
    stream = ProgramSkinStream();
    ASSERT_GT(stream.size(), 4u) << "netvosk-skin.stream not built";
    caught.clear();
  }
  void TearDown() override {
    for (HWND w : raw)
      if (IsWindow(w)) DestroyWindow(w);
    raw.clear();
    for (TComponent* c : owned) delete c;
    owned.clear();
    FreeSkinManager();
    SetVersionFunction(nullptr);
  }

  // A component as a layout makes it: properties set while loading, then the loaded step.
  TSkinData* MakeSkinData(TComponent* owner, TSkinFormType type = sfMainform, bool active = true) {
    auto* d = new TSkinData(owner);
    if (!owner) owned.push_back(d);
    d->BeginLoading();
    d->SetSkinFormtype(type);
    d->SetSkinStream(stream);
    d->SetActive(active);
    d->OnSkinChanged = [this](TObject*) { ++skinChanged; };
    d->OnAfterSkinForm = [this](TObject*, uintptr_t, const std::string&) { ++afterSkinForm; };
    d->Loaded();
    return d;
  }
  TForm* MakeForm(const std::string& caption, intptr_t tag = 0) {
    auto* f = new TForm(nullptr);
    owned.insert(owned.begin(), f);  // forms go before the components they skin
    f->SetCaption(caption);
    f->SetTag(tag);
    f->SetBounds(40, 40, 300, 200);
    return f;
  }
  HWND MakeRaw(const char* cls = "NvRawWindow", DWORD style = WS_OVERLAPPEDWINDOW) {
    HWND w = CreateWindowExA(0, cls, "raw", style, 60, 60, 240, 160, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    raw.push_back(w);
    return w;
  }
  // Wine does not always activate a form shown while another window is active.
  void Show(TForm* f) {
    f->Show();
    Show(f->Handle());
  }
  // Shows and activates a window (activating another one first, should it be active).
  void Show(HWND w) {
    if (GetActiveWindow() == w) SetActiveWindow(app->Handle());
    ShowWindow(w, SW_SHOWNORMAL);
    SetActiveWindow(w);
    Pump(60);
  }

  static inline TApplication* app = nullptr;
  static inline std::vector<std::string> caught;
  std::vector<uint8_t> stream;
  std::vector<TComponent*> owned;
  std::vector<HWND> raw;
  int skinChanged = 0, afterSkinForm = 0;
};

TEST_F(SkinManagerTest, ActivationSkinsFormsAndRawWindows) {
  TSkinData* data = MakeSkinData(nullptr);
  TSkinManage* m = SkinManage();
  ASSERT_TRUE(m);
  EXPECT_EQ(m->State(), kManagerWaiting);
  EXPECT_TRUE(m->Enabled);  // the request to skin all, before any activation
  TForm* form = MakeForm("form");
  Show(form);
  EXPECT_EQ(m->State(), kManagerRunning);
  ASSERT_TRUE(IsSkinned(form->Handle()));
  TWinSkinForm* sf = m->FindSkinForm(form->Handle());
  ASSERT_TRUE(sf);
  EXPECT_EQ(sf->AttachState, asRunning);  // finished at XM_INITFRAME
  EXPECT_EQ(sf->Owner(), form);
  EXPECT_EQ(sf->SkinData, data);
  EXPECT_EQ(sf->CaptionHeight, data->Content().Top->Image.Height() / data->Content().Top->Frame);
  EXPECT_EQ(form->Color(), TColor(data->Content().Colours.ButtonFace));
  EXPECT_EQ(afterSkinForm, 1);

  HWND w = MakeRaw();
  Show(w);
  EXPECT_TRUE(IsSkinned(w));
  EXPECT_EQ(m->FindSkinForm(w)->Owner(), nullptr);
  // The application's hidden window is never framed, even in a skin-all pass.
  m->ForceAll = true;
  EXPECT_FALSE(m->AttachWindow(app->Handle()));
  m->ForceAll = false;
  EXPECT_FALSE(IsSkinned(app->Handle()));
  EXPECT_TRUE(caught.empty());
}

TEST_F(SkinManagerTest, RulesWithRealWindows) {
  TSkinData* main1 = MakeSkinData(nullptr);
  TSkinData* main2 = MakeSkinData(nullptr);
  TSkinManage* m = SkinManage();
  EXPECT_EQ(m->DefaultSkinData(), main1);

  TForm* tagged = MakeForm("tag 99", 99);
  main1->SetDisableTag(5);
  Show(tagged);
  m->ForceAll = true;
  EXPECT_FALSE(m->AttachWindow(tagged->Handle()));
  m->ForceAll = false;
  EXPECT_FALSE(IsSkinned(tagged->Handle()));

  // Two main-window components: the last registered skins ordinary windows.
  TForm* plain = MakeForm("plain");
  Show(plain);
  ASSERT_TRUE(m->FindSkinForm(plain->Handle()));
  EXPECT_EQ(m->FindSkinForm(plain->Handle())->SkinData, main2);

  // Preview windows only with xoPreview in the default component's options.
  HWND preview = MakeRaw("TPrintPreviewWindow");
  Show(preview);
  EXPECT_TRUE(IsSkinned(preview));
  main1->SetOptions({xoToolbarBK});
  HWND preview2 = MakeRaw("TPrintPreviewWindow");
  Show(preview2);
  EXPECT_FALSE(IsSkinned(preview2));

  // A component for one form only skins that form.
  TForm* own = MakeForm("own");
  TSkinData* only = MakeSkinData(own, sfOnlyThisForm, false);
  own->Handle();
  Show(own);
  ASSERT_TRUE(m->FindSkinForm(own->Handle())) << ::testing::PrintToString(caught);
  EXPECT_EQ(m->FindSkinForm(own->Handle())->SkinData, only);
  HWND other = MakeRaw();
  Show(other);
  EXPECT_EQ(m->FindSkinForm(other)->SkinData, main2);
}

TEST_F(SkinManagerTest, SkinAllAndUnskinAllRestoreEveryWindowProcedure) {
  TSkinData* data = MakeSkinData(nullptr);
  TSkinManage* m = SkinManage();
  m->Enabled = false;  // windows shown now stay as they are
  TForm* a = MakeForm("a");
  TForm* b = MakeForm("b");
  Show(a);
  Show(b);
  HWND w = MakeRaw();
  Show(w);
  const LONG_PTR procA = ProcOf(a->Handle()), procB = ProcOf(b->Handle()), procW = ProcOf(w);
  EXPECT_FALSE(IsSkinned(a->Handle()));

  RunRequest(*m, data, saSkinAll);  // the screen's forms; raw windows wait for activation
  EXPECT_TRUE(IsSkinned(a->Handle()));
  EXPECT_TRUE(IsSkinned(b->Handle()));
  EXPECT_EQ(skinChanged, 1);
  EXPECT_EQ(m->PendingSkinData, nullptr);
  Show(w);
  EXPECT_TRUE(IsSkinned(w));
  EXPECT_EQ(m->Forms.size(), 3u);
  EXPECT_NE(ProcOf(w), procW);                // a raw window is subclassed
  EXPECT_EQ(ProcOf(a->Handle()), procA);      // a form is entered through its message chain

  RunRequest(*m, data, saUnskinAll);
  EXPECT_FALSE(m->Enabled);
  EXPECT_TRUE(m->Forms.empty());
  EXPECT_EQ(ProcOf(a->Handle()), procA);
  EXPECT_EQ(ProcOf(b->Handle()), procB);
  EXPECT_EQ(ProcOf(w), procW);
  EXPECT_FALSE(IsSkinned(a->Handle()));
  EXPECT_FALSE(IsSkinned(w));
  EXPECT_EQ(a->Color(), clBtnFace);
  EXPECT_EQ(skinChanged, 2);
}

TEST_F(SkinManagerTest, SkinChangedPurgeAndReskin) {
  TSkinData* data = MakeSkinData(nullptr);
  TSkinManage* m = SkinManage();
  TForm* form = MakeForm("form");
  Show(form);
  HWND w = MakeRaw();
  Show(w);
  ASSERT_EQ(m->Forms.size(), 2u);
  const int before = afterSkinForm;

  // Skin changed: every form of the component re-applies the skin.
  RunRequest(*m, data, saSkinChanged);
  EXPECT_EQ(afterSkinForm, before + 2);
  EXPECT_EQ(skinChanged, 1);

  // Purge: the form of a window that is gone is dropped and freed.
  TWinSkinForm* gone = m->FindSkinForm(w);
  DestroyWindow(w);
  EXPECT_EQ(gone->AttachState, asDestroyed);
  RunRequest(*m, data, saPurge);
  EXPECT_FALSE(TWinSkinForm::IsLive(gone));
  EXPECT_EQ(m->Forms.size(), 1u);
  EXPECT_EQ(skinChanged, 2);

  // Re-skin one window: detached and attached afresh, without telling the component.
  m->ReskinWindow = form->Handle();
  RunRequest(*m, data, saReskinWindow);
  EXPECT_TRUE(IsSkinned(form->Handle()));
  EXPECT_EQ(m->Forms.size(), 1u);
  EXPECT_EQ(afterSkinForm, before + 3);
  EXPECT_EQ(skinChanged, 2);
}

// A component freed while its request waits: nothing may reach it afterwards.
TEST_F(SkinManagerTest, UnregisteringWithAPendingAction) {
  TForm* form = MakeForm("form");
  TSkinData* data = MakeSkinData(nullptr);
  TSkinManage* m = SkinManage();
  Show(form);
  const HWND h = form->Handle();
  ASSERT_TRUE(IsSkinned(h));
  data->SetActive(false);  // unskin all in 250 ms
  EXPECT_EQ(m->PendingSkinData, data);
  owned.erase(std::find(owned.begin(), owned.end(), data));
  delete data;
  EXPECT_EQ(m->PendingSkinData, nullptr);
  EXPECT_EQ(m->DefaultSkinData(), nullptr);
  EXPECT_TRUE(m->SkinDatas.Items().empty());
  EXPECT_TRUE(m->Forms.empty());  // its windows are unskinned at once
  EXPECT_FALSE(IsSkinned(h));
  Pump(400);
  EXPECT_TRUE(caught.empty());

  // The same with the component owned by the form, closed right after switching off.
  TForm* owner = MakeForm("owner");
  TSkinData* ownData = MakeSkinData(owner);
  Show(owner);
  ASSERT_TRUE(IsSkinned(owner->Handle()));
  ownData->SetActive(false);
  owned.erase(std::find(owned.begin(), owned.end(), owner));
  delete owner;
  EXPECT_TRUE(m->Forms.empty());
  Pump(400);
  EXPECT_TRUE(caught.empty());
}

TEST_F(SkinManagerTest, VersionBranches) {
  // 5.0: windows keep no caption style of their own while skinned.
  SetVersionFunction(&Version50);
  TSkinData* data = MakeSkinData(nullptr);
  TSkinManage* m = SkinManage();
  EXPECT_EQ(m->SystemVersion.Major, 5);
  HWND w = MakeRaw();
  Show(w);
  ASSERT_TRUE(m->FindSkinForm(w));
  EXPECT_TRUE(m->FindSkinForm(w)->Boxes & bxNoCaptionStyle);
  EXPECT_EQ(GetWindowLongA(w, GWL_STYLE) & WS_CAPTION, 0);
  RunRequest(*m, data, saUnskinAll);
  EXPECT_EQ(GetWindowLongA(w, GWL_STYLE) & WS_CAPTION, LONG(WS_CAPTION));
  FreeSkinManager();

  // 6.1 (what this prefix reports): the caption style stays.
  SetVersionFunction(&Version61);
  TSkinData* data61 = MakeSkinData(nullptr);
  m = SkinManage();
  HWND w61 = MakeRaw();
  Show(w61);
  ASSERT_TRUE(m->FindSkinForm(w61));
  EXPECT_FALSE(m->FindSkinForm(w61)->Boxes & bxNoCaptionStyle);
  EXPECT_EQ(GetWindowLongA(w61, GWL_STYLE) & WS_CAPTION, LONG(WS_CAPTION));
  EXPECT_TRUE(data61->SkinControls().Has(xcSystemMenu));
  FreeSkinManager();

  // A hybrid system has no skinned system menu.
  SetVersionFunction(&VersionHybrid);
  TSkinData* hybrid = MakeSkinData(nullptr);
  EXPECT_TRUE(SkinManage()->SystemVersion.Hybrid);
  HWND wh = MakeRaw();
  Show(wh);
  EXPECT_TRUE(IsSkinned(wh));
  EXPECT_FALSE(hybrid->SkinControls().Has(xcSystemMenu));
  (void)data;
}

TEST_F(SkinManagerTest, PopupMenusByMode) {
  TSkinData* data = MakeSkinData(nullptr);
  TSkinManage* m = SkinManage();
  auto menuWindow = [&] {
    HWND w = CreateWindowExA(0, "#32768", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    raw.push_back(w);
    return w;
  };
  HWND ordinary = menuWindow();
  ASSERT_TRUE(ordinary);
  EXPECT_TRUE(IsSkinned(ordinary));
  EXPECT_TRUE(m->IsSkinnedPopup(ordinary));
  DestroyWindow(ordinary);
  EXPECT_FALSE(m->IsSkinnedPopup(ordinary));
  EXPECT_TRUE(m->PopupMenus.empty());

  // A system menu while system menus are not skinned keeps the system's look.
  TSkinControls c = data->SkinControls();
  c.Exclude(xcSystemMenu);
  data->SetSkinControls(c);
  m->PopupMode = pmSystemMenu;
  HWND system = menuWindow();
  EXPECT_FALSE(IsSkinned(system));
  EXPECT_TRUE(m->PopupMenus.empty());
  // Menus of a skinned menu bar follow xcMainMenu.
  m->PopupMode = pmMenuBar;
  HWND bar = menuWindow();
  EXPECT_TRUE(IsSkinned(bar));
  DestroyWindow(bar);
  EXPECT_EQ(m->PopupMode, pmOrdinary);  // back once no skinned popup is left
}

// No exception may leave the hook or the timer: it reaches the application's handler.
TEST_F(SkinManagerTest, ExceptionsInTheHookAndTheTimerAreHandedOn) {
  TSkinData* data = MakeSkinData(nullptr);
  data->OnFormSkin = [](TObject*, const std::string&, bool&) { throw EConvertError("refused loudly"); };
  HWND w = MakeRaw();
  Show(w);  // the hook asks the component while the window is activated
  EXPECT_FALSE(IsSkinned(w));
  ASSERT_FALSE(caught.empty());
  EXPECT_EQ(caught[0], "EConvertError: refused loudly");
  caught.clear();
  data->OnSkinChanged = [](TObject*) { throw std::out_of_range("changed"); };
  data->OnFormSkin = nullptr;
  RunRequest(*SkinManage(), data, saSkinAll);
  ASSERT_EQ(caught.size(), 1u);
  EXPECT_NE(caught[0].find("out_of_range"), std::string::npos) << caught[0];
  Show(w);
  EXPECT_TRUE(IsSkinned(w));  // and everything goes on
}

// The reporter shows its dialogs on a thread of its own: that thread skins its windows with a
// copy of the program's skin for as long as it holds it, and the GUI thread's windows stay
// the program manager's throughout.
TEST_F(SkinManagerTest, AnotherThreadSkinsItsWindowsWithACopyWhileItHoldsIt) {
  MakeSkinData(nullptr);
  TSkinManage* program = SkinManage();
  ASSERT_TRUE(program);
  TForm* form = MakeForm("form");
  Show(form);
  ASSERT_TRUE(IsSkinned(form->Handle()));
  EXPECT_EQ(BeginThreadSkin(), nullptr) << "the GUI thread has the program manager already";

  struct Seen {
    bool began = false, secondRefused = false, ownManager = false, skinned = false;
    bool backToProgram = false, skinnedAfter = true, plainOnceDisabled = false;
    std::string error;
  } seen;
  auto showRaw = [](const char* caption) {
    HWND w = CreateWindowExA(0, "NvRawWindow", caption, WS_OVERLAPPEDWINDOW, 80, 80, 240, 160, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    ShowWindow(w, SW_SHOWNORMAL);
    SetActiveWindow(w);
    Pump(150);
    return w;
  };
  // The GUI thread keeps handling its messages while the other one runs, as it does while
  // the reporter's worker shows a dialog.
  auto runBeside = [](const std::function<void()>& body) {
    std::atomic<bool> done{false};
    std::thread t([&] {
      body();
      done = true;
    });
    while (!done) Pump(10);
    t.join();
  };
  runBeside([&] {
    try {
      {
        std::unique_ptr<TThreadSkin> scope = BeginThreadSkin();
        seen.began = scope != nullptr;
        if (!scope) return;
        seen.secondRefused = BeginThreadSkin() == nullptr;
        seen.ownManager = SkinManager() == &scope->Manager() && SkinManager() != ProgramSkinManager();
        Pump(150);  // the copy's request to skin every window of this thread
        HWND w = showRaw("with the copy");
        seen.skinned = IsSkinned(w);
        DestroyWindow(w);
      }
      seen.backToProgram = SkinManager() == ProgramSkinManager();
      HWND after = showRaw("after");
      seen.skinnedAfter = IsSkinned(after);
      DestroyWindow(after);
    } catch (const std::exception& e) {
      seen.error = e.what();
    }
  });
  EXPECT_EQ(seen.error, "");
  ASSERT_TRUE(seen.began);
  EXPECT_TRUE(seen.secondRefused) << "one copy per thread";
  EXPECT_TRUE(seen.ownManager);
  EXPECT_TRUE(seen.skinned);
  EXPECT_TRUE(seen.backToProgram);
  EXPECT_FALSE(seen.skinnedAfter) << "the copy's hook must be gone with it";
  EXPECT_EQ(SkinManage(), program);
  EXPECT_TRUE(IsSkinned(form->Handle()));
  EXPECT_TRUE(program->FindSkinForm(form->Handle()));

  // A program that skins nothing now gives other threads nothing to copy.
  program->SetEnabled(false);
  runBeside([&] { seen.plainOnceDisabled = BeginThreadSkin() == nullptr; });
  EXPECT_TRUE(seen.plainOnceDisabled);
  EXPECT_TRUE(caught.empty()) << ::testing::PrintToString(caught);
}

}  // namespace
