// How single values of a report are written: dates, sizes, up time, system names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "exceptions/report/snapshot.h"

// "Tue, 3 Dec 2024 09:05:07 +0100"; "" for an invalid date.
std::string FormatReportDate(const TReportDateTime& t);
// "2024-12-03 09:05:07"; "" for an invalid date.
std::string FormatModuleDate(const TReportDateTime& t);
// Eight upper-case hexadecimal digits.
std::string Hex8(uint32_t value);
// Megabytes rounded to the nearest, " Mb".
std::string FormatMemory(uint64_t bytes);
// Gigabytes with up to two decimals ("12.5 Gb", "931 Gb").
std::string FormatDisk(uint64_t bytes);
// The two most significant non-zero units: "2 days, 3 hours", "1 minute, 5 seconds".
std::string FormatUpTime(uint64_t milliseconds);
// "1920 x 1080, 32 bit".
std::string FormatDisplayMode(int width, int height, int bits);
// "Microsoft Windows 10", "Microsoft Windows Server 2019", ... from the real version numbers.
std::string OperatingSystemName(const TReportOperatingSystem& os);
// The Build # item: the build number, its low 16 bits on the old consumer line.
std::string OperatingSystemBuild(const TReportOperatingSystem& os);
// "Normal", "Highest", ... or the number for a value the system does not name.
std::string ThreadPriorityName(int priority);
// The last part of a path.
std::string_view ReportFileName(std::string_view path);
// Without blanks, tabs and line breaks at both ends.
std::string_view TrimReportValue(std::string_view s);
