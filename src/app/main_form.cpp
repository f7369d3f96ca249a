#include "app/main_form.h"

#include <map>

#include "framework/application_win32.h"
#include "framework/image_win32.h"
#include "framework/message_form_win32.h"
#include "framework/shell_open_win32.h"
#include "framework/status_bar_win32.h"
#include "framework/std_controls_win32.h"
#include "netcfg/netsh_win32.h"
#include "profiles/trim.h"
#include "skin/data/skin_data.h"

TForm1* Form1 = nullptr;

const char kShopHomePage[] = "http://www.example.com/";
const char kAffiliatePage[] = "http://shop.example.net/try.htm?pid=netvosk&pvr=21&m=bag";

NV_DEFINE_CLASS(TForm1, TForm)

namespace {
// Finds a component the layout must have created, of the class the form expects.
template <class T>
T* Require(TComponent& form, const char* name) {
  auto* c = dynamic_cast<T*>(form.FindComponent(name));
  if (!c) throw EInvalidOperation(Format("The main window's layout has no %s", name));
  return c;
}
}  // namespace

TForm1::TForm1(TComponent* owner) : TForm(owner) { LoadLayoutResource(); }

void TForm1::Loaded() {
  STB = Require<TStatusBar>(*this, "STB");
  GroupBox1 = Require<TGroupBox>(*this, "GroupBox1");
  GroupBox2 = Require<TGroupBox>(*this, "GroupBox2");
  Label1 = Require<TLabel>(*this, "Label1");
  Label2 = Require<TLabel>(*this, "Label2");
  Label3 = Require<TLabel>(*this, "Label3");
  Label4 = Require<TLabel>(*this, "Label4");
  Label5 = Require<TLabel>(*this, "Label5");
  Label6 = Require<TLabel>(*this, "Label6");
  Edit1 = Require<TEdit>(*this, "Edit1");
  Edit2 = Require<TEdit>(*this, "Edit2");
  Edit3 = Require<TEdit>(*this, "Edit3");
  Edit4 = Require<TEdit>(*this, "Edit4");
  Edit5 = Require<TEdit>(*this, "Edit5");
  Edit6 = Require<TEdit>(*this, "Edit6");
  Button1 = Require<TButton>(*this, "Button1");
  Button2 = Require<TButton>(*this, "Button2");
  Button3 = Require<TButton>(*this, "Button3");
  Button4 = Require<TButton>(*this, "Button4");
  Button5 = Require<TButton>(*this, "Button5");
  Button6 = Require<TButton>(*this, "Button6");
  ListBox1 = Require<TListBox>(*this, "ListBox1");
  Image2 = Require<TImage>(*this, "Image2");
  SkinData1 = Require<TSkinData>(*this, "SkinData1");
  TForm::Loaded();
}

TNotifyEvent TForm1::MethodAddress(const std::string& name) {
  using Handler = void (TForm1::*)(TObject*);
  static const std::map<std::string, Handler> handlers = {
      {"FormCreate", &TForm1::FormCreate},       {"ListBox1Click", &TForm1::ListBox1Click},
      {"Button1Click", &TForm1::Button1Click},   {"Button6Click", &TForm1::Button6Click},
      {"Button2Click", &TForm1::Button2Click},   {"Button3Click", &TForm1::Button3Click},
      {"Button4Click", &TForm1::Button4Click},   {"Button5Click", &TForm1::Button5Click},
      {"Image2Click", &TForm1::Image2Click},     {"STBClick", &TForm1::STBClick},
  };
  auto it = handlers.find(name);
  if (it == handlers.end()) return nullptr;
  Handler h = it->second;
  return [this, h](TObject* sender) { (this->*h)(sender); };
}

TIpProfile TForm1::ShownProfile() const {
  TIpProfile p;
  p.connection = TrimField(Edit2->Text());
  p.address = TrimField(Edit3->Text());
  p.mask = TrimField(Edit4->Text());
  p.gateway = TrimField(Edit5->Text());
  p.dns = TrimField(Edit6->Text());
  return p;
}

void TForm1::ClearFields() {
  for (TEdit* e : {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6}) e->SetText("");
}

void TForm1::FormCreate(TObject*) {
  ListBox1->Items()->Assign(store_.List());
  ClearFields();
}

void TForm1::ListBox1Click(TObject*) {
  int index = ListBox1->ItemIndex();
  if (index < 0 || index >= ListBox1->Items()->Count()) return;
  Edit1->SetText((*ListBox1->Items())[index]);
  TIpProfile p = store_.Load(TrimField(Edit1->Text()));
  Edit2->SetText(p.connection);
  Edit3->SetText(p.address);
  Edit4->SetText(p.mask);
  Edit5->SetText(p.gateway);
  Edit6->SetText(p.dns);
}

void TForm1::Button1Click(TObject*) {
  std::string name = TrimField(Edit1->Text());
  store_.Save(name, ShownProfile());  // raises on a failed write: nothing is listed then
  ListBox1->Items()->Add(name);
}

void TForm1::Button6Click(TObject*) {
  store_.Delete(TrimField(Edit1->Text()));
  int index = ListBox1->ItemIndex();
  if (index >= 0) ListBox1->Items()->Delete(index);
  ClearFields();
}

void TForm1::Button2Click(TObject*) {
  TNetResult result = ApplyProfile(Application->Handle(), ShownProfile());
  ShowMessage(result.Succeeded() ? std::string("设置完成") : result.FailureMessage());
}

void TForm1::Button3Click(TObject*) {
  TNetResult result = SwitchToDhcp(Application->Handle());
  if (result.Succeeded())
    ::MessageBoxA(Application->Handle(), "修改完成。", "提示", MB_OK);
  else
    ShowMessage(result.FailureMessage());
}

void TForm1::Button4Click(TObject*) { Close(); }

void TForm1::OpenInBrowser(const char* url) {
  // The result is not looked at: a missing browser is no concern of this window.
  ShellOpen(Handle(), "Open", "IEXPLORE.EXE", url, "", SW_SHOWNORMAL);
}

void TForm1::Button5Click(TObject*) { OpenInBrowser(kAffiliatePage); }
void TForm1::Image2Click(TObject*) { OpenInBrowser(kShopHomePage); }
void TForm1::STBClick(TObject*) { OpenInBrowser(kShopHomePage); }
