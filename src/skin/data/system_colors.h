// System colours by index: the running system's colour table on Windows, the classic default
// scheme on the host, where there is no system to ask.
#pragma once

#include <cstdint>

// System colour indexes as the system's colour table numbers them.
enum TSysColorIndex {
  sciScrollbar = 0,
  sciMenu = 4,
  sciWindowText = 8,
  sciMenuText = 7,
  sciCaptionText = 9,
  sciHighlight = 13,
  sciHighlightText = 14,
  sciBtnFace = 15,
  sciBtnShadow = 16,
  sciBtnText = 18,
  sciInactiveCaptionText = 19,
  sciBtnHighlight = 20,
  sciDkShadow3D = 21,
  sciLight3D = 22,
  sciMenuBar = 30,
};

// The colour (0x00BBGGRR) of a system colour index; unknown indexes give black.
std::uint32_t SystemColor(int index);
