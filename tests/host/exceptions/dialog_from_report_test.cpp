// The dialog's input made from a report snapshot: message, pages, thread captions, entries and
// module rows.
#include "exceptions/dialog/dialog_from_report.h"

#include <gtest/gtest.h>

#include "exceptions/dialog/dialog_model.h"
#include "exceptions/dialog/rtf_text.h"
#include "exceptions/options/module_options.h"

namespace {

TReportSnapshot Snapshot() {
  TReportSnapshot s;
  s.exception.threadId = 100;
  s.exception.address = 0x00403A1C;
  s.exception.module = "netvosk.exe";
  s.exception.typeName = "EFCreateError";
  s.exception.message = "Unable to write to C:\\网络工具\\ip.ini";
  TReportThread main;
  main.id = 100;
  main.main = true;
  main.entries = {
      {4, "netvosk.exe", 0x00403A17, "src/app/main_form.cpp", "TForm1", "Button1Click", 86, 4},
      {4, "netvosk.exe", 0x0041C0D2, "src/framework/std_controls_win32.cpp", "TButton", "Click", 40, 2},
      {2, "user32.dll", 0x77D48734, "", "", "CallWindowProcA", 0, 0},
      {3, "netvosk.exe", 0x00401000, "System.pas", "", "Halt", 0, 0},
  };
  TReportThread other;
  other.id = 200;
  other.running = true;
  other.className = "TFreezeThread";
  other.entries = {{2, "C:\\windows\\system32\\kernel32.dll", 0x7C802446, "", "", "Sleep", 0, 0}};
  s.threads = {main, other};
  s.modules = {{0x00400000, "C:\\网络工具\\netvosk.exe", "Netvosk IP profile switcher", "2.1.0.0", 1844736,
                TReportDateTime::Make(2025, 12, 8, 18, 2, 44, 480)},
               {0x77D40000, "C:\\windows\\system32\\user32.dll", "USER API", "6.1", 578560, {}}};
  s.customData = {"Profile: 办公室"};
  return s;
}

TEST(DialogFromReport, EverythingThePagesShow) {
  TReportSnapshot s = Snapshot();
  TQuillonModuleOptions options("netvosk.exe", false);
  TErrorDialogInput in = DialogInputFromReport(s, DialogOptionsFrom(options.Values()), true, false);
  EXPECT_EQ(in.message, "Unable to write to C:\\网络工具\\ip.ini.");  // as the report's item 2.5
  EXPECT_TRUE(in.duplicate);
  EXPECT_FALSE(in.offerTerminate);
  EXPECT_NE(RtfToPlainText(in.generalRtf).find("Unable to write to C:\\网络工具\\ip.ini."),
            std::string::npos);
  EXPECT_NE(RtfToPlainText(in.cpuRtf).find("EAX"), std::string::npos);

  ASSERT_EQ(in.threads.size(), 2u);
  EXPECT_EQ(in.threads[0].caption.rfind("Exception Thread: ID=100; Priority=", 0), 0u)
      << in.threads[0].caption;
  EXPECT_NE(in.threads[0].caption.find("; [Main]"), std::string::npos);
  EXPECT_EQ(in.threads[1].caption.rfind("Running Thread: ID=200", 0), 0u);
  EXPECT_NE(in.threads[1].caption.find("Class=TFreezeThread"), std::string::npos);

  const auto& e = in.threads[0].entries;
  ASSERT_EQ(e.size(), 4u);
  EXPECT_EQ(e[0].image, diSource);
  EXPECT_EQ(e[0].modulePath, "C:\\网络工具\\netvosk.exe");
  EXPECT_EQ(e[0].line, 86u);
  EXPECT_EQ(e[0].lineOffset, 4u);
  EXPECT_EQ(e[1].image, diFramework);
  EXPECT_EQ(e[2].image, diLibrary);
  EXPECT_EQ(e[2].modulePath, "C:\\windows\\system32\\user32.dll");
  // A decorated export of the executable is kept, and the dialog's filter leaves it out.
  EXPECT_TRUE(e[3].executableModule);
  EXPECT_FALSE(StackEntryShown(e[3], 0x0F));
  EXPECT_EQ(in.threads[1].entries[0].module, "kernel32.dll");
  EXPECT_EQ(in.threads[1].entries[0].modulePath, "C:\\windows\\system32\\kernel32.dll");

  ASSERT_EQ(in.modules.size(), 2u);
  EXPECT_EQ(in.modules[0].columns,
            (std::array<std::string, 7>{"00400000", "netvosk.exe", "Netvosk IP profile switcher", "2.1.0.0",
                                        "1844736", "2025-12-08 18:02:44", "C:\\网络工具\\netvosk.exe"}));
  EXPECT_EQ(in.modules[0].image, diFramework);
  EXPECT_EQ(in.modules[1].columns[5], "");  // no date known
  EXPECT_EQ(in.modules[1].image, diLibrary);
  EXPECT_EQ(in.customData, s.customData);
}

}  // namespace
