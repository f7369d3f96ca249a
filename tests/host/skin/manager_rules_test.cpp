// The skin manager's rules: which windows qualify for a skinned frame and which skin data
// component skins them.
#include "skin/forms/manager_rules.h"

#include <gtest/gtest.h>

#include "skin/data/skin_data.h"

namespace {

TAttachFacts Form(const std::string& cls = "TForm1") {
  TAttachFacts w;
  w.window = 0x100;
  w.className = cls;
  w.hasArea = true;
  w.ownInstance = true;
  w.hasForm = true;
  return w;
}

TEST(ManagerRules, WhichWindowsQualify) {
  TSkinData data(nullptr);
  EXPECT_TRUE(WindowQualifies(Form(), false, &data));
  EXPECT_TRUE(WindowQualifies(Form(), false, nullptr));

  TAttachFacts w = Form();
  w.formTag = 99;
  EXPECT_FALSE(WindowQualifies(w, false, &data));
  data.SetDisableTag(5);  // Tag 99 stays unskinned whatever DisableTag says
  EXPECT_FALSE(WindowQualifies(w, true, &data));
  w.formTag = 5;
  EXPECT_TRUE(WindowQualifies(w, false, &data));

  EXPECT_FALSE(WindowQualifies(Form("TApplication"), true, &data));
  EXPECT_FALSE(WindowQualifies(Form("TcxPopupEditPopupWindowX"), false, &data));
  EXPECT_FALSE(WindowQualifies(Form("SysMonthCal32"), false, &data));

  // Another module's window needs a form, or the system dialog class.
  TAttachFacts foreign;
  foreign.className = "SomeClass";
  foreign.hasArea = true;
  EXPECT_FALSE(WindowQualifies(foreign, false, &data));
  foreign.className = "#32770";
  EXPECT_TRUE(WindowQualifies(foreign, false, &data));

  // Without an area only an MDI child qualifies.
  w = Form();
  w.hasArea = false;
  EXPECT_FALSE(WindowQualifies(w, false, &data));
  w.mdiChild = true;
  EXPECT_TRUE(WindowQualifies(w, false, &data));

  // A plain child of an MDI client only in a skin-all pass.
  w = Form();
  w.child = true;
  w.parentClass = "MDIClient";
  EXPECT_FALSE(WindowQualifies(w, false, &data));
  EXPECT_TRUE(WindowQualifies(w, true, &data));
  w.mdiChild = true;
  EXPECT_TRUE(WindowQualifies(w, false, &data));
}

TEST(ManagerRules, PreviewWindowsNeedThePreviewOption) {
  TSkinData data(nullptr);
  EXPECT_TRUE(NameFilterAccepts(&data, 1, "TPrintPreviewForm"));
  data.SetOptions({xoToolbarBK});
  EXPECT_FALSE(NameFilterAccepts(&data, 1, "TPrintPreviewForm"));
  EXPECT_FALSE(NameFilterAccepts(&data, 1, "tpreview"));
  EXPECT_TRUE(NameFilterAccepts(&data, 1, "TForm1"));
  EXPECT_TRUE(NameFilterAccepts(nullptr, 1, "TPrintPreviewForm"));
  // The program's handler sees the filter's answer and has the last word.
  data.OnFormSkin = [](TObject*, const std::string&, bool& doSkin) { doSkin = !doSkin; };
  EXPECT_TRUE(NameFilterAccepts(&data, 1, "TPrintPreviewForm"));
  EXPECT_FALSE(NameFilterAccepts(&data, 1, "TForm1"));
}

class SkinDataListTest : public testing::Test {
 protected:
  // Components with an owner belong to it; the others to the test.
  TSkinData* Make(TSkinFormType t, TComponent* owner = nullptr) {
    TSkinData* s = new TSkinData(owner);
    if (!owner) made.emplace_back(s);
    s->SetSkinFormtype(t);
    return s;
  }
  std::vector<std::unique_ptr<TSkinData>> made;
};

TEST_F(SkinDataListTest, DefaultIsTheFirstMainformComponent) {
  TSkinDataList list;
  TSkinData* dialog = Make(sfDialog);
  TSkinData* main1 = Make(sfMainform);
  TSkinData* main2 = Make(sfMainform);
  list.Register(dialog);
  EXPECT_EQ(list.Default(), nullptr);
  list.Register(main1);
  list.Register(main2);
  list.Register(main1);
  EXPECT_EQ(list.Items(), (std::vector<TSkinData*>{dialog, main1, main2}));
  EXPECT_EQ(list.Default(), main1);
  // Unregistering the default leaves no pointer to it behind.
  list.Unregister(main1);
  EXPECT_EQ(list.Default(), main2);
  list.Unregister(main2);
  EXPECT_EQ(list.Default(), nullptr);
  EXPECT_FALSE(list.Contains(main2));
}

TEST_F(SkinDataListTest, ChoosingTheComponentForAWindow) {
  TSkinDataList list;
  auto none = [](TComponent*) -> uintptr_t { return 0; };
  EXPECT_EQ(list.ChooseFor(1, "TForm1", none), nullptr);

  TComponent formA(nullptr), formB(nullptr);
  TSkinData* onlyA = Make(sfOnlyThisForm, &formA);
  TSkinData* onlyA2 = Make(sfOnlyThisForm, &formA);
  TSkinData* onlyB = Make(sfOnlyThisForm, &formB);
  list.Register(onlyA);
  // Only own-form components: a window that is not their form gets the first registered.
  EXPECT_EQ(list.ChooseFor(7, "TForm9", none), onlyA);

  TSkinData* main1 = Make(sfMainform);
  TSkinData* main2 = Make(sfMainform);
  TSkinData* dialog = Make(sfDialog);
  for (TSkinData* s : {onlyA2, onlyB, main1, main2, dialog}) list.Register(s);
  auto handles = [&](TComponent* owner) -> uintptr_t {
    return owner == &formA ? 0xA : owner == &formB ? 0xB : 0;
  };
  EXPECT_EQ(list.ChooseFor(0xA, "TFormA", handles), onlyA2);  // the last of its own
  EXPECT_EQ(list.ChooseFor(0xB, "TFormB", handles), onlyB);
  EXPECT_EQ(list.ChooseFor(0xC, "TForm1", handles), main2);  // two main ones: the last
  EXPECT_EQ(list.ChooseFor(0xC, "TMessageForm", handles), dialog);
  EXPECT_EQ(list.ChooseFor(0xC, "#32770", handles), dialog);
  // A window of no form is never matched to a component whose form has no window yet.
  EXPECT_EQ(list.ChooseFor(0, "TForm1", handles), main2);
  list.Unregister(dialog);
  EXPECT_EQ(list.ChooseFor(0xC, "#32770", handles), main2);
}

}  // namespace
