// The options the program carries as its "QLDATA" resource, read back from the running module.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "exceptions/options/module_options.h"
#include "exceptions/options/module_options_win32.h"

namespace {

TEST(QuillonOptionsResource, TheProgramsOptionsAreEmbedded) {
  TQuillonModuleOptions o("netvosk.exe", false);
  ASSERT_TRUE(LoadQuillonOptionsFromModule(nullptr, o));
  EXPECT_EQ(o.ReportContentFlags(), 0x31);  // the choice in resources/reporter/netvosk-options.ini
  EXPECT_TRUE(o.FiltersEnabled());
  EXPECT_EQ(o.FilterClasses(), TStringVector{"EAbort"});
  EXPECT_EQ(o.Text(16), "&Restart");
  EXPECT_EQ(o.TerminateOfferThreshold(), 1) << "the restart button from the first report on";
  // Resources of other parts of the program stay reachable beside it.
  HRSRC other = FindResourceA(nullptr, "NVOTHER", MAKEINTRESOURCEA(10));
  ASSERT_TRUE(other);
  EXPECT_STREQ(static_cast<const char*>(LockResource(LoadResource(nullptr, other))), "other part");
}

}  // namespace
