// What the reporter's dialogs load: the module with their templates, the rich-edit library,
// the pictures and a font that shows the program's GBK texts.
#pragma once

#include <windows.h>

#include <string>

#include "exceptions/dialog/dialog_handles_win32.h"
#include "exceptions/dialog/dialog_input.h"

// The module that carries the dialog templates: the one this code is linked into.
HMODULE ReporterResourceModule();

// The rich-edit library, loaded while a dialog is open: "RICHED32.DLL" (class "RICHEDIT"),
// else "RICHED20.DLL" (class "RichEdit20A"), else none: the pages then show plain text.
class TRichEditLibrary {
 public:
  TRichEditLibrary();
  bool Loaded() const { return static_cast<bool>(library_); }
  // The window class of the loaded library's control ("" when none is loaded).
  const std::string& ClassName() const { return className_; }

 private:
  TLibraryHandle library_;
  std::string className_;
};

// Image-list indexes of the list rows' pictures.
enum TListPicture { lpLibrary, lpPackage, lpFramework, lpSource, lpPlus, lpMinus, lpCount };
int PictureOf(TDialogImage image);  // -1 for diNone

// The six 16 x 16 row pictures ("QL_DLL" … "QL_MINUS"), magenta transparent; null when a
// bitmap is missing from `module`.
TImageListHandle LoadRowPictures(HMODULE module);
// The 32 x 32 "QL_Error" picture as a one-image list.
TImageListHandle LoadErrorPicture(HMODULE module);

// The character set of the user's ANSI code page (GB2312 for 936), for fonts that must show
// the program's texts.
BYTE LocaleCharset();
// `base` (the dialog's font) again with the locale's character set, so that a message in
// GBK does not come out as boxes where the template's font has no such characters.
TFontHandle LocaleFontLike(HFONT base, bool bold = false, bool underline = false);
