// The reporter starts before everything else of the program and ends after it (the start-up
// object runs its units from the highest-priority constructor). The program's entry marks
// where start-up ends and its exit where shut-down begins:
//
//   int WINAPI WinMain(...) {
//     TQuillonProgramScope reporterScope;
//     ...
//   }
#pragma once

class TQuillonProgramScope {
 public:
  TQuillonProgramScope();
  ~TQuillonProgramScope();
  TQuillonProgramScope(const TQuillonProgramScope&) = delete;
  TQuillonProgramScope& operator=(const TQuillonProgramScope&) = delete;
};
