// Stored layouts: the text form in which windows are kept, compiled into the program.
//
//   object Form1: TForm1
//     Caption = 'Netvosk'          strings in quotes, '' for a quote, #13 for a byte
//     ClientWidth = 479            integers (decimal, -n, $hex)
//     Font.Name = '宋体'           nested properties by dotted path
//     BorderIcons = [biSystemMenu] sets
//     Color = clBtnFace            identifiers (enumerations, colours, true/false)
//     Items.Strings = ( 'a' 'b' )  string lists
//     Picture.Data = { 4749 46 }   binary data as hex
//     OnClick = Button1Click       events, bound to the root's methods by name
//     Panels = < item Width = 50 end >  collections
//     object GroupBox1: TGroupBox  nested components, parented to the enclosing one
//     end
//   end
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/component.h"
#include "framework/properties.h"

struct TLayoutNode {
  std::string name;
  std::string className;
  int line = 0;
  std::vector<std::pair<std::string, TPropValue>> props;
  std::vector<TLayoutNode> children;
};

// Parses layout text; raises EParserError ("Line %d: …") on malformed input.
TLayoutNode ParseLayout(const std::string& text);

// Sets the root's properties from the node and creates its nested components (owned by the
// root) by registered class name. Every component is in its loading state while its
// properties are set; Loaded() runs for all of them, in creation order, at the end.
// Raises EClassNotFound, EPropertyError or EParserError.
void ReadComponentTree(TComponent& root, const TLayoutNode& node);
