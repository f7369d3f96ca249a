// The portable parts of exception capture: unit sections, fault texts, the internal report,
// event handlers and the capture records.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "exceptions/capture/capture_record.h"
#include "exceptions/capture/events.h"
#include "exceptions/capture/fault_texts.h"
#include "exceptions/capture/hook_errors.h"
#include "exceptions/capture/internal_report.h"
#include "exceptions/capture/unit_sections.h"

namespace {

TEST(UnitSections, EachSectionRunsOnceAndFinalisationOnlyAfterInitialisation) {
  TUnitSection unit;
  EXPECT_FALSE(unit.BeginDone()) << "nothing to finalise before initialisation";
  EXPECT_FALSE(unit.BeginDone());
  // The failed finalisations moved the counter, as the original counting does: one
  // initialisation brings it back, the next one runs.
  EXPECT_FALSE(unit.BeginInit());
  EXPECT_FALSE(unit.BeginInit());
  EXPECT_TRUE(unit.BeginInit());
  EXPECT_FALSE(unit.BeginInit()) << "a second request does nothing";
  EXPECT_FALSE(unit.BeginDone());
  EXPECT_TRUE(unit.BeginDone());
  EXPECT_EQ(unit.Counter(), 0);
}

std::vector<TInternalError> gSeen;
void Remember(const TInternalError& e) { gSeen.push_back(e); }
void FailsWithFrameworkException() { throw EInvalidOperation("broken"); }
void FailsWithSomethingElse() { throw 42; }
void Succeeds() {}

TEST(UnitSections, SafeExecuteHandsFailuresToTheHandlerOrRaisesTheCriticalError) {
  SetInternalErrorHandler(nullptr);
  try {
    SafeExecute(&FailsWithFrameworkException, "QCore.Init");
    FAIL() << "raised nothing";
  } catch (Exception& e) {
    EXPECT_EQ(e.Message(), "Critical error at: \"QCore.Init\"\r\nError: \"broken\".");
  }
  try {
    SafeExecute(&FailsWithSomethingElse, "QHook.Done");
    FAIL() << "raised nothing";
  } catch (Exception& e) {
    EXPECT_EQ(e.Message(), "Critical error at: \"QHook.Done\"\r\nError: \"General internal error.\".");
  }
  EXPECT_NO_THROW(SafeExecute(&Succeeds, "QSockets.Init"));

  gSeen.clear();
  SetInternalErrorHandler(&Remember);
  EXPECT_NO_THROW(SafeExecute(&FailsWithFrameworkException, "ExceptionLog.Init"));
  SetInternalErrorHandler(nullptr);
  ASSERT_EQ(gSeen.size(), 1u);
  auto address = static_cast<unsigned>(reinterpret_cast<uintptr_t>(&FailsWithFrameworkException));
  EXPECT_EQ(gSeen[0].section, Format("ExceptionLog.Init (Address: %08X)", address));
  EXPECT_EQ(gSeen[0].exceptionClass, "EInvalidOperation");
  EXPECT_EQ(gSeen[0].message, "broken");
}

TEST(FaultTexts, AccessViolationsNameAddressKindAndTarget) {
  uintptr_t read[2] = {0, 0}, write[2] = {1, 0x10}, execute[2] = {8, 0xDEAD0000};
  EXPECT_EQ(FaultMessage(0xC0000005, 0x401234, "netvosk.exe", read, 2),
            "Access violation at address 00401234 in module 'netvosk.exe'. Read of address 00000000.");
  EXPECT_EQ(FaultMessage(0xC0000005, 0x401234, "netvosk.exe", write, 2),
            "Access violation at address 00401234 in module 'netvosk.exe'. Write of address 00000010.");
  EXPECT_EQ(FaultMessage(0xC0000005, 0xDEAD0000, "", execute, 2),
            "Access violation at address DEAD0000. Execution of address DEAD0000.");
  EXPECT_EQ(FaultMessage(0xC0000094, 0x401000, "a.exe", nullptr, 0),
            "Division by zero at address 00401000 in module 'a.exe'.");
  EXPECT_EQ(FaultMessage(0xE06D7363, 0x77001000, "", nullptr, 0),
            "External exception E06D7363 at address 77001000.");
}

TEST(FaultTexts, WhichCodesAreConvertedAndWhichAreLeftAlone) {
  TFaultClass cls;
  EXPECT_TRUE(ConvertibleFault(0xC0000005, &cls));
  EXPECT_EQ(cls, TFaultClass::AccessViolation);
  EXPECT_TRUE(ConvertibleFault(0xC0000094, &cls));
  EXPECT_EQ(cls, TFaultClass::DivByZero);
  EXPECT_TRUE(ConvertibleFault(0xC000001D, &cls));
  EXPECT_EQ(cls, TFaultClass::InvalidOpCode);
  EXPECT_FALSE(ConvertibleFault(0xC00000FD, &cls)) << "a stack overflow leaves no stack to throw on";
  EXPECT_EQ(FaultClassOf(0xC00000FD), TFaultClass::StackOverflow);
  EXPECT_FALSE(ConvertibleFault(0x80000003, &cls)) << "breakpoints belong to debuggers";
  EXPECT_EQ(FaultClassOf(0x12345678), TFaultClass::External);
  for (uint32_t code : {0x406D1388u, 0x40010006u, 0x4001000Au, 0x80000003u, 0x80000004u})
    EXPECT_TRUE(IsDebuggerNotification(code)) << std::hex << code;
  EXPECT_FALSE(IsDebuggerNotification(0xC0000005));
}

TEST(HookErrors, TextsNameTheProcedureOrModule) {
  EXPECT_EQ(ProcNullError("CreateThread").Message(), "Cannot hook a null procedure (\"CreateThread\").");
  EXPECT_EQ(SharedAreaError("C:\\WINDOWS\\SYSTEM\\KERNEL32.DLL").Message(),
            "Cannot hook the module \"C:\\WINDOWS\\SYSTEM\\KERNEL32.DLL\" located into the shared-area.");
  EXPECT_EQ(HookingError("TApplication.HandleException").Message(),
            "Cannot hook the procedure \"TApplication.HandleException\".");
  EXPECT_TRUE(ProcNullError("x").InheritsFrom("EHookError"));
}

TEST(InternalReport, ElevenLinesWithDumpAndStackInHex) {
  TInternalReportFacts f;
  f.version = "2.1.0.0";
  f.dump = {0x55, 0x8B, 0xEC};
  f.section = "ExceptionLog.Init (Address: 00401000)";
  f.address = 0x401000;
  f.exceptionClass = "EAccessViolation";
  f.message = "boom";
  f.callStack = {0x401005, 0x7C801234};
  std::string text = InternalReportText(f);
  EXPECT_NE(text.find("Version   : 2.1.0.0\r\n"), std::string::npos);
  EXPECT_NE(text.find("Dump      : $55 $8B $EC \r\n"), std::string::npos);
  EXPECT_NE(text.find("Address   : $00401000\r\n"), std::string::npos);
  EXPECT_NE(text.find("Call Stack: $00401005 $7C801234 \r\n"), std::string::npos);
  size_t lines = 0;
  for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
  EXPECT_EQ(lines, 11u);
  EXPECT_EQ(InternalErrorDebugLine("7", 0x401000, "x"),
            "[ERROR] - Section: 7 - Address: 00401000 - Message: \"x\"");
}

TEST(Events, HandlersRunLastRegisteredFirstThenTheGlobalOneAndSurviveEachOthersFailures) {
  std::vector<std::string> order;
  TQuillonLogHandlers first, second, disabled;
  first.OnExceptionNotify = [&](const TExceptNotifyParams&, bool&) { order.push_back("first"); };
  second.OnExceptionNotify = [&](const TExceptNotifyParams&, bool& handle) {
    order.push_back("second");
    handle = false;
    throw std::runtime_error("a handler's own failure");
  };
  disabled.Enabled = false;
  disabled.OnExceptionNotify = [&](const TExceptNotifyParams&, bool&) { order.push_back("disabled"); };
  GlobalQuillonLogHandlers().OnExceptionNotify = [&](const TExceptNotifyParams&, bool&) {
    order.push_back("global");
  };
  QuillonLogList().Add(&first);
  QuillonLogList().Add(&second);
  QuillonLogList().Add(&disabled);
  QuillonLogList().Add(&first);  // once only
  bool handle = true;
  RunExceptionNotify(TExceptNotifyParams{}, handle);
  QuillonLogList().Remove(&first);
  QuillonLogList().Remove(&second);
  QuillonLogList().Remove(&disabled);
  GlobalQuillonLogHandlers().OnExceptionNotify = nullptr;
  EXPECT_EQ(order, (std::vector<std::string>{"second", "first", "global"}));
  EXPECT_FALSE(handle) << "a cleared flag stays cleared";
  EXPECT_EQ(QuillonLogList().Count(), 0u);
}

TEST(Events, TheInstalledRecordIsVisibleDuringTheScopeAndOwnsItsClassName) {
  TExceptNotifyParams outer;
  outer.ThreadId = 1;
  outer.SetClassName("EOuter");
  ExceptionInfo() = outer;
  {
    TExceptNotifyParams foreign;
    foreign.ThreadId = 2;
    foreign.SetClassName("std::out_of_range");
    TExceptNotifyParams copy = foreign;
    foreign.SetClassName("changed");
    EXPECT_EQ(copy.ClassName(), "std::out_of_range") << "a copy owns its own text";
    TExceptionInfoScope scope(copy);
    EXPECT_EQ(ExceptionInfo().ThreadId, 2u);
    EXPECT_EQ(ExceptionInfo().ClassName(), "std::out_of_range");
  }
  EXPECT_EQ(ExceptionInfo().ThreadId, 1u);
  EXPECT_EQ(ExceptionInfo().ClassName(), "EOuter");
  ExceptionInfo() = TExceptNotifyParams{};
}

TEST(CaptureRecord, LinesRoundTripAndKeepToOneLine) {
  TCaptureRecord r;
  r.className = "std::out_of_range";
  r.message = "vector::_M_range_check:\t__n (which is 7)\r\n>= this->size()";
  r.module = "crashdemo.exe";
  r.address = 0x401234;
  r.rva = 0x1234;
  r.threadId = 0x2A;
  r.snapshotSize = 102400;
  r.mainThread = true;
  r.raiserKind = 1;
  std::string line = FormatCaptureRecord(r);
  EXPECT_EQ(line.find('\n'), std::string::npos);
  TCaptureRecord back;
  ASSERT_TRUE(ParseCaptureRecord(line, back));
  EXPECT_EQ(back.className, r.className);
  EXPECT_EQ(back.message, "vector::_M_range_check: __n (which is 7)  >= this->size()");
  EXPECT_EQ(back.address, r.address);
  EXPECT_EQ(back.rva, r.rva);
  EXPECT_EQ(back.threadId, r.threadId);
  EXPECT_EQ(back.snapshotSize, r.snapshotSize);
  EXPECT_TRUE(back.mainThread);
  EXPECT_EQ(back.raiserKind, 1);
  EXPECT_FALSE(ParseCaptureRecord("crashdemo\tworker\tthread=1", back));
}

}  // namespace
