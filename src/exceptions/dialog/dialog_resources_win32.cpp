#include "exceptions/dialog/dialog_resources_win32.h"

#include <richedit.h>

#include <cstdlib>

namespace {
constexpr COLORREF kTransparent = RGB(255, 0, 255);

TImageListHandle LoadPictures(HMODULE module, const char* const* names, int count, int size) {
  TImageListHandle list(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, count, 0));
  if (!list) return {};
  for (int i = 0; i < count; ++i) {
    TBitmapHandle bitmap(
        static_cast<HBITMAP>(LoadImageA(module, names[i], IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap || ImageList_AddMasked(list.get(), bitmap.get(), kTransparent) != i) return {};
  }
  return list;
}
}  // namespace

HMODULE ReporterResourceModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ReporterResourceModule), &module);
  return module ? module : GetModuleHandleA(nullptr);
}

TRichEditLibrary::TRichEditLibrary() {
  library_.reset(LoadLibraryA("RICHED32.DLL"));
  if (library_) {
    className_ = "RICHEDIT";
    return;
  }
  library_.reset(LoadLibraryA("RICHED20.DLL"));
  if (library_) className_ = RICHEDIT_CLASSA;
}

int PictureOf(TDialogImage image) {
  switch (image) {
    case diLibrary: return lpLibrary;
    case diPackage: return lpPackage;
    case diFramework: return lpFramework;
    case diSource: return lpSource;
    default: return -1;
  }
}

TImageListHandle LoadRowPictures(HMODULE module) {
  static const char* const names[lpCount] = {"QL_DLL", "QL_BPL", "QL_VCL", "QL_PAS", "QL_PLUS", "QL_MINUS"};
  return LoadPictures(module, names, lpCount, 16);
}

TImageListHandle LoadErrorPicture(HMODULE module) {
  static const char* const names[1] = {"QL_ERROR"};
  return LoadPictures(module, names, 1, 32);
}

BYTE LocaleCharset() {
  char page[8] = "";
  CHARSETINFO info{};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, page, sizeof page) > 0) {
    UINT cp = static_cast<UINT>(std::strtoul(page, nullptr, 10));
    if (TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<ULONG_PTR>(cp)), &info, TCI_SRCCODEPAGE))
      return static_cast<BYTE>(info.ciCharset);
  }
  if (TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<ULONG_PTR>(GetACP())), &info,
                           TCI_SRCCODEPAGE))
    return static_cast<BYTE>(info.ciCharset);
  return DEFAULT_CHARSET;
}

TFontHandle LocaleFontLike(HFONT base, bool bold, bool underline) {
  LOGFONTA lf{};
  if (!base || !GetObjectA(base, sizeof lf, &lf))
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
  lf.lfCharSet = LocaleCharset();
  if (bold) lf.lfWeight = FW_BOLD;
  lf.lfUnderline = underline ? TRUE : FALSE;
  return TFontHandle(CreateFontIndirectA(&lf));
}
