// Plain text of the report's rich text, for a system without a rich-edit control.
#pragma once

#include <string>
#include <string_view>

// Keeps the text of the document: "\par" and "\line" become line breaks, "\tab" a tab,
// "\'hh" the byte hh and "\\", "\{", "\}" themselves; the font and colour tables, "\*"
// destinations and every other control word are dropped. Unbalanced or cut-off input
// yields what was read up to there.
std::string RtfToPlainText(std::string_view rtf);
