#include "image/colour_difference.h"

#include <cmath>

namespace vcv {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegrees = 180.0 / kPi;

// The D65 white point of sRGB, Y = 1.
constexpr double kWhiteX = 0.95047;
constexpr double kWhiteY = 1.0;
constexpr double kWhiteZ = 1.08883;

// An 8-bit sRGB level as linear light, 0 to 1.
double linear_level(uint8_t level) {
  const double v = level / 255.0;
  return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

// The CIELAB companding of a ratio to the white point: a cube root, straight near black.
double lab_curve(double t) {
  constexpr double kEpsilon = 216.0 / 24389.0;  // (6/29)^3
  constexpr double kSlope = 24389.0 / 27.0 / 116.0;  // 1 / (3 (6/29)^2)
  return t > kEpsilon ? std::cbrt(t) : kSlope * t + 16.0 / 116.0;
}

double radians(double degrees) { return degrees / kDegrees; }

// The hue angle of (a, b) in degrees, 0 to 360; 0 for a neutral colour.
double hue_degrees(double a, double b) {
  if (a == 0 && b == 0) return 0;
  const double h = std::atan2(b, a) * kDegrees;
  return h < 0 ? h + 360 : h;
}

// C^7 / (C^7 + 25^7), the chroma weight both the a-axis stretch and the rotation term use.
double chroma_weight(double chroma) {
  const double c7 = std::pow(chroma, 7);
  return c7 / (c7 + 6103515625.0);  // 25^7
}

}  // namespace

LabColour srgb_to_lab(uint8_t red, uint8_t green, uint8_t blue) {
  const double r = linear_level(red), g = linear_level(green), b = linear_level(blue);
  const double x = 0.4124564 * r + 0.3575761 * g + 0.1804375 * b;
  const double y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
  const double z = 0.0193339 * r + 0.1191920 * g + 0.9503041 * b;
  const double fx = lab_curve(x / kWhiteX), fy = lab_curve(y / kWhiteY),
               fz = lab_curve(z / kWhiteZ);
  return LabColour{116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

// The formula as the CIE published it (CIE 142-2001), step by step; the hue means and
// differences take the shorter way round the circle, and a neutral colour's hue counts as
// undefined (its hue difference is 0, and the mean hue is the other colour's).
double ciede2000(const LabColour& first, const LabColour& second) {
  const double c1 = std::hypot(first.a, first.b), c2 = std::hypot(second.a, second.b);
  // Stretch the a axis for low chromas, where CIELAB's neutral greys are too close together.
  const double g = 0.5 * (1 - std::sqrt(chroma_weight((c1 + c2) / 2)));
  const double a1 = (1 + g) * first.a, a2 = (1 + g) * second.a;
  const double cp1 = std::hypot(a1, first.b), cp2 = std::hypot(a2, second.b);
  const double hp1 = hue_degrees(a1, first.b), hp2 = hue_degrees(a2, second.b);

  const double delta_l = second.l - first.l;
  const double delta_c = cp2 - cp1;
  const bool neutral = cp1 * cp2 == 0;
  double delta_h_angle = 0;
  if (!neutral) {
    delta_h_angle = hp2 - hp1;
    if (delta_h_angle > 180) delta_h_angle -= 360;
    if (delta_h_angle < -180) delta_h_angle += 360;
  }
  const double delta_h = 2 * std::sqrt(cp1 * cp2) * std::sin(radians(delta_h_angle) / 2);

  const double mean_l = (first.l + second.l) / 2;
  const double mean_c = (cp1 + cp2) / 2;
  double mean_h = hp1 + hp2;
  if (!neutral) {
    if (std::fabs(hp1 - hp2) <= 180) {
      mean_h /= 2;
    } else {
      mean_h = mean_h < 360 ? (mean_h + 360) / 2 : (mean_h - 360) / 2;
    }
  }
  const double t = 1 - 0.17 * std::cos(radians(mean_h - 30)) +
                   0.24 * std::cos(radians(2 * mean_h)) +
                   0.32 * std::cos(radians(3 * mean_h + 6)) -
                   0.20 * std::cos(radians(4 * mean_h - 63));
  const double l50 = (mean_l - 50) * (mean_l - 50);
  const double s_l = 1 + 0.015 * l50 / std::sqrt(20 + l50);
  const double s_c = 1 + 0.045 * mean_c;
  const double s_h = 1 + 0.015 * mean_c * t;
  // The blue region's hue bend: a rotation that couples chroma and hue differences.
  const double rotation_degrees = 30 * std::exp(-std::pow((mean_h - 275) / 25, 2));
  const double r_t =
      -2 * std::sqrt(chroma_weight(mean_c)) * std::sin(radians(2 * rotation_degrees));

  const double l_term = delta_l / s_l, c_term = delta_c / s_c, h_term = delta_h / s_h;
  return std::sqrt(l_term * l_term + c_term * c_term + h_term * h_term +
                   r_t * c_term * h_term);
}

}  // namespace vcv
