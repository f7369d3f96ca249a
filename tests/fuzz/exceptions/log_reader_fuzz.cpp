// The log reader on arbitrary bytes, and everything that reads what it returns: what it reads
// is in stored form, writes back to the same reports, and never trips the report reader, the
// XML export or the renderings.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "exceptions/report/log_file.h"
#include "exceptions/report/report_reader.h"
#include "exceptions/report/report_render.h"
#include "exceptions/report/xml_export.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> reports = ParseLog(in);
  const std::string composed = ComposeLog(reports);
  if (ParseLog(composed) != reports) std::abort();
  for (const std::string& r : reports) {
    if (r.find("-\r\n|") == std::string::npos || r.find("\r\n\r\n\r\n") != std::string::npos) std::abort();
    if (StoredReportBody(r) != r) std::abort();
    ParseReportText(r);
    ReportItemValue(r, 1, 3);
    StoredReportKey(r).SameErrorAs(StoredReportKey(r));
  }
  LastReportVersion(reports);
  std::string xml = XmlExport(reports, {});
  if (xml.rfind("<Doc>\r\n", 0) != 0 || xml.size() < 13 || xml.compare(xml.size() - 6, 6, "</Doc>") != 0)
    std::abort();
  ReportRichText(in.substr(0, 4096));
  HtmlEscapeReport(in.substr(0, 4096));
  // A report of any text is stored so that it reads back as one report.
  std::string body = StoredReportBody(in);
  if (body.find("-\r\n|") != std::string::npos) {
    std::vector<std::string> one = ParseLog(ComposeLog({body}));
    if (one.size() != 1 || one[0] != body) std::abort();
  }
  return 0;
}
