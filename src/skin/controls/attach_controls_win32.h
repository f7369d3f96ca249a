// Control attachment: what a skinned form does when it has finished attaching (and again
// when its skin is re-applied): every child control gets the painter the skin data's
// DisableTag, OnSkinControl, Skin3rd and SkinControls decide (control_map.h). The painters
// of one form are kept in a list of their own, found by the form's skin object.
#pragma once

#include <windows.h>

#include "skin/controls/control_map.h"
#include "skin/controls/skin_control_win32.h"

class TComponent;
class TSkinData;
class TWinControl;

// Attaches painters to the controls of a form (formControl set: the component walk, then
// the tab-order walk) or to the child windows of a raw window. Controls that have a
// painter already keep it; running it again attaches only what is new.
void AttachSkinControls(const void* skinForm, TSkinData* skinData, HWND form, TWinControl* formControl);
// After a skin change: every painter takes the new colours and repaints; new controls get
// painters.
void ReapplySkinControls(const void* skinForm);
// Detaches and frees every painter of the form, last attached first.
void DetachSkinControls(const void* skinForm);
// A control's window was made anew: its painter goes and it is attached afresh.
void SkinControlRecreated(const void* skinForm, HWND control);
// The painters of a form, or null.
TSkinPainters* SkinPaintersOf(const void* skinForm);

// Whether a painter of that kind exists; kinds without one are mapped but keep their own
// look.
bool PainterBuilt(TPainterKind kind);
// A new painter of that kind (owned by owner, which may be null), or null when not built.
TSkinControl* MakePainter(TPainterKind kind, TComponent* owner);
