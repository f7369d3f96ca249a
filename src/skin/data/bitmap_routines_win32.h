// Device-context drawing of skin pictures. Compositions come from bitmap_routines.h and are
// drawn in one block; stretching by GDI uses the colour-on-colour mode, so skin pictures
// keep exact pixels (and exact magenta for transparency).
//
// Each thread that draws keeps a few memory DCs and up to eight composition pictures of the
// sizes it drew last (pieces up to 256K pixels), because making them anew costs more than
// the drawing; they are freed when the thread ends. No routine raises for GDI failures (a
// drawing that cannot be made is skipped); composing can raise EInvalidGraphic or
// EOutOfMemory for targets beyond TSkinBitmap::kMaxSide.
#pragma once

#include <windows.h>

#include "skin/data/bitmap_routines.h"
#include "framework/gdi_owners_win32.h"

inline TSkinRect ToSkinRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// A linear gradient from c1 (top or left) to c2, one solid line at a time and only the
// lines inside the DC's clip box.
void FillGradient(HDC dc, const RECT& rect, TColor c1, bool vertical, TColor c2);

// A region covering the picture's non-key pixels, moved by the offsets (see
// ScanRegionRects for the tolerances). An empty region when every pixel is a key pixel;
// a null owner only when the system refuses to make the region.
TGdiRegion BitmapToRegion(const TSkinBitmap& pic, int xOffset, int yOffset, int tolBlue,
                          int tolGreen, int tolRed, TColor key);

// BuildFramePiece at the rect's size, drawn at the rect, opaque or with magenta transparent.
void DrawFramePiece(HDC dc, const RECT& rect, const TSkinBitmap& pic, bool stacked, bool tile,
                    bool transparent, int count, int frame, const TSkinRect& margins);
// BuildHorzPiece at the rect's size, drawn at the rect.
void DrawHorzPiece(HDC dc, const RECT& rect, const TSkinBitmap& pic, bool stacked,
                   bool transparent, int count, int frame, const TSkinRect& margins);
// Frame k (side by side) stretched to the rect.
void DrawFrameStretched(HDC dc, const RECT& rect, const TSkinBitmap& pic, bool transparent,
                        int count, int frame);
// Frame k at natural size, centred in the rect (it may reach outside a smaller rect).
void DrawFrameCentered(HDC dc, const RECT& rect, const TSkinBitmap& pic, bool transparent,
                       int count, int frame);
// Left part, stretched middle and right part, at the rect's full height; the whole frame
// stretched into a rect narrower than the frame.
void StretchThreePart(HDC dc, const RECT& rect, const TSkinBitmap& pic, bool stacked, int count,
                      int frame, const TSkinRect& margins);

// Draws the picture at the rect's top-left corner, at the rect's size cut to the picture's,
// leaving the destination untouched where the picture has the key colour. Rows without key
// pixels are copied plainly; only bands of rows holding key pixels go through the mask.
void DrawTransparent(HDC dc, const RECT& rect, const TSkinBitmap& pic, TColor key);

// How DrawTransparent combines picture and mask. Auto uses MaskBlt on NT-family systems
// and falls back to the three-step xor/and/xor method elsewhere or when MaskBlt fails.
enum class TTransparentMethod { Auto, MaskBlt, ThreeStep };
// Part (sx, sy, w, h) of the picture drawn transparently at (x, y). False when nothing
// could be drawn (with MaskBlt forced: when MaskBlt failed).
bool DrawTransparentPart(HDC dc, int x, int y, int w, int h, const TSkinBitmap& pic, int sx,
                         int sy, TColor key, TTransparentMethod method = TTransparentMethod::Auto);

// Has the parent of a child window paint its background and contents into dc, moved so that
// the part under the child lands at dc's origin and clipped to the child's bounds. Nothing
// for a window without a parent. The parent gets WM_ERASEBKGND and then WM_PAINT with dc
// in wParam, as framework windows paint into a given DC.
void PaintParentBackground(HWND control, HDC dc);
