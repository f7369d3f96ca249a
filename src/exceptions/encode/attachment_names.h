// Names of the files that travel with a report.
#pragma once

#include <string>
#include <string_view>

inline constexpr const char* kScreenshotFileName = "Screenshot.png";
inline constexpr const char* kLastHtmlPageFileName = "LastHTMLPage.html";
inline constexpr const char* kCompressedFileName = "CompressFiles.tgz";

// The moment an exception happened, as the report's date suffix shows it.
struct TReportTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// "yyyymmddhhnnss".
std::string FormatDateSuffix(const TReportTime& t);
// With the date-suffix option: "_" and the time inserted before the extension
// ("Screenshot.png" becomes "Screenshot_20240131235959.png"); otherwise the name unchanged.
std::string AttachmentName(std::string_view fileName, bool dateSuffix, const TReportTime& when);
// The copy of the log that is attached: the log file's name without folders.
std::string LogAttachmentName(std::string_view logFileName);
// The XML export: the log file's name with the extension ".xml".
std::string XmlAttachmentName(std::string_view logFileName);
