// TSkinData: the non-visual component a form carries to be skinned.
//
// It keeps the packed skin with the form's layout ("SkinStream", or a skin file named by
// SkinFile), builds it into skin objects (TSkinContent) and derived pictures, and asks the
// process-wide skin manager to skin, unskin or re-skin windows. Every other skin unit reads
// the active skin through it.
//
// The content always exists: it is created empty with the component, so the borders,
// "Buttons" and "Title" can always be read, and is replaced as a whole by each successful
// load. Whether a skin is loaded is a flag of its own (SkinLoaded).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/component.h"
#include "framework/streams.h"
#include "skin/data/skin_loader.h"
#include "skin/data/skin_types.h"

class TSkinData;
class TSkinDataSystem;

// Lets the program refuse skinning a window class (doSkin comes in as the manager's answer).
using TFormSkinEvent = std::function<void(TObject* sender, const std::string& aName, bool& doSkin)>;
// Lets the program supply its own painter for a control; the painter is owned by the control.
using TSkinControlEvent =
    std::function<void(TObject* sender, TSkinData* skinData, TComponent* form, TComponent* control,
                       const std::string& controlClass, TObject*& skinnedControl)>;
// Raised around skinning one window (ahwnd is the window handle).
using TSkinFormEvent = std::function<void(TObject* sender, uintptr_t ahwnd, const std::string& aName)>;

class TSkinData : public TComponent {
  NV_CLASS(TSkinData)
 public:
  static constexpr const char* kVersion = "4.12.07.30";
  static constexpr int kDefaultDisableTag = 99;

  explicit TSkinData(TComponent* owner);
  // With a system side of the caller's (tests).
  TSkinData(TComponent* owner, std::unique_ptr<TSkinDataSystem> system);
  ~TSkinData() override;

  // ---- Published properties, in their published order ----
  bool Active() const { return active_; }
  // At run time asks the manager to skin or unskin (nothing while the layout is read, or
  // when the value is unchanged).
  void SetActive(bool value);
  int DisableTag() const { return disableTag_; }
  void SetDisableTag(int v) { disableTag_ = v; }
  TSkinControls SkinControls() const { return skinControls_; }
  void SetSkinControls(TSkinControls v) { skinControls_ = v; }
  TSkinOptions Options() const { return options_; }
  void SetOptions(TSkinOptions v) { options_ = v; }
  // Other components' classes and the skinned kind that paints them: "TClass=kind" lines.
  const std::vector<std::string>& Skin3rd() const { return skin3rd_; }
  void SetSkin3rd(std::vector<std::string> lines) { skin3rd_ = std::move(lines); }
  std::string SkinFile() const { return skinFile_; }
  // Loads the named file into a new content; only when that succeeds does it replace the
  // stored skin and the content, and the skin is applied. A missing file changes nothing
  // but the stored path. Raises what loading raises (the old skin stays).
  void SetSkinFile(const std::string& path);
  // "(none)": the program never tells about the stored skin.
  std::string SkinStore() const { return "(none)"; }
  void SetSkinStore(const std::string&) {}
  TSkinFormType SkinFormtype() const { return formType_; }
  void SetSkinFormtype(TSkinFormType t) { formType_ = t; }
  std::string Version() const { return kVersion; }
  void SetVersion(const std::string&) {}
  bool MenuUpdate() const { return menuUpdate_; }
  void SetMenuUpdate(bool v) { menuUpdate_ = v; }
  bool MenuMerge() const { return menuMerge_; }
  void SetMenuMerge(bool v) { menuMerge_ = v; }

  TFormSkinEvent OnFormSkin;
  TNotifyEvent OnSkinChanged;
  TSkinControlEvent OnSkinControl;
  TSkinFormEvent OnBeforeSkinForm;
  TSkinFormEvent OnAfterSkinForm;
  void SetOnSkinChanged(TNotifyEvent e) { OnSkinChanged = std::move(e); }

  // ---- The stored skin ----
  // As the layout stores it: a signed 32-bit byte count L, then L bytes of packed skin.
  std::vector<uint8_t> SkinStream() const;
  // Reads that form; L > 0 stores the bytes and loads the skin (see LoadSkin), L <= 0
  // stores nothing. A count beyond the bytes given raises EReadError. A skin that cannot be
  // built is reported through the skin message notifier and leaves no skin loaded.
  void SetSkinStream(const std::vector<uint8_t>& bytes);
  const TMemoryStream& StoredSkin() const { return stored_; }

  // Builds the stored packed skin. Marks the skin not loaded first; on success the content
  // is replaced and the skin marked loaded. False for an archive of another version (the
  // notifier has told the user). Raises ElzhException, ESkinArchiveError or EInvalidGraphic
  // for a broken skin; the previous content then stays, still marked not loaded.
  bool LoadSkin();
  bool SkinLoaded() const { return skinLoaded_; }
  const TSkinContent& Content() const { return *content_; }
  uint32_t TitleColor() const { return content_->TitleColor; }

  // ---- What the manager calls ----
  // Whether a window of this class may be skinned: OnFormSkin decides when assigned;
  // otherwise "SysMonthCal32" is refused, and with xcFastReport classes beginning "Tfr".
  void FormSkinQuery(uintptr_t window, const std::string& className, bool& doSkin);
  uintptr_t QueriedWindow() const { return queriedWindow_; }
  // Raises OnSkinChanged (the manager carried out a request of this component).
  void SkinChanged();

  // ---- Values kept for the painters ----
  TSkinDataSystem& System() { return *system_; }
  // The application's icon over magenta for captions; painters may fill it when empty.
  TSkinBitmap& CaptionIcon() { return captionIcon_; }
  int MaximizedWidth() const { return maximizedWidth_; }
  int MaximizedHeight() const { return maximizedHeight_; }
  // The loaded step has run (registered with the manager when there is one).
  bool LoadedStepDone() const { return loadedStepDone_; }

  void Loaded() override;

 private:
  std::unique_ptr<TSkinContent> Build(TStream& packed);
  void TakeContent(std::unique_ptr<TSkinContent> content);
  void LoadedStep();
  void Apply();

  std::unique_ptr<TSkinDataSystem> system_;
  bool active_ = false;
  int disableTag_ = kDefaultDisableTag;
  TSkinControls skinControls_;
  TSkinOptions options_{xoPreview, xoToolbarBK};
  std::vector<std::string> skin3rd_;
  std::string skinFile_;
  TSkinFormType formType_ = sfMainform;
  bool menuUpdate_ = true;
  bool menuMerge_ = false;

  TMemoryStream stored_;
  std::unique_ptr<TSkinContent> content_;
  bool skinLoaded_ = false;
  bool loadedStepDone_ = false;
  TSkinBitmap captionIcon_;
  int maximizedWidth_ = 0;
  int maximizedHeight_ = 0;
  uintptr_t queriedWindow_ = 0;
};

// The default "Skin3rd" list: 117 lines in their stored order.
const std::vector<std::string>& DefaultSkin3rd();

// Makes TSkinData known to the layout reader by class name.
void RegisterSkinDataClass();
