// Passwords in the stored options are kept out of plain sight: anyone reading the program's
// resources with a text viewer sees no mail or upload password. The key lives in the program,
// so this hides a password from a casual look; it is not encryption against a determined
// reader.
#pragma once

#include <string>
#include <string_view>

// Same length as the input; `salt` (the field's name) makes equal passwords of different
// fields look different.
std::string ScramblePassword(std::string_view plain, std::string_view salt);
std::string UnscramblePassword(std::string_view scrambled, std::string_view salt);
