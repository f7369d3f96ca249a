#include "exceptions/encode/attachment_names.h"

#include "exceptions/encode/tgz_writer.h"
#include "framework/exception.h"

namespace {
// Position of the extension's point in a name without folders, or npos.
size_t extensionDot(std::string_view name) {
  size_t dot = name.find_last_of('.');
  return dot == 0 ? std::string_view::npos : dot;  // ".profile" is a name, not an extension
}
}  // namespace

std::string FormatDateSuffix(const TReportTime& t) {
  return Format("%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

std::string AttachmentName(std::string_view fileName, bool dateSuffix, const TReportTime& when) {
  std::string name(fileName);
  if (!dateSuffix) return name;
  size_t dot = extensionDot(FileNameOf(name));
  if (dot != std::string::npos) dot += name.size() - FileNameOf(name).size();
  std::string suffix(1, '_');
  suffix += FormatDateSuffix(when);
  if (dot == std::string::npos) return name + suffix;
  return name.insert(dot, suffix);
}

std::string LogAttachmentName(std::string_view logFileName) { return std::string(FileNameOf(logFileName)); }

std::string XmlAttachmentName(std::string_view logFileName) {
  std::string name(FileNameOf(logFileName));
  size_t dot = extensionDot(name);
  if (dot != std::string::npos) name.resize(dot);
  return name + ".xml";
}
