#include "exceptions/dialog/dialog_from_report.h"

#include <cctype>

#include "exceptions/report/report_format.h"
#include "exceptions/report/report_text.h"

namespace {
bool EndsWithNoCase(std::string_view s, std::string_view tail) {
  if (s.size() < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(s[s.size() - tail.size() + i])) != tail[i]) return false;
  return true;
}

TDialogImage ModuleImage(std::string_view file) {
  if (EndsWithNoCase(file, ".exe")) return diFramework;
  if (EndsWithNoCase(file, ".bpl")) return diPackage;
  return diLibrary;
}

// Units of the program's own framework get the framework picture, other sources the page.
TDialogImage EntryImage(const TReportStackEntry& e) {
  switch (e.kind) {
    case 4: {
      const std::string& u = e.unitName;
      bool framework =
          u.find("framework/") != std::string::npos || u.find("framework\\") != std::string::npos;
      return framework ? diFramework : diSource;
    }
    case 3: return diPackage;
    case 2: return diLibrary;
    default: return diNone;
  }
}

// The module's full name: the entry may carry it already, else the module list knows it.
std::string FullName(const TReportSnapshot& s, const std::string& module) {
  if (module.find('\\') != std::string::npos || module.find('/') != std::string::npos) return module;
  for (const TReportModule& m : s.modules)
    if (ReportFileName(m.path) == module) return m.path;
  return module;
}
}  // namespace

TErrorDialogInput DialogInputFromReport(const TReportSnapshot& s, const TDialogOptions& options,
                                        bool duplicate, bool offerTerminate, const TRichTextStyle& style) {
  TErrorDialogInput in;
  in.options = options;
  in.duplicate = duplicate;
  in.offerTerminate = offerTerminate;
  in.message = ReportMessageText(s.exception);
  in.generalRtf = ReportRichText(GeneralSectionText(s), style);
  in.cpuRtf = ReportRichText(CpuSectionText(s), style);
  for (const TReportThread& t : s.threads) {
    TDialogThread dt;
    dt.caption = ThreadCaption(t, s.exception.threadId, s.settings);
    for (const TReportStackEntry& e : t.entries) {
      TDialogStackEntry d;
      d.kind = e.kind;
      d.modulePath = FullName(s, e.module);
      d.module = std::string(ReportFileName(e.module));
      d.executableModule = EndsWithNoCase(d.module, ".exe");
      d.image = EntryImage(e);
      d.address = e.address;
      d.unitName = e.unitName;
      d.className = e.className;
      d.procedureName = e.procedureName;
      d.line = e.line;
      d.lineOffset = e.lineOffset;
      dt.entries.push_back(std::move(d));
    }
    in.threads.push_back(std::move(dt));
  }
  for (const TReportModule& m : s.modules) {
    std::string name(ReportFileName(m.path));
    in.modules.push_back({{Hex8(m.handle), name, m.description, m.version, std::to_string(m.size),
                           FormatModuleDate(m.modified), m.path},
                          ModuleImage(name)});
  }
  in.customData = s.customData;
  return in;
}
