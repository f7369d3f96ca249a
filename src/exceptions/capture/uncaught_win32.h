// Exceptions that nothing catches: a C++ exception that finds no handler ends in the
// terminate handler (with the thrower's stack still in place), a system exception that no
// frame handles in the unhandled-exception filter. Both run the raise path, then end the
// process with exit code 1 when on the main thread, else only the current thread (code 1).
#pragma once

void InstallUncaughtHandlers();
// Puts back the previous terminate handler and filter.
void RemoveUncaughtHandlers();
