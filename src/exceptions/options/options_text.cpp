#include "exceptions/options/options_text.h"

#include <cerrno>
#include <cstdlib>
#include <set>

#include "exceptions/options/module_options.h"

namespace {
std::string_view trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

class Parser {
 public:
  Parser(std::string_view source, TQuillonModuleOptions& o) : source_(source), o_(o) {}

  [[noreturn]] void fail(const std::string& what) const {
    throw EQuillonOptionsError(Format("%.*s line %d: %s", int(source_.size()), source_.data(), line_, what.c_str()));
  }

  std::string value(std::string_view raw) const {
    raw = trim(raw);
    if (raw.empty() || raw.front() != '"') return std::string(raw);
    std::string out;
    size_t i = 1;
    for (; i < raw.size() && raw[i] != '"'; ++i) {
      char c = raw[i];
      if (c != '\\') {
        out += c;
        continue;
      }
      if (++i >= raw.size()) fail("unfinished escape");
      switch (raw[i]) {
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case 'x': {
          if (i + 2 >= raw.size()) fail("\\x needs two hexadecimal digits");
          std::string hex(raw.substr(i + 1, 2));
          char* end = nullptr;
          long v = std::strtol(hex.c_str(), &end, 16);
          if (*end) fail("\\x needs two hexadecimal digits");
          out += static_cast<char>(v);
          i += 2;
          break;
        }
        default: fail(Format("unknown escape \\%c", raw[i]));
      }
    }
    if (i >= raw.size()) fail("missing closing quotation mark");
    if (!trim(raw.substr(i + 1)).empty()) fail("text after the closing quotation mark");
    return out;
  }

  int64_t number(std::string_view raw, TQuillonFieldKind kind) const {
    std::string s(trim(raw));
    if (kind == TQuillonFieldKind::Bool) {
      for (const char* t : {"true", "yes", "on", "1"})
        if (SameText(s, t)) return 1;
      for (const char* f : {"false", "no", "off", "0"})
        if (SameText(s, f)) return 0;
      fail(Format("\"%s\" is not a boolean", s.c_str()));
    }
    if (s.empty()) fail("number expected");
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(s.c_str(), &end, 0);
    if (*end || errno == ERANGE) fail(Format("\"%s\" is not a number", s.c_str()));
    int64_t lo = kind == TQuillonFieldKind::Int ? -0x80000000ll : 0;
    if (v < lo || v > QuillonFieldMax(kind)) fail(Format("%s is out of range", s.c_str()));
    return v;
  }

  void run(std::string_view text) {
    enum { none, options, texts, filters } section = none;
    TQuillonOptionValues v;
    v.OwnerModule = o_.ModuleName();
    std::set<std::string> seen;
    size_t pos = 0;
    while (pos <= text.size()) {
      size_t eol = text.find('\n', pos);
      if (eol == std::string_view::npos) eol = text.size();
      std::string_view line = trim(text.substr(pos, eol - pos));
      pos = eol + 1;
      ++line_;
      if (line.empty() || line.front() == ';' || line.front() == '#') continue;
      if (line.front() == '[') {
        if (line.back() != ']') fail("section name without \"]\"");
        std::string_view name = trim(line.substr(1, line.size() - 2));
        if (SameText(name, "Options")) section = options;
        else if (SameText(name, "Texts")) section = texts;
        else if (SameText(name, "Filters")) section = filters;
        else fail(Format("unknown section [%.*s]", int(name.size()), name.data()));
        continue;
      }
      size_t eq = line.find('=');
      if (eq == std::string_view::npos) fail("\"name = value\" expected");
      std::string key(trim(line.substr(0, eq)));
      std::string_view raw = line.substr(eq + 1);
      if (key.empty()) fail("name missing before \"=\"");
      switch (section) {
        case none: fail("option outside a section");
        case options: {
          const TQuillonFieldInfo* f = FindQuillonOptionField(key);
          if (!f || f->since == 0 || f->kind == TQuillonFieldKind::Texts || f->kind == TQuillonFieldKind::StrList)
            fail(Format("unknown option \"%s\"", key.c_str()));
          if (!seen.insert(std::string("o:") + f->name).second) fail(Format("\"%s\" given twice", key.c_str()));
          if (f->kind == TQuillonFieldKind::Str || f->kind == TQuillonFieldKind::Password)
            f->setString(v, value(raw));
          else
            f->setNumber(v, number(raw, f->kind));
          break;
        }
        case texts: {
          char* end = nullptr;
          long index = std::strtol(key.c_str(), &end, 10);
          if (*end || index < 0 || index >= kQuillonTextCount) fail(Format("no text number \"%s\"", key.c_str()));
          if (!seen.insert("t:" + std::to_string(index)).second) fail(Format("text %ld given twice", index));
          v.TextTable[static_cast<size_t>(index)] = value(raw);
          break;
        }
        case filters:
          v.FilterClasses.push_back(key);
          v.FilterMessages.push_back(value(raw));
          break;
      }
    }
    o_.SetValues(v);
  }

 private:
  std::string_view source_;
  TQuillonModuleOptions& o_;
  int line_ = 0;
};

std::string quote(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (c == '\\') out += "\\\\";
    else if (c == '"') out += "\\\"";
    else if (u < 32 || u == 127) out += Format("\\x%02X", u);
    else out += c;
  }
  return out + "\"";
}
}  // namespace

void ParseQuillonOptionsText(std::string_view text, TQuillonModuleOptions& options, std::string_view sourceName) {
  Parser(sourceName, options).run(text);
}

std::string QuillonOptionsToText(const TQuillonModuleOptions& options) {
  const TQuillonOptionValues& v = options.Values();
  std::string out = "[Options]\n";
  for (const TQuillonFieldInfo& f : QuillonOptionFields()) {
    if (f.since == 0) continue;
    switch (f.kind) {
      case TQuillonFieldKind::Texts:
      case TQuillonFieldKind::StrList: break;
      case TQuillonFieldKind::Str:
      case TQuillonFieldKind::Password: out += Format("%s = %s\n", f.name, quote(f.getString(v)).c_str()); break;
      case TQuillonFieldKind::Bool: out += Format("%s = %s\n", f.name, f.getNumber(v) ? "true" : "false"); break;
      default:
        // Bit sets read best in hexadecimal, counts and ports in decimal.
        if (std::string_view(f.name).ends_with("Flags"))
          out += Format("%s = 0x%llX\n", f.name, static_cast<unsigned long long>(f.getNumber(v)));
        else
          out += Format("%s = %lld\n", f.name, static_cast<long long>(f.getNumber(v)));
    }
  }
  out += "\n[Texts]\n";
  for (int i = 0; i < kQuillonTextCount; ++i) out += Format("%d = %s\n", i, quote(v.TextTable[size_t(i)]).c_str());
  out += "\n[Filters]\n";
  for (size_t i = 0; i < v.FilterClasses.size(); ++i)
    out += v.FilterClasses[i] + " = " + quote(i < v.FilterMessages.size() ? v.FilterMessages[i] : "") + "\n";
  return out;
}
