#include "framework/layout.h"

#include <cctype>
#include <cstdlib>

#include "framework/exception.h"

namespace {

class LayoutParser {
 public:
  explicit LayoutParser(const std::string& text) : s_(text) {}

  TLayoutNode ParseRoot() {
    TLayoutNode root = ParseObject(0);
    SkipBlank();
    if (pos_ < s_.size()) Fail("text after the last 'end'");
    return root;
  }

 private:
  static constexpr int kMaxDepth = 64;  // deeper nesting is no window anyone designs

  [[noreturn]] void Fail(const std::string& what) {
    throw EParserError(Format("Line %d: %s", line_, what.c_str()));
  }

  void SkipBlank() {
    while (pos_ < s_.size()) {
      char c = s_[pos_];
      if (c == '\n') ++line_;
      if (static_cast<unsigned char>(c) <= ' ') {
        ++pos_;
        continue;
      }
      if (c == '/' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '/') {
        while (pos_ < s_.size() && s_[pos_] != '\n') ++pos_;
        continue;
      }
      break;
    }
  }

  bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }

  std::string Ident() {
    SkipBlank();
    if (pos_ >= s_.size() || !IsIdentStart(s_[pos_])) Fail("name expected");
    size_t start = pos_;
    while (pos_ < s_.size() &&
           (std::isalnum(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '_' || s_[pos_] == '.'))
      ++pos_;
    return s_.substr(start, pos_ - start);
  }

  void Expect(char c) {
    SkipBlank();
    if (pos_ >= s_.size() || s_[pos_] != c) Fail(std::string("'") + c + "' expected");
    ++pos_;
  }

  bool Peek(char c) {
    SkipBlank();
    return pos_ < s_.size() && s_[pos_] == c;
  }

  TLayoutNode ParseObject(int depth) {
    if (depth > kMaxDepth) Fail("objects nested too deeply");
    SkipBlank();
    TLayoutNode node;
    node.line = line_;
    if (!SameText(Ident(), "object")) Fail("'object' expected");
    node.name = Ident();
    Expect(':');
    node.className = Ident();
    for (;;) {
      SkipBlank();
      if (pos_ >= s_.size()) Fail("'end' expected");
      std::string word = Ident();
      if (SameText(word, "end")) return node;
      if (SameText(word, "object")) {
        pos_ -= word.size();
        node.children.push_back(ParseObject(depth + 1));
        continue;
      }
      Expect('=');
      node.props.emplace_back(word, ParseValue());
    }
  }

  TPropValue ParseValue() {
    SkipBlank();
    if (pos_ >= s_.size()) Fail("value expected");
    char c = s_[pos_];
    if (c == '\'' || c == '#') return TPropValue::Str(ParseString());
    if (c == '-' || c == '$' || std::isdigit(static_cast<unsigned char>(c)))
      return TPropValue::Int(ParseInteger());
    if (c == '[') {
      ++pos_;
      std::vector<std::string> members;
      while (!Peek(']')) {
        members.push_back(Ident());
        if (!Peek(']')) Expect(',');
      }
      ++pos_;
      return TPropValue::Members(std::move(members));
    }
    if (c == '(') {
      ++pos_;
      std::vector<std::string> items;
      while (!Peek(')')) {
        if (pos_ >= s_.size()) Fail("')' expected");
        items.push_back(ParseString());
      }
      ++pos_;
      return TPropValue::Strings(std::move(items));
    }
    if (c == '{') {
      ++pos_;
      std::vector<uint8_t> bytes;
      int half = -1;
      for (;;) {
        SkipBlank();
        if (pos_ >= s_.size()) Fail("'}' expected");
        char h = s_[pos_++];
        if (h == '}') break;
        int v = std::isdigit(static_cast<unsigned char>(h)) ? h - '0'
                : (h >= 'a' && h <= 'f')                    ? h - 'a' + 10
                : (h >= 'A' && h <= 'F')                    ? h - 'A' + 10
                                                            : -1;
        if (v < 0) Fail("hexadecimal digit expected");
        if (half < 0)
          half = v;
        else {
          bytes.push_back(static_cast<uint8_t>(half * 16 + v));
          half = -1;
        }
      }
      if (half >= 0) Fail("odd number of hexadecimal digits");
      return TPropValue::Binary(std::move(bytes));
    }
    if (c == '<') {
      if (++collectionDepth_ > kMaxDepth) Fail("collections nested too deeply");
      ++pos_;
      TPropValue collection;
      collection.kind = TPropKind::Collection;
      while (!Peek('>')) {
        if (!SameText(Ident(), "item")) Fail("'item' expected");
        std::vector<std::pair<std::string, TPropValue>> item;
        for (;;) {
          std::string word = Ident();
          if (SameText(word, "end")) break;
          Expect('=');
          item.emplace_back(word, ParseValue());
        }
        collection.items.push_back(std::move(item));
      }
      ++pos_;
      --collectionDepth_;
      return collection;
    }
    std::string id = Ident();
    if (SameText(id, "true")) return TPropValue::Bool(true);
    if (SameText(id, "false")) return TPropValue::Bool(false);
    return TPropValue::Ident(id);
  }

  int64_t ParseInteger() {
    bool negative = false;
    if (s_[pos_] == '-') {
      negative = true;
      ++pos_;
    }
    int base = 10;
    if (pos_ < s_.size() && s_[pos_] == '$') {
      base = 16;
      ++pos_;
    }
    size_t start = pos_;
    int64_t v = 0;
    while (pos_ < s_.size() && std::isxdigit(static_cast<unsigned char>(s_[pos_]))) {
      char d = s_[pos_];
      int digit = std::isdigit(static_cast<unsigned char>(d)) ? d - '0' : (std::tolower(d) - 'a' + 10);
      if (digit >= base) break;
      if (v > (INT64_MAX - digit) / base) Fail("number too large");
      v = v * base + digit;
      ++pos_;
    }
    if (pos_ == start) Fail("number expected");
    return negative ? -v : v;
  }

  std::string ParseString() {
    SkipBlank();
    std::string out;
    bool any = false;
    for (;;) {
      if (pos_ < s_.size() && s_[pos_] == '\'') {
        ++pos_;
        for (;;) {
          if (pos_ >= s_.size() || s_[pos_] == '\n') Fail("unterminated string");
          if (s_[pos_] == '\'') {
            if (pos_ + 1 < s_.size() && s_[pos_ + 1] == '\'') {
              out += '\'';
              pos_ += 2;
              continue;
            }
            ++pos_;
            break;
          }
          out += s_[pos_++];
        }
      } else if (pos_ < s_.size() && s_[pos_] == '#') {
        ++pos_;
        int64_t code = ParseInteger();
        if (code < 0 || code > 255) Fail("character code out of range");
        out += static_cast<char>(code);
      } else {
        break;
      }
      any = true;
    }
    if (!any) Fail("string expected");
    return out;
  }

  const std::string& s_;
  size_t pos_ = 0;
  int line_ = 1;
  int collectionDepth_ = 0;
};

void AssignProperties(TComponent& root, TComponent& target, const TLayoutNode& node) {
  for (const auto& [name, value] : node.props) {
    if (value.kind == TPropKind::Identifier) {
      // An identifier may name one of the root's methods for an event property.
      const TPropInfo* info = nullptr;
      TObject* owner = &target;
      std::string leaf = name;
      size_t dot = name.rfind('.');
      if (dot == std::string::npos) info = target.ClassInfo().FindProp(name);
      if (info && info->kind == TPropKind::Event) {
        TNotifyEvent handler = root.MethodAddress(value.text);
        if (!handler)
          throw EParserError(Format("Line %d: method %s not found", node.line, value.text.c_str()));
        info->setEvent(*owner, std::move(handler));
        continue;
      }
    }
    try {
      SetPropPath(target, name, value);
    } catch (const EPropertyError& e) {
      throw EPropertyError(
          Format("Line %d: %s.%s: %s", node.line, node.name.c_str(), name.c_str(), e.Message().c_str()));
    }
  }
}

void ReadChildren(TComponent& root, TComponent& parent, const TLayoutNode& node,
                  std::vector<TComponent*>& created) {
  for (const TLayoutNode& child : node.children) {
    const TClassInfo* cls = FindClass(child.className);
    if (!cls || !cls->create) throw EClassNotFound(Format("Class %s not found", child.className.c_str()));
    TComponent* c = cls->create(&root);  // owned by the root from here on
    created.push_back(c);
    c->BeginLoading();
    c->SetName(child.name);
    c->SetParentComponent(&parent);
    AssignProperties(root, *c, child);
    ReadChildren(root, *c, child, created);
  }
}

}  // namespace

TLayoutNode ParseLayout(const std::string& text) { return LayoutParser(text).ParseRoot(); }

void ReadComponentTree(TComponent& root, const TLayoutNode& node) {
  std::vector<TComponent*> created;
  root.BeginLoading();
  if (!node.name.empty()) root.SetName(node.name);
  AssignProperties(root, root, node);
  ReadChildren(root, root, node, created);
  root.Loaded();
  for (TComponent* c : created) c->Loaded();
}
