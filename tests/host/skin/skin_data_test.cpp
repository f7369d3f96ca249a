// The skin data component: its stored form, loading order, requests to the manager, the
// skin file replacement and the form-skin query, with a recording stand-in manager.
#include "skin/data/skin_data.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "framework/layout.h"
#include "lzh_encoder.h"
#include "skin/data/skin_data_system.h"
#include "skin/data/skin_manager_link.h"
#include "skin/data/skin_reader.h"
#include "skin_archive_writer.h"
#include "skin_test_util.h"

namespace {

// Records every request as text, in order.
class TRecordingManager : public ISkinManager {
 public:
  explicit TRecordingManager(std::vector<std::string>& log) : log_(log) {}
  void RegisterSkinData(TSkinData* s) override { log_.push_back("register " + s->Name()); }
  void UnregisterSkinData(TSkinData* s) override { log_.push_back("unregister " + s->Name()); }
  void InstallHook() override { log_.push_back("hook"); }
  void ScheduleAction(int action, int ms) override {
    log_.push_back("action " + std::to_string(action) + " " + std::to_string(ms));
  }
  int State() const override { return state; }
  void SetState(int s) override {
    state = s;
    log_.push_back("state " + std::to_string(s));
  }
  void SetEnabled(bool e) override { log_.push_back(e ? "enable" : "disable"); }
  void SetPendingSkinData(TSkinData* s) override { log_.push_back("pending " + (s ? s->Name() : "none")); }
  void ReapplySkinData() override { log_.push_back("reapply"); }
  bool AttachOwnerForm(TComponent* owner) override {
    log_.push_back("attach " + (owner ? owner->Name() : "none"));
    return owner != nullptr;
  }
  int state = kManagerWaiting;

 private:
  std::vector<std::string>& log_;
};

class TFakeSystem : public TSkinDataSystem {
 public:
  uint32_t SysColor(int) override { return 0x808080; }
  int ScrollArrowWidth() override { return 17; }
  bool HasScrollBarInfo() override { return scrollBarInfo; }
  int MaximizedWidth() override { return 800; }
  int MaximizedHeight() override { return 600; }
  void SkinBuilt(const TSkinContent& c) override { ++built; }
  void ReadCaptionFont() override { ++fontReads; }
  TSkinBitmap CaptionIconPicture() override { return TSkinBitmap(16, 16); }
  bool scrollBarInfo = true;
  int built = 0, fontReads = 0;
};

std::vector<uint8_t> PackedSkin(const std::string& ini, std::vector<TSkinEntry> pictures = {}) {
  pictures.push_back({"skin.ini", std::vector<uint8_t>(ini.begin(), ini.end())});
  return PackSkin(pictures);
}
const std::string kTopIni = "[TitlebarSkin]\nSkinName=A\n[Personality]\nTop=top.bmp\n";
std::vector<uint8_t> SkinA() { return PackedSkin(kTopIni, {{"top.bmp", skin_test::PlainBmp(30, 20)}}); }
std::vector<uint8_t> Prefixed(const std::vector<uint8_t>& packed) {
  std::vector<uint8_t> out;
  skin_test::Append32(out, uint32_t(packed.size()));
  out.insert(out.end(), packed.begin(), packed.end());
  return out;
}

class SkinDataTest : public testing::Test {
 protected:
  void SetUp() override {
    SetSkinManagerFactory([this] {
      auto m = std::make_unique<TRecordingManager>(log);
      manager = m.get();
      return m;
    });
    SetSkinMessageNotifier([this](const std::string& t) { messages.push_back(t); });
  }
  void TearDown() override {
    FreeSkinManager();
    SetSkinManagerFactory(nullptr);
    SetSkinMessageNotifier(nullptr);
  }
  // A component read from a layout, as the main window's is.
  std::unique_ptr<TComponent> ReadForm(const std::string& skinDataProps) {
    RegisterSkinDataClass();
    auto form = std::make_unique<TComponent>(nullptr);
    ReadComponentTree(*form, ParseLayout("object Form1: TComponent\n object SkinData1: TSkinData\n" +
                                         skinDataProps + "\n end\nend\n"));
    return form;
  }
  static TSkinData& SkinData(TComponent& form) {
    return *static_cast<TSkinData*>(form.FindComponent("SkinData1"));
  }
  static std::string Hex(const std::vector<uint8_t>& b) {
    std::string s = "{";
    for (uint8_t v : b) s += Format("%02x", v);
    return s + "}";
  }

  std::vector<std::string> log;
  std::vector<std::string> messages;
  TRecordingManager* manager = nullptr;
};

TEST_F(SkinDataTest, DefaultsAndPublishedOrder) {
  TSkinData d(nullptr, std::make_unique<TFakeSystem>());
  std::vector<std::string> names;
  for (const TPropInfo& p : TSkinData::StaticClass().OwnProps()) names.push_back(p.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Active", "DisableTag", "SkinControls", "Options", "Skin3rd",
                                             "SkinFile", "SkinStore", "SkinFormtype", "Version", "MenuUpdate",
                                             "MenuMerge", "OnSkinChanged", "SkinStream"}));
  EXPECT_FALSE(d.Active());
  EXPECT_EQ(d.DisableTag(), 99);
  EXPECT_EQ(GetPropValue(d, "SkinControls").list.size(), 20u);
  EXPECT_FALSE(d.SkinControls().Has(xcMenuItem));
  EXPECT_FALSE(d.SkinControls().Has(xcFastReport));
  EXPECT_EQ(GetPropValue(d, "Options").list, (std::vector<std::string>{"xoPreview", "xoToolbarBK"}));
  EXPECT_EQ(GetPropValue(d, "SkinFormtype").text, "sfMainform");
  EXPECT_EQ(GetPropValue(d, "Version").text, "4.12.07.30");
  EXPECT_TRUE(d.MenuUpdate());
  EXPECT_FALSE(d.MenuMerge());
  // Version and SkinStore cannot be written; SkinStore never tells about the stored skin.
  SetPropValue(d, "Version", TPropValue::Str("9"));
  d.SetSkinStream(Prefixed(SkinA()));
  SetPropValue(d, "SkinStore", TPropValue::Str("(Good)"));
  EXPECT_EQ(d.Version(), "4.12.07.30");
  EXPECT_EQ(d.SkinStore(), "(none)");

  const auto& lines = d.Skin3rd();
  ASSERT_EQ(lines.size(), 117u);
  EXPECT_EQ(lines.front(), "TCategoryButtons=scrollbar");
  EXPECT_EQ(lines[11], "TTBXDockablePanel=Panel");
  EXPECT_EQ(lines.back(), "TLMDDBCHECKBOX=Checkbox");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "TWWDBCombobox=Combobox"), 2);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "TLMDFontSizeCombobox=combobox"), 2);
}

// The empty content of a new component already has the objects every painter reads.
TEST_F(SkinDataTest, ContentExistsBeforeAnySkin) {
  TSkinData d(nullptr, std::make_unique<TFakeSystem>());
  EXPECT_FALSE(d.SkinLoaded());
  for (auto* b :
       {d.Content().Left.get(), d.Content().Right.get(), d.Content().Top.get(), d.Content().Bottom.get()})
    ASSERT_TRUE(b);
  EXPECT_EQ(d.Content().Top->Name, "Top");
  ASSERT_TRUE(d.Content().Buttons);
  ASSERT_TRUE(d.Content().Title);
  EXPECT_EQ(d.Content().Colours.ButtonFace, 0x808080u);
  EXPECT_EQ(d.TitleColor(), 0x808080u);
  EXPECT_EQ(d.MaximizedWidth(), 800);
}

TEST_F(SkinDataTest, StoredFormRoundTripsAndRefusesCutCounts) {
  TSkinData d(nullptr, std::make_unique<TFakeSystem>());
  auto stored = Prefixed(SkinA());
  d.SetSkinStream(stored);
  EXPECT_TRUE(d.SkinLoaded());
  EXPECT_EQ(d.Content().SkinName, "A");
  EXPECT_EQ(GetPropValue(d, "SkinStream").bytes, stored);

  TSkinData e(nullptr, std::make_unique<TFakeSystem>());
  auto cut = stored;
  cut.pop_back();
  EXPECT_THROW(e.SetSkinStream(cut), EReadError);
  EXPECT_THROW(e.SetSkinStream({1, 0}), EReadError);
  e.SetSkinStream({0, 0, 0, 0});
  e.SetSkinStream({0xFF, 0xFF, 0xFF, 0xFF, 7});  // negative: nothing stored, nothing read
  EXPECT_TRUE(e.StoredSkin().Bytes().empty());
  EXPECT_FALSE(e.SkinLoaded());
}

TEST_F(SkinDataTest, MainWindowLoadedStep) {
  auto form = ReadForm(
      "Active = True\nSkinControls = [xcMainMenu, xcMenuItem, xcSystemMenu, xcButton]\nSkinStream = " +
      Hex(Prefixed(SkinA())));
  TSkinData& d = SkinData(*form);
  EXPECT_TRUE(d.Active());
  EXPECT_TRUE(d.SkinLoaded());
  EXPECT_EQ(log,
            (std::vector<std::string>{"register SkinData1", "hook", "pending SkinData1", "action 1 250"}));
  // With the main menu skinned, menu items are not skinned separately.
  EXPECT_FALSE(d.SkinControls().Has(xcMenuItem));
  EXPECT_TRUE(d.SkinControls().Has(xcSystemMenu));
  EXPECT_EQ(d.CaptionIcon().Width(), 0);  // the host system has no icon
  log.clear();
  form.reset();
  EXPECT_EQ(log, (std::vector<std::string>{"unregister SkinData1"}));
}

TEST_F(SkinDataTest, ZeroLengthStreamSwitchesActiveOff) {
  auto form =
      ReadForm("Active = True\nSkinControls = [xcButton, xcMenuItem, xcSystemMenu]\nSkinStream = {00000000}");
  TSkinData& d = SkinData(*form);
  EXPECT_FALSE(d.Active());
  EXPECT_FALSE(d.SkinLoaded());
  EXPECT_EQ(log, (std::vector<std::string>{"register SkinData1", "hook"}));
  // Without the main menu, the system menu is not skinned (menu items are).
  EXPECT_FALSE(d.SkinControls().Has(xcSystemMenu));
  EXPECT_TRUE(d.SkinControls().Has(xcMenuItem));
}

TEST_F(SkinDataTest, WrongVersionOrBrokenSkinLeavesNoSkin) {
  auto old = LzhPackStored(skin_test::RawArchive("a.ini\r\n", {1}, {'x'}, 19999));
  auto form = ReadForm("Active = True\nSkinStream = " + Hex(Prefixed(old)));
  TSkinData& d = SkinData(*form);
  EXPECT_FALSE(d.SkinLoaded());
  EXPECT_FALSE(d.Active());
  EXPECT_EQ(messages, (std::vector<std::string>{TSkinReader::kOlderSkinText}));
  EXPECT_TRUE(d.Content().Top->Image.Empty());

  // A skin whose picture is no bitmap: the window is read all the same, unskinned, and the
  // user is told why.
  messages.clear();
  auto broken = PackedSkin(kTopIni, {{"top.bmp", {'B', 'M', 1, 2}}});
  auto form2 = ReadForm("Active = True\nSkinStream = " + Hex(Prefixed(broken)));
  EXPECT_FALSE(SkinData(*form2).SkinLoaded());
  EXPECT_FALSE(SkinData(*form2).Active());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("SkinData1"), std::string::npos);
}

TEST_F(SkinDataTest, ActiveRequestsByFormType) {
  auto form = ReadForm("SkinStream = " + Hex(Prefixed(SkinA())));
  TSkinData& d = SkinData(*form);
  log.clear();
  d.SetActive(false);  // unchanged: nothing at all
  EXPECT_TRUE(log.empty());
  d.SetActive(true);
  EXPECT_EQ(log, (std::vector<std::string>{"pending SkinData1", "action 1 250", "state 1"}));
  log.clear();
  d.SetActive(true);
  EXPECT_TRUE(log.empty());
  d.SetActive(false);
  EXPECT_EQ(log, (std::vector<std::string>{"pending SkinData1", "action 2 250"}));

  log.clear();
  d.SetSkinFormtype(sfOnlyThisForm);
  d.SetActive(true);
  d.SetActive(false);
  EXPECT_EQ(log, (std::vector<std::string>{"pending SkinData1", "action 1 250", "pending SkinData1",
                                           "action 2 250"}));
  log.clear();
  d.SetSkinFormtype(sfDialog);
  d.SetActive(true);
  EXPECT_TRUE(log.empty());
  EXPECT_TRUE(d.Active());

  // Without a loaded skin, switching on asks for nothing.
  auto bare = ReadForm("");
  log.clear();
  SkinData(*bare).SetActive(true);
  EXPECT_TRUE(log.empty());
}

TEST_F(SkinDataTest, OtherFormTypesAttachTheirOwnerAtOnce) {
  auto form =
      ReadForm("Active = True\nSkinFormtype = sfOnlyThisForm\nSkinStream = " + Hex(Prefixed(SkinA())));
  EXPECT_EQ(log, (std::vector<std::string>{"register SkinData1", "enable", "state 1", "attach Form1"}));
  // A further component finds the manager running and leaves its state alone.
  log.clear();
  auto second = ReadForm("Active = True\nSkinFormtype = sfDialog\nSkinStream = " + Hex(Prefixed(SkinA())));
  EXPECT_EQ(manager->state, kManagerRunning);
  EXPECT_EQ(log, (std::vector<std::string>{"register SkinData1", "enable", "attach Form1"}));
}

TEST_F(SkinDataTest, ScrollBarsNeedTheSystemsScrollBarInformation) {
  auto sys = std::make_unique<TFakeSystem>();
  sys->scrollBarInfo = false;
  TSkinData d(nullptr, std::move(sys));
  d.BeginLoading();
  d.Loaded();
  EXPECT_FALSE(d.SkinControls().Has(xcScrollbar));
}

class SkinFileTest : public SkinDataTest {
 protected:
  void SetUp() override {
    SkinDataTest::SetUp();
    dir = std::filesystem::temp_directory_path() / ("skin_file_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
  }
  void TearDown() override {
    std::filesystem::remove_all(dir);
    SkinDataTest::TearDown();
  }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = (dir / name).string();
    WriteFileBytes(path, bytes);
    return path;
  }
  std::filesystem::path dir;
};

TEST_F(SkinFileTest, GoodFileReplacesAndApplies) {
  auto form = ReadForm("Active = True\nSkinStream = " + Hex(Prefixed(SkinA())));
  TSkinData& d = SkinData(*form);
  manager->state = kManagerRunning;
  log.clear();
  auto b = PackedSkin("[TitlebarSkin]\nSkinName=B\n");
  d.SetSkinFile(Write("b.skn", b));
  EXPECT_TRUE(d.SkinLoaded());
  EXPECT_EQ(d.Content().SkinName, "B");
  EXPECT_EQ(d.StoredSkin().Bytes(), b);
  EXPECT_EQ(log, (std::vector<std::string>{"pending SkinData1", "reapply", "action 3 250"}));
}

// A file that is no good skin must not cost the skin the window has.
TEST_F(SkinFileTest, BadOrMissingFileKeepsTheSkin) {
  auto form = ReadForm("Active = True\nSkinStream = " + Hex(Prefixed(SkinA())));
  TSkinData& d = SkinData(*form);
  const auto storedBefore = d.StoredSkin().Bytes();
  const TSkinContent* contentBefore = &d.Content();
  log.clear();

  auto broken = PackedSkin(kTopIni, {{"top.bmp", {'B', 'M', 1, 2}}});
  EXPECT_THROW(d.SetSkinFile(Write("broken.skn", broken)), EInvalidGraphic);
  auto old = LzhPackStored(skin_test::RawArchive("a.ini\r\n", {1}, {'x'}, 19999));
  d.SetSkinFile(Write("old.skn", old));
  EXPECT_EQ(messages, (std::vector<std::string>{TSkinReader::kOlderSkinText}));
  d.SetSkinFile((dir / "missing.skn").string());
  EXPECT_EQ(d.SkinFile(), (dir / "missing.skn").string());

  EXPECT_TRUE(d.SkinLoaded());
  EXPECT_EQ(&d.Content(), contentBefore);
  EXPECT_EQ(d.Content().SkinName, "A");
  EXPECT_EQ(d.StoredSkin().Bytes(), storedBefore);
  EXPECT_TRUE(log.empty());
}

TEST_F(SkinDataTest, FormSkinQuery) {
  TSkinData d(nullptr, std::make_unique<TFakeSystem>());
  auto ask = [&](const std::string& cls, bool in = true) {
    bool doSkin = in;
    d.FormSkinQuery(0x1234, cls, doSkin);
    return doSkin;
  };
  EXPECT_FALSE(ask("SysMonthCal32"));
  EXPECT_TRUE(ask("TfrPreviewForm"));
  EXPECT_FALSE(ask("TForm1", false));  // a refusal by the manager stands
  EXPECT_EQ(d.QueriedWindow(), 0x1234u);
  TSkinControls c = d.SkinControls();
  c.Include(xcFastReport);
  d.SetSkinControls(c);
  EXPECT_FALSE(ask("TfrPreviewForm"));
  EXPECT_TRUE(ask("TForm1"));
  // The program's handler alone decides, also for the month calendar.
  d.OnFormSkin = [](TObject*, const std::string& name, bool& doSkin) { doSkin = name != "TForm2"; };
  EXPECT_TRUE(ask("SysMonthCal32"));
  EXPECT_FALSE(ask("TForm2"));
}

// The main window's layout keeps the component's default mapping list, line for line.
TEST(SkinDataLayout, MainWindowCarriesTheDefaults) {
  auto bytes = ReadFileBytes(skin_test::SourceDir() + "/resources/app/main_form.layout");
  std::string text(bytes.begin(), bytes.end());
  // Files embedded at build time are not needed here.
  for (size_t at; (at = text.find("{@")) != std::string::npos;)
    text.replace(at, text.find("@}", at) + 2 - at, "{}");
  TLayoutNode root = ParseLayout(text);
  const TLayoutNode* node = nullptr;
  for (const TLayoutNode& c : root.children)
    if (c.name == "SkinData1") node = &c;
  ASSERT_TRUE(node);
  EXPECT_EQ(node->className, "TSkinData");
  std::map<std::string, TPropValue> props(node->props.begin(), node->props.end());
  EXPECT_EQ(props["Skin3rd"].list, DefaultSkin3rd());
  EXPECT_EQ(props["Active"].integer, 1);
  EXPECT_EQ(props["DisableTag"].integer, 99);
  EXPECT_EQ(props["SkinFormtype"].text, "sfMainform");
  EXPECT_EQ(SkinOptionsFromNames(props["Options"].list), (TSkinOptions{xoPreview, xoToolbarBK}));
  EXPECT_EQ(SkinControlsFromNames(props["SkinControls"].list), DefaultSkinControls());
  EXPECT_TRUE(props.count("SkinStream"));
}

}  // namespace
