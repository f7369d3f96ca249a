#include "exceptions/report/report_render.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

#include "exceptions/report/log_item.h"

namespace {
bool isGbkLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
bool isGbkTrail(unsigned char c) { return c >= 0x40 && c <= 0xFE && c != 0x7F; }

bool isRuleLine(const std::string& l) {
  return !l.empty() && l[0] == '-' && l.find_first_not_of("- ") == std::string::npos;
}

// "  1.2 Name/Description: value": the label part (without its padding) and the value.
bool splitItem(const std::string& l, std::string& label, std::string& value) {
  if (l.size() < 7 || l.compare(0, 2, "  ") != 0 || l[2] < '0' || l[2] > '9') return false;
  size_t sep = l.find(": ");
  if (sep == std::string::npos) return false;
  label = l.substr(0, sep);
  while (!label.empty() && label.back() == ' ') label.pop_back();
  value = l.substr(sep + 2);
  return true;
}

bool isRegisterLine(const std::string& l) {
  for (const char* r : {"EAX: ", "EBX: ", "ECX: ", "EDX: "})
    if (l.rfind(r, 0) == 0) return true;
  return false;
}

void appendHtmlChar(std::string& out, char c) {
  switch (c) {
    case '&': out += "&amp;"; break;
    case '<': out += "&lt;"; break;
    case '>': out += "&gt;"; break;
    case '"': out += "&quot;"; break;
    case '\'': out += "&#039;"; break;
    default: out += c;
  }
}

void appendHtmlText(std::string& out, std::string_view s) {
  for (char c : s) appendHtmlChar(out, c);
}
}  // namespace

std::string RtfEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  char hex[16];
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    // A GBK character's second byte may be "\", "{" or "}": the pair is written as one
    // character, both bytes as \'hh, so its second byte is never read as markup.
    if (isGbkLead(c) && i + 1 < text.size() && isGbkTrail(static_cast<unsigned char>(text[i + 1]))) {
      std::snprintf(hex, sizeof hex, "\\'%02x\\'%02x", c, static_cast<unsigned char>(text[i + 1]));
      out += hex;
      ++i;
    } else if (c >= 0x80 || (c < 32 && c != '\t')) {
      std::snprintf(hex, sizeof hex, "\\'%02x", c);
      out += hex;
    } else if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\t') {
      out += "\\tab ";
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string ReportRichText(std::string_view text, const TRichTextStyle& style) {
  char head[512];
  std::snprintf(
      head, sizeof head,
      "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1040{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset%d %s;}}\r\n"
      "{\\colortbl ;\\red0\\green100\\blue100;\\red0\\green0\\blue0;\\red40\\green40\\blue40;\\red0\\green0"
      "\\blue160;}\r\n",
      style.charset, RtfEscape(style.fontName).c_str());
  std::string out = head;
  std::vector<std::string> lines = SplitReportLines(text);
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  std::string label, value;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    bool header = !l.empty() && l[0] != ' ' && i + 1 < lines.size() && isRuleLine(lines[i + 1]);
    if (header) {
      // The block's values stand on one tab stop behind its longest label.
      size_t longest = 0;
      for (size_t j = i + 2; j < lines.size() && !lines[j].empty(); ++j)
        if (splitItem(lines[j], label, value)) longest = std::max(longest, label.size() + 1);
      out += "\\pard";
      if (longest) out += "\\tx" + std::to_string(static_cast<int>(longest + 1) * style.charTwips);
      out += "\\cf1\\b " + RtfEscape(l);
    } else if (splitItem(l, label, value)) {
      out += "\\cf3\\b " + RtfEscape(label) + ":\\cf2\\b0\\tab " + RtfEscape(value);
    } else if (isRegisterLine(l)) {
      // "EAX: 0012FF80   EDI: 00000000": the names as labels.
      for (size_t p = 0; p < l.size();) {
        size_t colon = l.find(": ", p);
        if (colon == std::string::npos) {
          out += "\\cf2\\b0 " + RtfEscape(l.substr(p));
          break;
        }
        size_t end = l.find("   ", colon);
        if (end == std::string::npos) end = l.size();
        out += "\\cf3\\b " + RtfEscape(l.substr(p, colon + 1 - p)) + "\\cf2\\b0  " +
               RtfEscape(l.substr(colon + 2, end - colon - 2));
        if (end < l.size()) out += "   ";
        p = std::min(l.size(), end + 3);
      }
    } else if (!l.empty() && l[0] == ' ' && l.compare(0, 2, "  ") != 0) {
      out += "\\cf2\\b0\\tab " + RtfEscape(l.substr(1));  // a value's continuation line
    } else {
      out += "\\cf2\\b0 " + RtfEscape(l);
    }
    out += "\\par\r\n";
  }
  return out + "}";
}

std::string HtmlEscapeReport(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      out += "<br>\r\n";
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == ' ' && i + 1 < text.size() && text[i + 1] == ' ') {
      out += "&nbsp;&nbsp;";
      ++i;
    } else {
      appendHtmlChar(out, c);
    }
  }
  return out;
}

std::string HtmlReportPage(std::string_view reportText, std::string_view pageTemplate, std::string_view title,
                           std::string_view id) {
  std::string page(pageTemplate);
  const std::string body = HtmlEscapeReport(reportText);
  constexpr std::string_view tag = "<%HTML_TAG%>";
  size_t at = page.find(tag);
  if (at == std::string::npos) page += body;
  for (; at != std::string::npos; at = page.find(tag, at + body.size())) page.replace(at, tag.size(), body);

  std::string head = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=GBK\">\r\n<title>";
  appendHtmlText(head, title);
  head += "</title>";
  std::string lower = page;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  size_t headTag = lower.find("<head>");
  if (headTag != std::string::npos)
    page.insert(headTag + 6, "\r\n" + head);
  else
    page.insert(0, head + "\r\n");

  // A comment ends at "--": the identifier must not hold one.
  std::string safeId;
  for (char c : id)
    if (c != '-' || safeId.empty() || safeId.back() != '-') safeId += c == '>' ? '_' : c;
  while (!safeId.empty() && safeId.back() == '-') safeId.pop_back();
  return "<!-- QuillonLog ID: " + safeId + " -->\r\n" + page;
}
