#include <gtest/gtest.h>

#include "framework/exception.h"
#include "framework/properties.h"

namespace {
class TThing : public TObject {
  NV_CLASS(TThing)
 public:
  int Width() const { return width_; }
  void SetWidth(int w) { width_ = w; }
  std::string Caption() const { return caption_; }
  void SetCaption(const std::string& c) { caption_ = c; }

 private:
  int width_ = 0;
  std::string caption_;
};
class TSpecialThing : public TThing {
  NV_CLASS(TSpecialThing)
};
std::vector<TPropInfo> thingProps() {
  return {IntProp("Width", &TThing::Width, &TThing::SetWidth),
          StrProp("Caption", &TThing::Caption, &TThing::SetCaption)};
}
}  // namespace
NV_DEFINE_CLASS_EX(TThing, TObject, nullptr, thingProps)
NV_DEFINE_CLASS(TSpecialThing, TThing)

TEST(ClassRecords, NamesParentsAndAncestry) {
  TSpecialThing t;
  EXPECT_EQ(t.ClassName(), "TSpecialThing");
  EXPECT_EQ(std::string(t.ClassParent()->name), "TThing");
  EXPECT_TRUE(t.InheritsFrom("tthing"));
  EXPECT_TRUE(t.InheritsFrom("TObject"));
  EXPECT_FALSE(t.InheritsFrom("Exception"));
  EXPECT_EQ(FindClass("TSPECIALTHING"), &TSpecialThing::StaticClass());
  EXPECT_EQ(FindClass("TNoSuchClass"), nullptr);

  EDivByZero e("x");
  EXPECT_TRUE(e.InheritsFrom("EIntError"));
  EXPECT_TRUE(e.InheritsFrom(EExternal::StaticClass()));
  EXPECT_STREQ(e.what(), "x");
}

TEST(Properties, InheritedByNameAndErrors) {
  TSpecialThing t;
  SetPropValue(t, "width", TPropValue::Int(42));
  SetPropValue(t, "Caption", TPropValue::Str("IP列表"));
  EXPECT_EQ(t.Width(), 42);
  EXPECT_EQ(GetPropValue(t, "CAPTION").text, "IP列表");
  EXPECT_TRUE(IsPublishedProp(t, "Width"));
  EXPECT_THROW(SetPropValue(t, "Height", TPropValue::Int(1)), EPropertyError);
}
