// Pictures the skin data derives from a freshly read skin: the combined combo-box strip, the
// combo arrow, the caption's title colour and the tool bar background.
#pragma once

#include "skin/data/skin_loader.h"

// Runs the derivation on a content the loader has just built, in this order:
//  - the combined combo strip (when both "SunkEdge" and "ComboButton" exist): one 50 x 21
//    frame per sunken-edge frame, the edge over the whole frame, the button in the right
//    s = scrollArrowWidth + 2 pixels with the extra images' arrow centred in it, the inside
//    cleared to magenta. The button takes the strip (style 2); the edge takes a copy with each
//    frame mirrored in place, for combos whose button is on the left;
//  - "ComboxArrow": the button's arrow part of each strip frame, s - 2 wide and 17 high
//    (without a sunken edge: the button's picture with magenta turned to the face colour);
//  - the title colour: the pixel at a third of the top border's first frame;
//  - "Toolbar": a 10 x 40 vertical gradient from a light face colour to a colour of the
//    title, so the title colour is known before it is used.
void BuildDerivedObjects(TSkinContent& content, int scrollArrowWidth);
