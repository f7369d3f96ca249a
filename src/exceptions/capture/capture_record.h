// Until the report pipeline exists, every exception that reaches the report entry is written
// down as one line, so that tests (and the crash test double's users) can see what arrived:
//
//   capture<TAB>class=EAccessViolation<TAB>address=00401234<TAB>rva=00001234<TAB>module=crashdemo.exe
//   <TAB>thread=0000002a<TAB>main=1<TAB>raiser=1<TAB>handler=0<TAB>snapshot=3120<TAB>eip=00401234
//   <TAB>esp=0061fe10<TAB>message=Access violation at address ...
//
// address is the exception address as the report shows it (the call instruction for a
// throw), rva its offset in module, thread the reported thread (hexadecimal), main whether
// that is the main thread, raiser and handler the kinds of the report entry, snapshot the
// bytes of that thread's stack snapshot, eip and esp from its register context. Tabs and
// line breaks in the message become blanks.
#pragma once

#include <string>

struct TCaptureRecord {
  std::string className, message, module;
  unsigned address = 0, rva = 0, threadId = 0, snapshotSize = 0, eip = 0, esp = 0;
  bool mainThread = false;
  int raiserKind = 0, handlerKind = 0;
};

std::string FormatCaptureRecord(const TCaptureRecord& r);
// Parses a line made by FormatCaptureRecord; false for any other line.
bool ParseCaptureRecord(const std::string& line, TCaptureRecord& out);

// Appends each record to this file (each write opens, appends and closes it, so a crash
// loses nothing); "" stops writing.
void SetCaptureRecordFile(const std::string& path);
// Also hands each line to observer (null: none); for tests inside one process.
void SetCaptureRecordObserver(void (*observer)(const std::string& line));
