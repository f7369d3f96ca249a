// Properties by name: every declared property of every registered class reads and writes
// back; names of enumerations and sets; safe look-ups; string lists; the screen object.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <thread>

#include "framework/application_win32.h"
#include "framework/forms_win32.h"
#include "framework/message_form_win32.h"
#include "framework/screen_win32.h"
#include "framework/status_bar_win32.h"
#include "framework/std_controls_win32.h"

namespace {
bool SameValue(const TPropValue& a, const TPropValue& b) {
  if (a.kind != b.kind || a.integer != b.integer || a.text != b.text || a.list != b.list ||
      a.bytes != b.bytes || a.object != b.object || a.items.size() != b.items.size())
    return false;
  for (size_t i = 0; i < a.items.size(); ++i) {
    if (a.items[i].size() != b.items[i].size()) return false;
    for (size_t j = 0; j < a.items[i].size(); ++j)
      if (a.items[i][j].first != b.items[i][j].first ||
          !SameValue(a.items[i][j].second, b.items[i][j].second))
        return false;
  }
  return true;
}

class Properties : public ::testing::Test {
 protected:
  void SetUp() override {
    app = new TApplication(nullptr);
    form = app->CreateForm<TForm>();
  }
  void TearDown() override { delete app; }
  TApplication* app = nullptr;
  TForm* form = nullptr;
};

// Reads every property of obj, writes the value back, reads it again; sub-objects likewise.
// Records the classes whose properties were gone through.
void RoundTrip(TObject& obj, std::set<std::string>& covered, const std::string& path) {
  covered.insert(obj.ClassName());
  for (const TClassInfo* c = obj.ClassParent(); c; c = c->parent) covered.insert(c->name);
  for (const TPropInfo* p : GetPropList(obj)) {
    std::string where = path + p->name;
    ASSERT_TRUE(p->get) << where << " cannot be read";
    TPropValue before;
    ASSERT_NO_THROW(before = GetPropValue(obj, p->name)) << where;
    if (p->kind == TPropKind::Object) {
      ASSERT_NE(before.object, nullptr) << where;
      EXPECT_NO_THROW(SetPropValue(obj, p->name, before)) << where;
      RoundTrip(*before.object, covered, where + ".");
      continue;
    }
    if (p->kind == TPropKind::Event) {
      ASSERT_TRUE(p->setEvent) << where;
      p->setEvent(obj, [](TObject*) {});
      EXPECT_TRUE(SameValue(GetPropValue(obj, p->name), TPropValue::Bool(true))) << where;
      p->setEvent(obj, nullptr);
      continue;
    }
    ASSERT_NO_THROW(SetPropValue(obj, p->name, before)) << where << " cannot be written back";
    EXPECT_TRUE(SameValue(GetPropValue(obj, p->name), before)) << where << " changed when written back";
    if (p->kind != TPropKind::Collection && p->kind != TPropKind::Binary) {
      std::string text = PropValueToText(*p, before);
      ASSERT_NO_THROW(SetPropText(obj, p->name, text)) << where << " as text: " << text;
      EXPECT_EQ(GetPropText(obj, p->name), text) << where;
    }
  }
}
}  // namespace

TEST_F(Properties, EveryDeclaredPropertyOfEveryRegisteredClassReadsAndWritesBack) {
  std::set<std::string> covered;
  RoundTrip(*form, covered, "TForm.");
  auto* message = new TMessageForm(app);
  RoundTrip(*message, covered, "TMessageForm.");
  for (const TClassInfo* cls : RegisteredClasses()) {
    if (!cls->create) continue;
    TComponent* c = cls->create(form);
    c->SetParentComponent(form);
    RoundTrip(*c, covered, std::string(cls->name) + ".");
  }
  // A registered class with properties of its own that no instance reached would go
  // untested: the list above must grow with it.
  for (const TClassInfo* cls : RegisteredClasses()) {
    if (cls->OwnProps().empty()) continue;
    EXPECT_TRUE(covered.count(cls->name)) << cls->name << " was not gone through";
  }
}

TEST_F(Properties, EnumerationsAndSetsReadByName) {
  form->SetBorderStyle(bsSingle);
  form->SetBorderIcons(biSystemMenu);
  EXPECT_EQ(GetPropText(*form, "BorderStyle"), "bsSingle");
  EXPECT_EQ(GetPropText(*form, "BorderIcons"), "[biSystemMenu]");
  EXPECT_EQ(GetPropText(*form, "Position"), "poDesigned");
  SetPropText(*form, "BorderIcons", "[biSystemMenu, biMinimize]");
  EXPECT_EQ(form->BorderIcons(), static_cast<unsigned>(biSystemMenu | biMinimize));
  EXPECT_EQ(GetPropValue(*form, "BorderIcons").list,
            (std::vector<std::string>{"biSystemMenu", "biMinimize"}));
  SetPropText(*form, "BorderIcons", "[]");
  EXPECT_EQ(form->BorderIcons(), 0u);
  EXPECT_THROW(SetPropText(*form, "BorderStyle", "bsRound"), EConvertError);
  EXPECT_THROW(SetPropValue(*form, "BorderIcons", TPropValue::Members({"biRound"})), EConvertError);
  // Colours are integers that also take their names; alignments are enumerations.
  auto* bar = new TStatusBar(form);
  EXPECT_EQ(GetPropValue(*bar, "Align").text, "alBottom");
  EXPECT_EQ(GetPropText(*bar, "Color"), "clBtnFace");
  SetPropText(*bar, "Color", "clRed");
  EXPECT_EQ(GetPropValue(*bar, "Color").integer, 0x0000FF);
  SetPropText(*bar, "Color", "$00123456");
  EXPECT_EQ(bar->Color(), 0x123456);
  SetPropText(*bar->Font(), "Style", "[fsBold]");
  EXPECT_EQ(GetPropText(*bar, "Font"), "");  // an object has no text of its own
  EXPECT_EQ(GetPropText(*bar->Font(), "Style"), "[fsBold]");
  EXPECT_EQ(GetPropText(*bar->Font(), "Charset"), "DEFAULT_CHARSET");
}

TEST_F(Properties, LookUpsOfMissingPropertiesNeverRaise) {
  auto* edit = new TEdit(form);
  EXPECT_NE(GetPropInfo(*edit, "caption"), nullptr);  // names are case-insensitive
  EXPECT_EQ(GetPropInfo(*edit, "AutoScroll"), nullptr);
  EXPECT_EQ(GetPropInfo(static_cast<TObject*>(nullptr), "Caption"), nullptr);
  EXPECT_EQ(GetPropInfo(*edit, "ParentBackground"), nullptr);
  EXPECT_THROW(GetPropValue(*edit, "AutoScroll"), EPropertyError);
  // ParentColor on every control kind; ParentBackground where the parent can show through.
  for (TComponent* c :
       {static_cast<TComponent*>(edit), static_cast<TComponent*>(new TLabel(form)),
        static_cast<TComponent*>(new TButton(form)), static_cast<TComponent*>(new TListBox(form)),
        static_cast<TComponent*>(new TGroupBox(form))})
    EXPECT_NE(GetPropInfo(*c, "ParentColor"), nullptr) << c->ClassName();
  auto* group = new TGroupBox(form);
  EXPECT_EQ(GetPropText(*group, "ParentBackground"), "True");
  SetPropText(*group, "ParentBackground", "False");
  EXPECT_FALSE(group->ParentBackground());
}

TEST_F(Properties, StringListsReadAndWriteAsAWholeAndMirrorIntoTheWindow) {
  auto* list = new TListBox(form);
  list->SetParent(form);
  SetPropValue(*list, "Items", TPropValue::Strings({"TComboboxex=combobox", "b"}));
  HWND h = list->Handle();
  TStrings& items = *list->Items();
  EXPECT_EQ(items.Values("tcomboboxex"), "combobox");
  EXPECT_EQ(items.Names(0), "TComboboxex");
  items.Insert(1, "middle");
  items.Put(2, "c");
  items.SetValue("TComboboxex", "edit");
  EXPECT_EQ(GetPropValue(items, "Strings").list,
            (std::vector<std::string>{"TComboboxex=edit", "middle", "c"}));
  ASSERT_EQ(SendMessageA(h, LB_GETCOUNT, 0, 0), 3);
  char line[64];
  SendMessageA(h, LB_GETTEXT, 2, reinterpret_cast<LPARAM>(line));
  EXPECT_STREQ(line, "c");
  SendMessageA(h, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(line));
  EXPECT_STREQ(line, "TComboboxex=edit");
  SetPropText(items, "Text", "x\r\ny\nz");
  EXPECT_EQ(items.Count(), 3);
  EXPECT_EQ(SendMessageA(h, LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(GetPropText(items, "Text"), "x\r\ny\r\nz\r\n");
  EXPECT_THROW(items.Insert(5, "far"), EListError);
  EXPECT_THROW(items.Put(-1, "no"), EListError);
}

TEST_F(Properties, TheScreenKnowsFormsTheActiveFormAndTheFocus) {
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  form->SetBounds(10, 10, 200, 100);
  form->Show();
  SetForegroundWindow(form->Handle());
  SetActiveWindow(form->Handle());
  edit->SetFocus();
  EXPECT_EQ(Screen->FindForm(form->Handle()), form);
  EXPECT_EQ(Screen->ActiveForm(), form);
  EXPECT_EQ(Screen->ActiveControl(), edit);
  // A message form is among the forms while it is shown, and is active then.
  int formsDuring = 0;
  bool messageActive = false;
  std::thread user([&] {
    for (int i = 0; i < 200; ++i) {
      HWND box = FindWindowA("TMessageForm", nullptr);
      if (box && IsWindowVisible(box)) {
        PostMessageA(box, WM_NULL, 0, 0);
        Sleep(50);
        PostMessageA(box, WM_CLOSE, 0, 0);
        return;
      }
      Sleep(10);
    }
  });
  Screen->OnActiveFormChange = [&](TObject*) {
    if (dynamic_cast<TMessageForm*>(Screen->ActiveForm())) {
      formsDuring = Screen->FormCount();
      messageActive = true;
    }
  };
  ShowMessage("text");
  user.join();
  Screen->OnActiveFormChange = nullptr;
  EXPECT_TRUE(messageActive);
  EXPECT_EQ(formsDuring, 2);
  EXPECT_EQ(Screen->FormCount(), 1);
  EXPECT_EQ(Screen->Forms().front(), form);
  // The hidden application window never passes for the program's main window.
  LONG exStyle = GetWindowLongA(app->Handle(), GWL_EXSTYLE);
  EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(IsWindowVisible(app->Handle()));
  EXPECT_NE(app->Icon(), nullptr);
  EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrA(form->Handle(), GCLP_HICONSM)), app->SmallIcon());
}
