// TForm1: the program's one window — the profile list, the profile's fields, and the
// buttons that save, delete and apply profiles.
#pragma once

#include <string>

#include "framework/forms_win32.h"
#include "profiles/profile_store.h"

class TStatusBar;
class TGroupBox;
class TLabel;
class TEdit;
class TButton;
class TListBox;
class TImage;
class TSkinData;

class TForm1 : public TForm {
  NV_CLASS(TForm1)
 public:
  explicit TForm1(TComponent* owner);

  // Handlers bound by name from the stored layout.
  void FormCreate(TObject* sender);
  void ListBox1Click(TObject* sender);
  void Button1Click(TObject* sender);
  void Button6Click(TObject* sender);
  void Button2Click(TObject* sender);
  void Button3Click(TObject* sender);
  void Button4Click(TObject* sender);
  void Button5Click(TObject* sender);
  void Image2Click(TObject* sender);
  void STBClick(TObject* sender);

  TNotifyEvent MethodAddress(const std::string& name) override;

  TStatusBar* STB = nullptr;
  TGroupBox* GroupBox1 = nullptr;
  TGroupBox* GroupBox2 = nullptr;
  TLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr, *Label5 = nullptr,
         *Label6 = nullptr;
  TEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr, *Edit4 = nullptr, *Edit5 = nullptr,
        *Edit6 = nullptr;
  TButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *Button4 = nullptr, *Button5 = nullptr,
          *Button6 = nullptr;
  TListBox* ListBox1 = nullptr;
  TImage* Image2 = nullptr;
  TSkinData* SkinData1 = nullptr;

 protected:
  void Loaded() override;

 private:
  TIpProfile ShownProfile() const;
  void ClearFields();
  void OpenInBrowser(const char* url);
  TProfileStore store_;
};

extern TForm1* Form1;

// Where the advertising controls lead.
extern const char kShopHomePage[];
extern const char kAffiliatePage[];
