#include <gtest/gtest.h>

#include "framework/component.h"
#include "framework/exception.h"
#include "framework/layout.h"

namespace {
// A component that records what the reader did to it.
class TProbe : public TComponent {
  NV_CLASS(TProbe)
 public:
  using TComponent::TComponent;
  int Width() const { return width_; }
  void SetWidth(int w) { width_ = w; widthSetWhileLoading_ = IsLoading(); }
  std::string Caption() const { return caption_; }
  void SetCaption(const std::string& c) { caption_ = c; }
  void SetOnClick(TNotifyEvent e) { onClick_ = std::move(e); }
  void SetParentComponent(TComponent* p) override { parent_ = p; }
  void Loaded() override {
    TComponent::Loaded();
    loadOrder_.push_back(Name());
  }
  TNotifyEvent MethodAddress(const std::string& name) override {
    if (name == "Clicked") return [this](TObject*) { ++clicks_; };
    return nullptr;
  }

  int width_ = 0;
  bool widthSetWhileLoading_ = false;
  std::string caption_;
  TNotifyEvent onClick_;
  TComponent* parent_ = nullptr;
  int clicks_ = 0;
  std::vector<std::string> items_;
  std::vector<uint8_t> data_;
  static inline std::vector<std::string> loadOrder_;
};

std::vector<TPropInfo> probeProps() {
  return {IntProp("Width", &TProbe::Width, &TProbe::SetWidth),
          StrProp("Caption", &TProbe::Caption, &TProbe::SetCaption),
          EventProp("OnClick", &TProbe::onClick_),
          TPropInfo{"Items", TPropKind::StringList, nullptr,
                    [](TObject& o, const TPropValue& v) { static_cast<TProbe&>(o).items_ = v.list; }},
          TPropInfo{"Data", TPropKind::Binary, nullptr,
                    [](TObject& o, const TPropValue& v) { static_cast<TProbe&>(o).data_ = v.bytes; }}};
}
}  // namespace
NV_DEFINE_COMPONENT(TProbe, TComponent, probeProps)

TEST(LayoutParser, ReadsEveryKindOfValue) {
  TLayoutNode n = ParseLayout(
      "// a comment\n"
      "object Main: TProbe\n"
      "  Width = -$1F\n"
      "  Caption = 'it''s'#13#10'x'\n"
      "  Flags = [a, b]\n"
      "  Items = ( 'one' 'two' )\n"
      "  Data = { 4749 46\n 38 }\n"
      "  Visible = False\n"
      "  Color = clBtnFace\n"
      "  Panels = < item Width = 50 Text = 'p' end item end >\n"
      "  object Child: TProbe\n"
      "  end\n"
      "end\n");
  EXPECT_EQ(n.name, "Main");
  EXPECT_EQ(n.className, "TProbe");
  ASSERT_EQ(n.props.size(), 8u);
  EXPECT_EQ(n.props[0].second.integer, -31);
  EXPECT_EQ(n.props[1].second.text, "it's\r\nx");
  EXPECT_EQ(n.props[2].second.list, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(n.props[3].second.list, (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(n.props[4].second.bytes, (std::vector<uint8_t>{0x47, 0x49, 0x46, 0x38}));
  EXPECT_EQ(n.props[5].second.kind, TPropKind::Boolean);
  EXPECT_EQ(n.props[6].second.kind, TPropKind::Identifier);
  ASSERT_EQ(n.props[7].second.items.size(), 2u);
  EXPECT_EQ(n.props[7].second.items[0][1].second.text, "p");
  ASSERT_EQ(n.children.size(), 1u);
  EXPECT_EQ(n.children[0].line, 12);  // the hex block spans two lines
}

TEST(LayoutParser, MalformedTextNamesTheLine) {
  const char* bad[] = {
      "object A: TProbe\n  Width = \nend",     // value missing
      "object A: TProbe\n  Caption = 'open\nend",  // unterminated string
      "object A: TProbe\n  Data = { 4 }\nend",      // odd hex digits
      "object A: TProbe\n",                         // no end
      "object A TProbe\nend",                       // colon missing
      "object A: TProbe\nend\nextra",               // trailing text
      "object A: TProbe\n  Width = 99999999999999999999\nend",
      "object A: TProbe\n  Caption = #300\nend",
  };
  for (const char* text : bad) {
    try {
      ParseLayout(text);
      ADD_FAILURE() << "accepted: " << text;
    } catch (const EParserError& e) {
      EXPECT_EQ(e.Message().rfind("Line ", 0), 0u) << e.Message();
    }
  }
  // Nesting is bounded, so hostile input cannot exhaust the stack.
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "object A: TProbe\n";
  EXPECT_THROW(ParseLayout(deep), EParserError);
}

TEST(LayoutReader, CreatesParentsAndLoadsComponents) {
  TProbe::loadOrder_.clear();
  TProbe root(nullptr);
  ReadComponentTree(root, ParseLayout(
                              "object Root: TProbe\n"
                              "  OnClick = Clicked\n"
                              "  object Box: TProbe\n"
                              "    Width = 10\n"
                              "    object Inner: TProbe\n"
                              "      Caption = 'x'\n"
                              "      Items = ( 'a' )\n"
                              "      OnClick = Clicked\n"
                              "    end\n"
                              "  end\n"
                              "end\n"));
  auto* box = dynamic_cast<TProbe*>(root.FindComponent("box"));
  auto* inner = dynamic_cast<TProbe*>(root.FindComponent("Inner"));
  ASSERT_TRUE(box && inner);
  EXPECT_EQ(box->Owner(), &root);    // the root owns every component of the layout
  EXPECT_EQ(inner->parent_, box);    // but each is parented to the object it is nested in
  EXPECT_TRUE(box->widthSetWhileLoading_);
  EXPECT_FALSE(box->IsLoading());
  EXPECT_EQ(TProbe::loadOrder_, (std::vector<std::string>{"Root", "Box", "Inner"}));
  inner->onClick_(inner);
  root.onClick_(&root);
  EXPECT_EQ(root.clicks_, 2);  // events bind to the root's methods
  EXPECT_EQ(inner->items_, (std::vector<std::string>{"a"}));
}

TEST(LayoutReader, UnknownClassPropertyOrMethodFails) {
  TProbe a(nullptr);
  EXPECT_THROW(ReadComponentTree(a, ParseLayout("object A: TProbe\n object B: TNoSuch\n end\nend")), EClassNotFound);
  TProbe b(nullptr);
  EXPECT_THROW(ReadComponentTree(b, ParseLayout("object A: TProbe\n Height = 1\nend")), EPropertyError);
  TProbe c(nullptr);
  EXPECT_THROW(ReadComponentTree(c, ParseLayout("object A: TProbe\n OnClick = Nowhere\nend")), EParserError);
}

TEST(Components, OwnerFreesOwnedAndNamesAreUnique) {
  auto* owner = new TProbe(nullptr);
  auto* a = new TProbe(owner);
  a->SetName("A");
  auto* b = new TProbe(owner);
  EXPECT_THROW(b->SetName("a"), EInvalidOperation);
  delete b;  // a component freed early leaves its owner's list
  EXPECT_EQ(owner->ComponentCount(), 1);
  delete owner;  // frees A too (ASan would report a leak otherwise)
}
