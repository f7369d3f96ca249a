// The reporter's options, one line each: kind, C++ type, name, default, and the stored format
// version that introduced the field (0: never stored, the running module supplies it).
//
// The values struct, the accessors of TQuillonModuleOptions, the stored format and the
// readable options file are all generated from this list, so a field cannot be added to one
// and forgotten in another. Stored fields must stay in order of their version: a newer format
// only ever appends, which is what lets an older reader skip what it does not know.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "exceptions/options/texts.h"

using TStringVector = std::vector<std::string>;

// X(kind, type, name, default, since)
#define QL_OPTION_FIELDS(X)                                                          \
  X(Bool, bool, ReporterEnabled, true, 300)                                          \
  X(Texts, TCustomizedTexts, TextTable, DefaultQuillonTexts(), 300)                  \
  X(Str, std::string, MailSender, kQuillonDefaultSender, 300)                        \
  X(Str, std::string, MailServer, "", 300)                                           \
  X(Word, uint16_t, MailServerPort, 25, 300)                                         \
  X(Str, std::string, MailUser, "", 300)                                             \
  X(Password, std::string, MailPassword, "", 300)                                    \
  X(Bool, bool, WriteLog, true, 300)                                                 \
  X(Byte, uint8_t, InitialTab, 0, 300)                                               \
  X(Bool, bool, ReportInMailBody, false, 300)                                        \
  X(Bool, bool, OfferTerminate, true, 300)                                           \
  X(Byte, uint8_t, TerminateAction, 1, 300)                                          \
  X(Byte, uint8_t, ReportCheckFlags, 0, 300)                                         \
  X(Byte, uint8_t, ReportContentFlags, 0x30, 300)                                    \
  X(Int, int32_t, LogCapacity, 32, 300)                                              \
  X(Str, std::string, LogLocation, "", 300)                                          \
  X(Str, std::string, MailRecipients, "", 300)                                       \
  X(Str, std::string, MailSubject, "", 300)                                          \
  X(Str, std::string, MailText, "", 300)                                             \
  X(Byte, uint8_t, MailMethod, 0, 300)                                               \
  X(Str, std::string, ExtraFiles, "", 300)                                           \
  X(Byte, uint8_t, SendFlags, 0x51, 300)                                             \
  X(Byte, uint8_t, DialogFlags, 0x1F, 300)                                           \
  X(Str, std::string, SupportAddress, "", 300)                                       \
  X(Bits40, uint64_t, GeneralItemFlags, kAllGeneralItems, 400)                       \
  X(Int, int32_t, TerminateOfferThreshold, 3, 400)                                   \
  X(Byte, uint8_t, StackFlags, 0x0F, 400)                                            \
  X(Byte, uint8_t, UploadMethod, 0, 402)                                             \
  X(Str, std::string, UploadAddress, "", 402)                                        \
  X(Str, std::string, UploadUser, "", 402)                                           \
  X(Password, std::string, UploadPassword, "", 402)                                  \
  X(Word, uint16_t, UploadPort, 0, 402)                                              \
  X(Word, uint16_t, AttachmentFlags, 0, 420)                                         \
  X(Int, int32_t, DialogCloseAfterSecs, 0, 420)                                      \
  X(Str, std::string, WebPageTemplate, kQuillonWebPageTemplate, 420)                 \
  X(Byte, uint8_t, HandlingFlags, 0x30, 422)                                         \
  X(Byte, uint8_t, CrashLimitAction, 1, 422)                                         \
  X(Int, int32_t, CrashLimitCount, 10, 422)                                          \
  X(Int, int32_t, CrashLimitMinutes, 1, 422)                                         \
  X(Bool, bool, FiltersEnabled, false, 450)                                          \
  X(StrList, TStringVector, FilterClasses, TStringVector(), 450)                     \
  X(StrList, TStringVector, FilterMessages, TStringVector(), 450)                    \
  X(Bool, bool, WatchdogEnabled, false, 500)                                         \
  X(Int, int32_t, WatchdogTimeoutSecs, 60, 500)                                      \
  X(Str, std::string, WatchdogMessage, "The application seems to be frozen.", 500)   \
  X(Str, std::string, OwnerModule, "", 0)

// The sender address of reports when a module names none.
inline constexpr const char* kQuillonDefaultSender = "quillonlog@example.com";
inline constexpr uint64_t kAllGeneralItems = 0xFFFFFFFFFFull;  // 40 bits
inline constexpr const char* kQuillonWebPageTemplate =
    "<html>\r\n  <head>\r\n  </head>\r\n  <body TopMargin=10 LeftMargin=10>\r\n    <table width=\"100%\" "
    "border=\"0\">\r\n      <tr>\r\n        <td nowrap>\r\n          <font face=\"Lucida Console, Courier\" "
    "size=\"2\">\r\n            <%HTML_TAG%>\r\n          </font>\r\n        </td>\r\n      </tr>\r\n    "
    "</table>\r\n  </body>\r\n</html>";

// Every option as plain data.
struct TQuillonOptionValues {
#define QL_DECLARE_FIELD(kind, type, name, def, since) type name = def;
  QL_OPTION_FIELDS(QL_DECLARE_FIELD)
#undef QL_DECLARE_FIELD
  bool operator==(const TQuillonOptionValues&) const = default;
};

enum class TQuillonFieldKind { Bool, Byte, Word, Int, Bits40, Str, Password, Texts, StrList };

// Describes one field for code that walks all of them (stored format, readable file, tests).
struct TQuillonFieldInfo {
  const char* name;
  TQuillonFieldKind kind;
  uint16_t since;
  // Numeric kinds (Bool, Byte, Word, Int, Bits40).
  int64_t (*getNumber)(const TQuillonOptionValues&);
  void (*setNumber)(TQuillonOptionValues&, int64_t);
  // Str and Password.
  const std::string& (*getString)(const TQuillonOptionValues&);
  void (*setString)(TQuillonOptionValues&, std::string);
  // StrList.
  TStringVector& (*list)(TQuillonOptionValues&);
};

// All fields in stored order.
const std::vector<TQuillonFieldInfo>& QuillonOptionFields();
const TQuillonFieldInfo* FindQuillonOptionField(std::string_view name);
// The largest value a numeric field takes (1 for Bool, 255 for Byte, ...).
int64_t QuillonFieldMax(TQuillonFieldKind kind);
