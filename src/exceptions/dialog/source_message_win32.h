// Sends the call-stack line under a double-click to a listening development environment.
#pragma once

#include <string>

#include "exceptions/dialog/dialog_input.h"

// Writes the 376-byte message to each of the mailslots "\\<computer>\mailslot\QuillonLog0"
// to "…3" that exist; nothing is created, nothing waits. Returns how many took it.
int SendSourceMessage(const TDialogStackEntry& entry, const std::string& fileName);
