// The readable form of a module's options: the file in the sources from which the build makes
// the stored form the program carries.
//
//   ; comment
//   [Options]
//   WriteLog = true            booleans: true/false, yes/no, on/off, 1/0
//   LogCapacity = 50           numbers: decimal or 0x hexadecimal
//   MailSubject = "Netvosk error\r\n"   strings: bare to the line's end (trimmed) or quoted
//                                       with \r \n \t \\ \" \xHH
//   [Texts]
//   16 = "&Restart"            text table entries by index
//   [Filters]
//   EAbort =                   exception class = message shown (empty: none), in order
//
// Options not named keep their defaults.
#pragma once

#include <string>
#include <string_view>

class TQuillonModuleOptions;

// Applies the text to `options` (reset to defaults first). Raises EQuillonOptionsError with
// the source name and line number for anything it does not understand.
void ParseQuillonOptionsText(std::string_view text, TQuillonModuleOptions& options,
                             std::string_view sourceName = "options");
// Every option in the readable form (passwords included, as they are).
std::string QuillonOptionsToText(const TQuillonModuleOptions& options);
