// The XML export of a log: what the senders attach for programs that read reports.
//
//   <Doc>
//     <Log Version="5.1.11">
//       <General StartDate="..." Address="00401234" .../>
//       <CallStack>
//         <ExceptionThread ID="1234">
//           <Priority>Normal</Priority>
//           <MainThread/>
//           <Address Value="00401234">
//             <Module>netvosk.exe</Module>
//             <Procedure Unit="main_form.cpp" Class="TForm1">Button2Click</Procedure>
//             <Number>42</Number>
//             <Offset>3</Offset>
//   ...
//   </Doc>
//
// The document is UTF-8 without a declaration (which is what XML assumes then), so any XML
// reader takes it; the reports' own GBK text is converted on the way.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "exceptions/options/texts.h"

class TXMLItem;
using TXMLItems = std::vector<std::unique_ptr<TXMLItem>>;

class TXMLItem {
 public:
  explicit TXMLItem(std::string name, TXMLItem* parent = nullptr) : name_(std::move(name)), parent_(parent) {}

  // The new child belongs to this item.
  TXMLItem& AddChild(std::string name);
  // Values are escaped here; names are the program's own and written as given.
  void AddAttribute(std::string_view name, std::string_view value);
  void SetText(std::string_view text);

  const std::string& Name() const { return name_; }
  TXMLItem* Parent() const { return parent_; }
  const TXMLItems& Children() const { return children_; }
  // The element and its children, each line starting with `indent`, children two blanks
  // further in, every line ending with CR LF.
  std::string Text(const std::string& indent = std::string()) const;
  void AppendText(std::string& out, const std::string& indent) const;

 private:
  std::string name_;
  std::string attributes_;  // ' name="value"' for each, escaped
  std::string text_;        // escaped
  TXMLItems children_;
  TXMLItem* parent_;
};

// Markup characters (& < > " ') and the line-break and tab characters become "&#nnn;"; other
// control characters, which XML cannot carry at all, become "?".
std::string XmlEscape(std::string_view s);

struct TXmlExportOptions {
  // Converts the reports' text (the program's code page) to UTF-8. Empty: bytes pass as they are.
  std::function<std::string(std::string_view)> toUtf8;
  // The texts the reports were written with (thread kinds, section titles).
  const TCustomizedTexts* texts = &DefaultQuillonTexts();
  // The log password; when empty, passwordRequest (the program's password handlers) is asked.
  std::string password;
  std::function<std::string()> passwordRequest;
};

// The document for stored reports (TLogFile::Reports()), oldest first.
std::string XmlExport(const std::vector<std::string>& reports, const TXmlExportOptions& options);
// The attribute name of general item N.M ("StartDate", "Address", ...).
std::string XmlItemName(int header, int item);
