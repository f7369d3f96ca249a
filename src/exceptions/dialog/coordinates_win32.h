// Reading and writing the error dialog's place in "QuillonLog.ini".
#pragma once

#include <string>

#include "exceptions/dialog/coordinates.h"

// "QuillonLog.ini" beside this process's executable.
std::string DefaultCoordinatesFile();

// Keys Left, Top, Width, Height, WindowsState, Col0..Col5 and ColMod0..ColMod6 of section
// "Coordinates". Missing or unusable values keep their defaults.
TDialogCoordinates LoadDialogCoordinates(const std::string& file);
// False when the file could not be written (a read-only folder): the place is then simply
// not kept.
bool SaveDialogCoordinates(const std::string& file, const TDialogCoordinates& c);
