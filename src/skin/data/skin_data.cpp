#include "skin/data/skin_data.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "framework/exception.h"
#include "skin/data/skin_data_system.h"
#include "skin/data/skin_derived.h"
#include "skin/data/skin_manager_link.h"
#include "skin/data/skin_reader.h"

namespace {

std::vector<TPropInfo> SkinDataProps() {
  using S = TSkinData;
  auto self = [](const TObject& o) -> const S& { return static_cast<const S&>(o); };
  auto me = [](TObject& o) -> S& { return static_cast<S&>(o); };
  return {
      BoolProp<S>("Active", &S::Active, &S::SetActive),
      IntProp<S, int>("DisableTag", &S::DisableTag, &S::SetDisableTag),
      {"SkinControls", TPropKind::Set,
       [=](const TObject& o) { return TPropValue::Members(SkinControlsToNames(self(o).SkinControls())); },
       [=](TObject& o, const TPropValue& v) { me(o).SetSkinControls(SkinControlsFromNames(v.list)); }},
      {"Options", TPropKind::Set,
       [=](const TObject& o) { return TPropValue::Members(SkinOptionsToNames(self(o).Options())); },
       [=](TObject& o, const TPropValue& v) { me(o).SetOptions(SkinOptionsFromNames(v.list)); }},
      {"Skin3rd", TPropKind::StringList,
       [=](const TObject& o) { return TPropValue::Strings(self(o).Skin3rd()); },
       [=](TObject& o, const TPropValue& v) { me(o).SetSkin3rd(v.list); }},
      StrProp<S>("SkinFile", &S::SkinFile, &S::SetSkinFile),
      StrProp<S>("SkinStore", &S::SkinStore, &S::SetSkinStore),
      {"SkinFormtype", TPropKind::Identifier,
       [=](const TObject& o) { return TPropValue::Ident(SkinFormTypeName(self(o).SkinFormtype())); },
       [=](TObject& o, const TPropValue& v) { me(o).SetSkinFormtype(SkinFormTypeFromName(v.text)); }},
      StrProp<S>("Version", &S::Version, &S::SetVersion),
      BoolProp<S>("MenuUpdate", &S::MenuUpdate, &S::SetMenuUpdate),
      BoolProp<S>("MenuMerge", &S::MenuMerge, &S::SetMenuMerge),
      // OnFormSkin, OnSkinControl, OnBeforeSkinForm and OnAfterSkinForm take arguments a
      // layout cannot bind; the program assigns them in code.
      EventProp<S>("OnSkinChanged", &S::SetOnSkinChanged),
      // Stored beside the published properties.
      {"SkinStream", TPropKind::Binary,
       [=](const TObject& o) { return TPropValue::Binary(self(o).SkinStream()); },
       [=](TObject& o, const TPropValue& v) { me(o).SetSkinStream(v.bytes); }},
  };
}

// True when the file can be opened, false when it does not exist; other failures (a folder,
// no permission) raise the stream's EFOpenError.
bool SkinFileExists(const std::string& path) {
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    std::fclose(f);
    return true;
  }
  if (errno == ENOENT) return false;
  throw EFOpenError(Format("Cannot open file \"%s\". %s", path.c_str(), std::strerror(errno)));
}

}  // namespace

NV_DEFINE_COMPONENT(TSkinData, TComponent, SkinDataProps)

TSkinData::TSkinData(TComponent* owner) : TSkinData(owner, CreateSkinDataSystem()) {}

TSkinData::TSkinData(TComponent* owner, std::unique_ptr<TSkinDataSystem> system)
    : TComponent(owner),
      system_(std::move(system)),
      skinControls_(DefaultSkinControls()),
      skin3rd_(DefaultSkin3rd()) {
  content_ = TSkinDataLoader([this](int i) { return system_->SysColor(i); }).Empty();
  maximizedWidth_ = system_->MaximizedWidth();
  maximizedHeight_ = system_->MaximizedHeight();
}

TSkinData::~TSkinData() {
  // The manager forgets this component and unskins the windows it skinned while the
  // content they paint from still exists.
  if (ISkinManager* m = SkinManager()) m->UnregisterSkinData(this);
}

void TSkinData::SetActive(bool value) {
  if (value == active_) return;
  active_ = value;
  if (IsLoading()) return;
  if (!loadedStepDone_) {
    // Made in code rather than read from a layout: the loaded step acts on Active.
    LoadedStep();
    return;
  }
  ISkinManager* m = SkinManager();
  if (!m) return;
  switch (formType_) {
    case sfMainform:
      if (value && !skinLoaded_) return;
      m->SetPendingSkinData(this);
      m->ScheduleAction(value ? saSkinAll : saUnskinAll, kSkinRequestDelay);
      if (value) m->SetState(kManagerRunning);
      break;
    case sfOnlyThisForm:
      if (value && !skinLoaded_) return;
      m->SetPendingSkinData(this);
      m->ScheduleAction(value ? saSkinAll : saUnskinAll, kSkinRequestDelay);
      break;
    case sfDialog:
    case sfDLL: break;
  }
}

void TSkinData::SetSkinFile(const std::string& path) {
  if (path == skinFile_) return;
  skinFile_ = path;
  if (path.empty() || !SkinFileExists(path)) return;
  // Into a temporary first: a file that is no skin must not cost the skin we have.
  TMemoryStream packed(ReadFileBytes(path));
  std::unique_ptr<TSkinContent> content = Build(packed);
  if (!content) return;  // another version; the notifier has told the user
  stored_.Bytes() = std::move(packed.Bytes());
  stored_.SetPosition(0);
  TakeContent(std::move(content));
  Apply();
}

std::vector<uint8_t> TSkinData::SkinStream() const {
  const std::vector<uint8_t>& bytes = stored_.Bytes();
  std::vector<uint8_t> out(4 + bytes.size());
  const int32_t n = int32_t(bytes.size());
  std::memcpy(out.data(), &n, 4);
  std::copy(bytes.begin(), bytes.end(), out.begin() + 4);
  return out;
}

void TSkinData::SetSkinStream(const std::vector<uint8_t>& bytes) {
  if (bytes.empty()) return;
  if (bytes.size() < 4) throw EReadError("SkinStream: the byte count is cut short");
  int32_t n;
  std::memcpy(&n, bytes.data(), 4);
  if (n <= 0) return;
  if (size_t(n) != bytes.size() - 4)
    throw EReadError(Format("SkinStream: %d bytes announced, %u stored", n, unsigned(bytes.size() - 4)));
  stored_.Bytes().assign(bytes.begin() + 4, bytes.end());
  stored_.SetPosition(0);
  try {
    LoadSkin();
  } catch (const std::exception& e) {
    // The window works without its skin; the user learns why it looks plain.
    ShowSkinMessage(Format("The skin stored with %s cannot be used: %s", Name().c_str(), e.what()));
  }
}

std::unique_ptr<TSkinContent> TSkinData::Build(TStream& packed) {
  std::unique_ptr<TSkinContent> c =
      TSkinDataLoader([this](int i) { return system_->SysColor(i); }).Load(packed);
  if (c) BuildDerivedObjects(*c, system_->ScrollArrowWidth());
  return c;
}

void TSkinData::TakeContent(std::unique_ptr<TSkinContent> content) {
  content_ = std::move(content);
  system_->SkinBuilt(*content_);
  skinLoaded_ = true;
}

bool TSkinData::LoadSkin() {
  skinLoaded_ = false;
  if (stored_.Size() == 0) return false;
  std::unique_ptr<TSkinContent> c = Build(stored_);
  if (!c) return false;
  TakeContent(std::move(c));
  return true;
}

void TSkinData::FormSkinQuery(uintptr_t window, const std::string& className, bool& doSkin) {
  queriedWindow_ = window;
  if (OnFormSkin) {
    OnFormSkin(this, className, doSkin);
    return;
  }
  if (className == "SysMonthCal32") doSkin = false;
  if (skinControls_.Has(xcFastReport) && className.compare(0, 3, "Tfr") == 0) doSkin = false;
}

void TSkinData::SkinChanged() {
  if (OnSkinChanged) OnSkinChanged(this);
}

void TSkinData::Loaded() {
  TComponent::Loaded();
  LoadedStep();
}

void TSkinData::LoadedStep() {
  loadedStepDone_ = true;
  if (!system_->HasScrollBarInfo()) skinControls_.Exclude(xcScrollbar);
  ISkinManager* m = EnsureSkinManager();
  if (m) m->RegisterSkinData(this);
  system_->ReadCaptionFont();
  if (formType_ == sfMainform) {
    if (m) m->InstallHook();
    if (active_ && !skinLoaded_) {
      active_ = false;
    } else if (active_ && m) {
      m->SetPendingSkinData(this);
      m->ScheduleAction(saSkinAll, kSkinRequestDelay);
    }
    if (skinControls_.Has(xcMainMenu))
      skinControls_.Exclude(xcMenuItem);
    else
      skinControls_.Exclude(xcSystemMenu);
    captionIcon_ = system_->CaptionIconPicture();
    return;
  }
  if (!m) return;
  m->SetEnabled(true);
  // Running from now on; counting further would run into the manager's other states.
  if (m->State() == kManagerWaiting) m->SetState(kManagerRunning);
  if (active_) m->AttachOwnerForm(Owner());
}

void TSkinData::Apply() {
  if (IsLoading()) return;
  if (!loadedStepDone_) LoadedStep();
  ISkinManager* m = SkinManager();
  if (!m) return;
  m->SetPendingSkinData(this);
  m->ReapplySkinData();
  if (m->State() == kManagerRunning) m->ScheduleAction(saSkinChanged, kSkinRequestDelay);
}

void RegisterSkinDataClass() { RegisterComponentClass(TSkinData::StaticClass()); }
