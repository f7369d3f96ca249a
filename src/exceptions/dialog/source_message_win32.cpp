#include "exceptions/dialog/source_message_win32.h"

#include <windows.h>

#include "exceptions/dialog/dialog_handles_win32.h"
#include "exceptions/dialog/source_message.h"

namespace {
// Opens an existing mailslot for writing; INVALID_HANDLE_VALUE when no one listens there.
HANDLE OpenSlot(const std::string& name) {
  return CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}
}  // namespace

int SendSourceMessage(const TDialogStackEntry& entry, const std::string& fileName) {
  char computer[MAX_COMPUTERNAME_LENGTH + 1] = "";
  DWORD size = sizeof computer;
  if (!GetComputerNameA(computer, &size)) return 0;
  TSourceMessage message = SourceMessage(entry, fileName);
  int delivered = 0;
  for (const std::string& name : SourceMailslotNames(computer)) {
    HANDLE h = OpenSlot(name);
    // A system that does not resolve its own name in a slot name (Wine) still knows the
    // local form "\\.\mailslot\…" of the same slot; a slot that is simply absent is skipped.
    if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_NOT_FOUND)
      h = OpenSlot("\\\\." + name.substr(2 + size));
    TFileHandle slot(h);
    if (!slot) continue;
    DWORD written = 0;
    if (WriteFile(slot.get(), message.data(), static_cast<DWORD>(message.size()), &written, nullptr) &&
        written == message.size())
      ++delivered;
  }
  return delivered;
}
