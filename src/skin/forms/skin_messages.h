// The skin engine's private window messages. Any window of the program may receive them;
// only skinned forms, menus and control painters answer them.
#pragma once

#include <cstdint>

constexpr unsigned XM_ISSKINNED = 13603;      // 0x3523: a skinned form or popup menu answers 1
constexpr unsigned XM_INITFRAME = 13571;      // 0x3503: posted (0, 1000) to finish attaching
constexpr unsigned XM_REPAINTFRAME = 13570;   // 0x3502: repaint the whole non-client area
constexpr unsigned XM_CAPTIONBUTTON = 13588;  // 0x3514: wParam = an application-defined action
constexpr unsigned XM_BUTTONVISIBLE = 13589;  // 0x3515: is a caption button shown? > 0 yes
constexpr unsigned XM_REDRAWFRAME = 13590;    // 0x3516: to the MDI client: redraw the frame
constexpr unsigned XM_RECREATED = 13591;      // 0x3517: wParam = a control that was re-created
constexpr unsigned XM_OPENMENUAT = 13592;     // 0x3518: lParam = screen point of a menu-bar item
constexpr unsigned XM_REAPPLY = 13313;        // 0x3401: re-apply colours, painters and frame
constexpr unsigned XM_PAINTFRAME = 48203;     // 0xBC4B: paint the frame into the DC in wParam
constexpr unsigned XM_QUERYENGINE = 48205;    // 0xBC4D
constexpr unsigned XM_SKINNED = 48206;        // 0xBC4E: sent (0, 16802) right after skinning

// lParam values that mark the engine's own senders.
constexpr intptr_t kInitFrameParam = 1000;
constexpr intptr_t kEngineMark = 16802;  // 0x41A2
