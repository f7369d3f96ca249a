#include "exceptions/report/report_format.h"

#include <cinttypes>
#include <cstdio>

#include "exceptions/options/module_options.h"

namespace {
const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
}

int weekdayOf(int64_t days) { return static_cast<int>(((days % 7) + 11) % 7); }  // 1970-01-01 was a Thursday

std::string plural(uint64_t n, const char* unit) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%" PRIu64 " %s%s", n, unit, n == 1 ? "" : "s");
  return buf;
}
}  // namespace

TReportDateTime TReportDateTime::Make(int year, int month, int day, int hour, int minute, int second,
                                      int biasMinutes) {
  TReportDateTime t;
  t.valid = month >= 1 && month <= 12 && day >= 1 && day <= 31;
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  t.biasMinutes = biasMinutes;
  if (t.valid)
    t.dayOfWeek = weekdayOf(daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)));
  return t;
}

TReportDateTime TReportDateTime::FromUnix(int64_t utcSeconds, int biasMinutes) {
  int64_t local = utcSeconds + int64_t{biasMinutes} * 60;
  int64_t days = local >= 0 ? local / 86400 : -((-local + 86399) / 86400);
  int64_t rest = local - days * 86400;
  int y, m, d;
  civilFromDays(days, y, m, d);
  return Make(y, m, d, static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
              static_cast<int>(rest % 60), biasMinutes);
}

bool TReportMemory::Readable(size_t count) const {
  if (bytes.size() < count) return false;
  for (size_t i = 0; i < count; ++i)
    if (bytes[i] < 0 || bytes[i] > 255) return false;
  return true;
}

TReportSettings ReportSettingsFrom(const TQuillonModuleOptions& options) {
  TReportSettings s;
  s.texts = options.TextTable();
  s.generalItems = options.GeneralItemFlags();
  s.stackFlags = options.StackFlags();
  s.contentFlags = options.ReportContentFlags();
  s.checkFlags = options.ReportCheckFlags();
  s.logCapacity = options.LogCapacity();
  return s;
}

std::string FormatReportDate(const TReportDateTime& t) {
  if (!t.valid) return std::string();
  // Zones that are not whole hours away from UTC keep their minutes (+0530), so no zone is
  // shown wrongly; whole-hour zones read "+0100" as they always did.
  int bias = t.biasMinutes < 0 ? -t.biasMinutes : t.biasMinutes;
  char buf[96];
  std::snprintf(buf, sizeof buf, "%s, %d %s %d %02d:%02d:%02d %c%02d%02d", kDays[((t.dayOfWeek % 7) + 7) % 7],
                t.day, kMonths[((t.month - 1) % 12 + 12) % 12], t.year, t.hour, t.minute, t.second,
                t.biasMinutes < 0 ? '-' : '+', bias / 60 % 100, bias % 60);
  return buf;
}

std::string FormatModuleDate(const TReportDateTime& t) {
  if (!t.valid) return std::string();
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return buf;
}

std::string Hex8(uint32_t value) {
  char buf[12];
  std::snprintf(buf, sizeof buf, "%08X", static_cast<unsigned>(value));
  return buf;
}

std::string FormatMemory(uint64_t bytes) {
  const uint64_t mb = 1024 * 1024;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%" PRIu64 " Mb", (bytes + mb / 2) / mb);
  return buf;
}

std::string FormatDisk(uint64_t bytes) {
  // Hundredths of a gigabyte, rounded, then "0.##": trailing zeros of the fraction dropped.
  const uint64_t gb = 1024ull * 1024 * 1024;
  uint64_t hundredths = (bytes / gb) * 100 + ((bytes % gb) * 100 + gb / 2) / gb;
  char buf[48];
  uint64_t whole = hundredths / 100, frac = hundredths % 100;
  if (frac == 0)
    std::snprintf(buf, sizeof buf, "%" PRIu64 " Gb", whole);
  else if (frac % 10 == 0)
    std::snprintf(buf, sizeof buf, "%" PRIu64 ".%" PRIu64 " Gb", whole, frac / 10);
  else
    std::snprintf(buf, sizeof buf, "%" PRIu64 ".%02" PRIu64 " Gb", whole, frac);
  return buf;
}

std::string FormatUpTime(uint64_t milliseconds) {
  uint64_t s = milliseconds / 1000;
  const uint64_t units[] = {s / 86400, s / 3600 % 24, s / 60 % 60, s % 60};
  const char* const names[] = {"day", "hour", "minute", "second"};
  for (int i = 0; i < 4; ++i) {
    if (units[i] == 0) continue;
    for (int j = i + 1; j < 4; ++j)
      if (units[j] != 0) return plural(units[i], names[i]) + ", " + plural(units[j], names[j]);
    return plural(units[i], names[i]);
  }
  return plural(0, "second");
}

std::string FormatDisplayMode(int width, int height, int bits) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d x %d, %d bit", width, height, bits);
  return buf;
}

std::string OperatingSystemName(const TReportOperatingSystem& os) {
  std::string name;
  const uint32_t v = os.major * 100 + os.minor;
  if (os.platformId == 1) {
    // The old line marks its second editions by a letter in the service-pack text.
    bool osr2 = os.servicePack.find_first_of("BC") != std::string::npos;
    if (v == 400)
      name = osr2 ? "95 OSR 2" : "95";
    else if (v == 410)
      name = os.servicePack.find('A') != std::string::npos ? "98 SE" : "98";
    else if (v == 490)
      name = "ME";
  } else {
    switch (v) {
      case 400: name = "NT 4.0"; break;
      case 500: name = "2000"; break;
      case 501: name = "XP"; break;
      case 502: name = os.server ? "2003" : "XP"; break;  // 5.2 without the server flag is XP x64
      case 600: name = os.server ? "Server 2008" : "Vista"; break;
      case 601: name = os.server ? "Server 2008 R2" : "7"; break;
      case 602: name = os.server ? "Server 2012" : "8"; break;
      case 603: name = os.server ? "Server 2012 R2" : "8.1"; break;
      case 1000:
        // Windows 11 and the server releases share 10.0 and differ only by their build.
        if (!os.server)
          name = os.build >= 22000 ? "11" : "10";
        else if (os.build >= 26100)
          name = "Server 2025";
        else if (os.build >= 20348)
          name = "Server 2022";
        else if (os.build >= 17763)
          name = "Server 2019";
        else
          name = "Server 2016";
        break;
      default: break;
    }
  }
  if (name.empty()) {  // a version this list does not know yet: its numbers
    char buf[48];
    std::snprintf(buf, sizeof buf, "%s%u.%u", os.platformId == 1 ? "" : "NT ",
                  static_cast<unsigned>(os.major), static_cast<unsigned>(os.minor));
    name = buf;
  }
  return "Microsoft Windows " + name;
}

std::string OperatingSystemBuild(const TReportOperatingSystem& os) {
  return std::to_string(os.platformId == 1 ? (os.build & 0xFFFF) : os.build);
}

std::string ThreadPriorityName(int priority) {
  switch (priority) {
    case -15: return "Idle";
    case -2: return "Lowest";
    case -1: return "Lower";
    case 0: return "Normal";
    case 1: return "Higher";
    case 2: return "Highest";
    case 15: return "Time Critical";
    default: return std::to_string(priority);
  }
}

std::string_view ReportFileName(std::string_view path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view TrimReportValue(std::string_view s) {
  const char* ws = " \t\r\n";
  size_t b = s.find_first_not_of(ws);
  if (b == std::string_view::npos) return std::string_view();
  size_t e = s.find_last_not_of(ws);
  return s.substr(b, e - b + 1);
}
