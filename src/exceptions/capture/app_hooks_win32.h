// The framework's application exception handler and display routine, spliced so that an
// exception that reaches them goes to the reporter first (raiser kind 1).
#pragma once

void InstallApplicationHooks();
void RemoveApplicationHooks();
