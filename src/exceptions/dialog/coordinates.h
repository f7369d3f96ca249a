// The error dialog's place and column widths as "QuillonLog.ini" keeps them (section
// "Coordinates"), and the checks that keep a stored place usable.
#pragma once

#include <array>
#include <string>

#include "exceptions/dialog/dialog_layout.h"

inline constexpr const char* kCoordinatesFileName = "QuillonLog.ini";
inline constexpr const char* kCoordinatesSection = "Coordinates";

// WindowsState values.
enum TDialogWindowState { wsNormal = 0, wsMinimized = 1, wsMaximized = 2 };

inline constexpr std::array<int, 6> kDefaultStackColumns{89, 92, 126, 126, 200, 61};
// Handle, Name, Description, Version, Size, Modified, Path: the path gets the wide column, the
// date-time what "yyyy-mm-dd hh:nn:ss" needs.
inline constexpr std::array<int, 7> kDefaultModuleColumns{80, 96, 175, 50, 54, 120, 712};

struct TDialogCoordinates {
  bool hasPlace = false;  // Left, Top, Width and Height were all stored
  int left = 0, top = 0, width = 0, height = 0;
  int state = wsNormal;
  std::array<int, 6> stackColumns = kDefaultStackColumns;
  std::array<int, 7> moduleColumns = kDefaultModuleColumns;
};

// A stored column width when it is one a user could have set, else the default.
int UsableColumnWidth(int stored, int fallback);

// Where to put a window of c.width x c.height (grown to minWidth x minHeight, shrunk to the work
// area): at the stored position when one is stored (hasPlace) and enough of its caption would
// lie on the work area for the user to take hold of it (moved in as far as it then sticks out);
// otherwise centred.
TLayoutRect FitStoredPlace(const TDialogCoordinates& c, const TLayoutRect& workArea, int minWidth,
                           int minHeight);

// "QuillonLog.ini" in the folder of `fileName` ("C:\App\netvosk.exe" gives
// "C:\App\QuillonLog.ini"); the name is read as GBK, whose second bytes may be "\".
std::string CoordinatesFileBeside(const std::string& fileName);
