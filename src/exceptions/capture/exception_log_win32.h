// The reporter's start and end. Its units initialise in the order QCore, QHook, QSockets,
// ExceptionLog (each body inside SafeExecute, once) and finalise in reverse. The start-up
// object (startup_win32.cpp) runs them before and after everything else of the program.
#pragma once

#include <cstdint>

void InitReporterUnits();
void DoneReporterUnits();

// The program's entry clears the starting-up flag; its exit sets the shutting-down flag.
void SetReporterStartingUp(bool on);
void SetReporterShuttingDown(bool on);
bool ReporterStartingUp();
bool ReporterShuttingDown();

// Starts Windows Sockets 1.1 once, for the senders (the socket unit's initialisation leaves it
// to them); true when it runs. Thread-safe.
bool StartReporterSockets();

// The character set of the locale's ANSI code page, for the report's rich-text font.
uint8_t ReporterCharset();

// Whether the executable carries reporter data: the "QLDATA" resource, or the debug
// information block the build appends to its file (found by its trailer).
bool ModuleHasReporterData();
