// How different two colours look: 8-bit sRGB colours converted to CIELAB (D65 white, the sRGB
// transfer curve undone first), and the CIEDE2000 colour difference between two Lab colours
// (weights kL = kC = kH = 1). CIEDE2000 rather than the plain distance in Lab (CIE76) because it
// corrects the two places where that distance misleads most: saturated colours, whose
// differences it overstates, and blues, whose hues it bends. A difference of about 1 is the
// smallest most people see side by side.
#pragma once

#include <cstdint>

namespace vcv {

struct LabColour {
  double l = 0;  // lightness, 0 (black) to 100 (white)
  double a = 0;  // green (-) to red (+)
  double b = 0;  // blue (-) to yellow (+)
};

// An 8-bit sRGB colour in CIELAB.
LabColour srgb_to_lab(uint8_t red, uint8_t green, uint8_t blue);

// The CIEDE2000 difference of two Lab colours; symmetric, 0 for equal colours.
double ciede2000(const LabColour& first, const LabColour& second);

}  // namespace vcv
