// The report text: what the log stores, the dialog shows and the senders send.
//
// The text is, in this order: the general section, a line break, the call-stack section, the
// modules section, the CPU section, then the custom data and the steps to reproduce when there
// are any. Every label comes from the snapshot's text table.
#pragma once

#include <string>

#include "exceptions/report/report_reader.h"
#include "exceptions/report/snapshot.h"

// The product line the report starts with; the XML export reads its version from it.
inline constexpr const char* kReportProductLine = "QuillonLog 5.1.11";

std::string BuildReportText(const TReportSnapshot& s);

// The sections on their own (the dialog's pages show them separately).
std::string GeneralSectionText(const TReportSnapshot& s);    // no line break at the end
std::string CallStackSectionText(const TReportSnapshot& s);  // ends with a blank line
std::string ModulesSectionText(const TReportSnapshot& s);    // the empty form when switched off
std::string CpuSectionText(const TReportSnapshot& s);        // the empty form when switched off

// Whether a call-stack entry of this kind is shown with these stack options.
bool StackEntryShown(uint8_t kind, uint8_t stackFlags);
// The caption row of a thread in the call-stack table.
std::string ThreadCaption(const TReportThread& t, uint32_t exceptionThreadId,
                          const TReportSettings& settings);
// The values of items 2.2 to 2.5 as the log reads them back, whether shown or not.
TReportKey ReportKeyOf(const TReportSnapshot& s);
// The Message item: the message with "." at its end, or the text for a non-exception.
std::string ReportMessageText(const TReportException& e);
// "title:", a line of "-" one longer than the title, and a blank line.
std::string EmptySectionText(const std::string& title);
