// Reporter options: the defaults other parts rely on, assigning, the stored form across
// versions, the filters and the automatic termination rule.
#include <gtest/gtest.h>

#include "exceptions/options/module_options.h"
#include "exceptions/options/options_text.h"
#include "framework/streams.h"

namespace {

TEST(QuillonOptions, DefaultsOtherPartsRelyOn) {
  TQuillonModuleOptions o("C:\\Tools\\netvosk.exe", false);
  // The terminate button restarts, and says so.
  EXPECT_EQ(o.TerminateAction(), taRestart);
  EXPECT_EQ(o.Text(o.TerminateButtonText()), "&Restart");
  // A module without stored options shows every general item, modules and CPU, sends nothing.
  for (int k = 0; k < 40; ++k) EXPECT_TRUE(o.GeneralItemShown(k)) << k;
  EXPECT_TRUE(o.ReportContentFlags() & rcModules);
  EXPECT_TRUE(o.ReportContentFlags() & rcCPU);
  EXPECT_EQ(o.MailMethod(), mmNone);
  EXPECT_EQ(o.UploadMethod(), umNone);
  EXPECT_TRUE(o.ReporterEnabled());
  EXPECT_TRUE(o.WriteLog());
  EXPECT_EQ(o.OwnerModule(), "C:\\Tools\\netvosk.exe");
  EXPECT_EQ(o.LogCapacity(), 32);
  EXPECT_EQ(o.MailServerPort(), 25);
  EXPECT_EQ(o.SendFlags(), 0x51);
  EXPECT_EQ(o.DialogFlags(), 0x1F);
  EXPECT_EQ(o.HandlingFlags(), 0x30);
  EXPECT_EQ(o.CrashLimitCount(), 10);
  EXPECT_EQ(o.WatchdogMessage(), "The application seems to be frozen.");
  EXPECT_NE(o.WebPageTemplate().find("<%HTML_TAG%>"), std::string::npos);
  o.SetTerminateAction(taTerminate);
  EXPECT_EQ(o.Text(o.TerminateButtonText()), "&Terminate");
}

TEST(QuillonOptions, TextTableIsTheDefaultTable) {
  TQuillonModuleOptions o("m.exe", false);
  EXPECT_EQ(o.Text(0), "Information.");
  EXPECT_EQ(o.Text(3),
            "An error has occurred during program execution.\r\n"
            "Please read the following information for further details.");
  EXPECT_EQ(o.Text(50), "Type");
  EXPECT_EQ(o.Text(83), "&OK");
  EXPECT_EQ(o.Text(95), "Sorry, sending the message didn't work.");
  EXPECT_THROW(o.Text(96), EListError);
  EXPECT_THROW(o.Text(-1), EListError);
  size_t total = 0;
  for (const std::string& t : DefaultQuillonTexts()) total += t.size();
  EXPECT_EQ(total, 1151u);  // every byte of the 96 texts, so a changed letter shows
}

// Gives every field of `o` a value different from its default, by walking the field table.
void ChangeEveryField(TQuillonModuleOptions& o) {
  TQuillonOptionValues v = o.Values();
  int n = 0;
  for (const TQuillonFieldInfo& f : QuillonOptionFields()) {
    ++n;
    switch (f.kind) {
      case TQuillonFieldKind::Str:
      case TQuillonFieldKind::Password: f.setString(v, f.getString(v) + "x" + std::to_string(n)); break;
      case TQuillonFieldKind::Texts: v.TextTable[7] = "changed"; break;
      case TQuillonFieldKind::StrList: f.list(v) = {"E" + std::to_string(n), "F"}; break;
      case TQuillonFieldKind::Bool: f.setNumber(v, !f.getNumber(v)); break;
      default: f.setNumber(v, (f.getNumber(v) + 1 + n) % QuillonFieldMax(f.kind));
    }
  }
  o.SetValues(v);
}

TEST(QuillonOptions, AssignCopiesEveryField) {
  TQuillonModuleOptions src("a.exe", false), dst("b.exe", false);
  ChangeEveryField(src);
  const TQuillonOptionValues defaults = dst.Values();
  for (const TQuillonFieldInfo& f : QuillonOptionFields()) {
    TQuillonOptionValues a = src.Values(), d = defaults;
    bool differs = f.getNumber(a) != f.getNumber(d) || f.getString(a) != f.getString(d) || f.list(a) != f.list(d) ||
                   (f.kind == TQuillonFieldKind::Texts && a.TextTable != d.TextTable);
    EXPECT_TRUE(differs) << f.name << " was not changed by the test";
  }
  dst.Assign(&src);
  EXPECT_TRUE(dst.Values() == src.Values());
  EXPECT_EQ(dst.Text(7), "changed");

  try {
    dst.Assign(nullptr);
    FAIL();
  } catch (const EQuillonOptionsError& e) {
    EXPECT_EQ(e.Message(), "Impossible to assign nil as TQuillonModuleOptions.");
  }
  dst.Assign(&dst);
  EXPECT_TRUE(dst.Values() == src.Values());
}

TEST(QuillonOptions, StoredFormRoundTripsAndHidesPasswords) {
  TQuillonModuleOptions o("a.exe", false);
  ChangeEveryField(o);
  o.SetMailPassword("S3cret-mail-pw");
  o.SetUploadPassword("S3cret-mail-pw");
  TMemoryStream stream;
  o.SaveToStream(stream);
  std::string bytes(stream.Bytes().begin(), stream.Bytes().end());
  EXPECT_EQ(bytes.find("S3cret"), std::string::npos);

  stream.SetPosition(0);
  TQuillonModuleOptions back("a.exe", false);
  back.LoadFromStream(stream);
  TQuillonOptionValues expected = o.Values();
  expected.OwnerModule = back.OwnerModule();  // the module supplies that, it is not stored
  EXPECT_TRUE(back.Values() == expected);
  EXPECT_EQ(back.MailPassword(), "S3cret-mail-pw");
}

TEST(QuillonOptions, OlderFormatsLeaveLaterFieldsAtTheirDefaults) {
  TQuillonModuleOptions o("a.exe", false);
  ChangeEveryField(o);
  const TQuillonOptionValues defaults = TQuillonModuleOptions("a.exe", false).Values();
  for (uint16_t format : {300, 400, 402, 420, 422, 450, 500}) {
    std::vector<uint8_t> stored = o.StoredForm(format);
    TQuillonModuleOptions back("a.exe", false);
    back.LoadFromBytes(stored.data(), stored.size());
    TQuillonOptionValues got = back.Values();
    TQuillonOptionValues want = o.Values(), def = defaults;
    for (const TQuillonFieldInfo& f : QuillonOptionFields()) {
      if (f.since == 0 || f.kind == TQuillonFieldKind::Texts) continue;
      const TQuillonOptionValues& ref = f.since <= format ? want : def;
      EXPECT_EQ(f.getNumber(got), f.getNumber(ref)) << f.name << " in format " << format;
      EXPECT_EQ(f.getString(got), f.getString(ref)) << f.name << " in format " << format;
      EXPECT_EQ(f.list(got), f.list(const_cast<TQuillonOptionValues&>(ref))) << f.name << " in format " << format;
    }
    EXPECT_EQ(back.Text(7), "changed");
  }
}

TEST(QuillonOptions, NewerFormatsAreReadAsFarAsKnown) {
  TQuillonModuleOptions o("a.exe", false);
  o.SetLogCapacity(7);
  std::vector<uint8_t> stored = o.StoredForm();
  // A later version appends a field and more texts we do not know.
  stored[0] = 0x00, stored[1] = 0x7F;  // format 32512
  stored.insert(stored.end(), {1, 2, 3, 4, 5});
  uint32_t len = uint32_t(stored.size() - 6);
  for (int i = 0; i < 4; ++i) stored[2 + size_t(i)] = uint8_t(len >> (8 * i));
  TQuillonModuleOptions back("a.exe", false);
  back.LoadFromBytes(stored.data(), stored.size());
  EXPECT_EQ(back.LogCapacity(), 7);
}

TEST(QuillonOptions, DamagedDataRaisesAndChangesNothing) {
  TQuillonModuleOptions o("a.exe", false);
  o.SetLogCapacity(9);
  std::vector<uint8_t> stored = o.StoredForm();
  TQuillonModuleOptions target("a.exe", false);
  target.SetMailServer("kept");
  const TQuillonOptionValues before = target.Values();
  // Every truncation, an unknown old format, and a string length that runs past the end.
  for (size_t cut = 0; cut < stored.size(); cut += 7)
    EXPECT_THROW(target.LoadFromBytes(stored.data(), cut), EQuillonOptionsError) << cut;
  std::vector<uint8_t> old = stored;
  old[0] = 10, old[1] = 0;
  EXPECT_THROW(target.LoadFromBytes(old.data(), old.size()), EQuillonOptionsError);
  std::vector<uint8_t> longer = stored;
  longer.push_back(0);
  longer[2]++;  // a byte more than format 510 has
  EXPECT_THROW(target.LoadFromBytes(longer.data(), longer.size()), EQuillonOptionsError);
  EXPECT_TRUE(target.Values() == before);
}

TEST(QuillonOptions, FilterChangesUpdateTheSharedCopy) {
  {
    TQuillonModuleOptions shared("shared-module.exe", true);
    auto stored = SharedQuillonOptions("shared-module.exe");
    ASSERT_TRUE(stored);
    shared.AddFilter("EAbort", "");
    shared.AddFilter("EAccessViolation", "Bad pointer.");
    stored = SharedQuillonOptions("shared-module.exe");
    TQuillonModuleOptions copy("x", false);
    copy.LoadFromBytes(stored->data(), stored->size());
    EXPECT_EQ(copy.FilterClasses(), (TStringVector{"EAbort", "EAccessViolation"}));
    EXPECT_EQ(copy.FilterMessage(1), "Bad pointer.");
    shared.DeleteFilter(0);
    stored = SharedQuillonOptions("shared-module.exe");
    copy.LoadFromBytes(stored->data(), stored->size());
    EXPECT_EQ(copy.FilterClasses(), TStringVector{"EAccessViolation"});
  }
  EXPECT_FALSE(SharedQuillonOptions("shared-module.exe"));
  TQuillonModuleOptions unshared("private.exe", false);
  unshared.AddFilter("EAbort", "");
  EXPECT_FALSE(SharedQuillonOptions("private.exe"));
}

TEST(QuillonOptions, FilterMatchesClassOrAncestorFirstMatchWins) {
  TQuillonModuleOptions o("a.exe", false);
  o.AddFilter("EIntError", "integer");
  o.AddFilter("EDivByZero", "division");
  o.AddFilter("eexternal", "external");
  EDivByZero div("x");
  EAccessViolation av("y");
  EAbort abort("z");
  EXPECT_FALSE(o.FindFilter(div));  // filters off
  o.SetFiltersEnabled(true);
  EXPECT_EQ(o.FindFilter(div), 0u);  // through the ancestor, before its own entry
  EXPECT_EQ(o.FilterMessage(0), "integer");
  EXPECT_EQ(o.FindFilter(av), 2u);  // names compare without case
  EXPECT_FALSE(o.FindFilter(abort));
  // Known only by name: registered classes bring their ancestors, others match by name.
  EXPECT_EQ(o.FindFilter("EDivByZero"), 0u);
  EXPECT_EQ(o.FindFilter("EExternal"), 2u);
  EXPECT_FALSE(o.FindFilter("EUnknownToUs"));
  o.AddFilter("EUnknownToUs", "");
  EXPECT_EQ(o.FindFilter("EUnknownToUs"), 3u);
}

TEST(QuillonOptions, AutomaticTerminationAfterCountReportsWithinMinutes) {
  using namespace std::chrono;
  TQuillonModuleOptionsEx o("a.exe", false);
  o.SetCrashLimitCount(3);
  o.SetCrashLimitMinutes(1);
  const auto t0 = system_clock::time_point() + hours(1000);
  o.RecordReport(t0);
  o.RecordReport(t0 + seconds(10));
  o.RecordReport(t0 + seconds(20));
  EXPECT_FALSE(o.AutomaticTermination());  // the rule is off by default
  EXPECT_TRUE(o.RecentErrors().Entries().empty());

  o.SetHandlingFlags(o.HandlingFlags() | hdAutoTerminate);
  o.RecordReport(t0);
  o.RecordReport(t0 + seconds(30));
  EXPECT_FALSE(o.AutomaticTermination());  // two of three
  o.RecordReport(t0 + seconds(60));
  EXPECT_EQ(o.AutomaticTermination(), taRestart);  // three within exactly one minute
  o.RecordReport(t0 + seconds(200));  // oldest dropped: 30 s .. 200 s is too long
  EXPECT_EQ(o.RecentErrors().Entries().size(), 3u);
  EXPECT_FALSE(o.AutomaticTermination());
  o.RecordReport(t0 + seconds(201));
  o.RecordReport(t0 + seconds(202));
  o.SetCrashLimitAction(taTerminate);
  EXPECT_EQ(o.AutomaticTermination(), taTerminate);
  o.SetCrashLimitCount(0);  // a zero limit never fires
  EXPECT_FALSE(o.AutomaticTermination());
}

}  // namespace
