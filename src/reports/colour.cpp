#include "reports/colour.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace marvolt::colour {

namespace {

constexpr double kDegree = std::numbers::pi / 180;

// An 8-bit sRGB channel as linear light, 0 to 1.
double linear(std::uint8_t channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// The CIELAB companding of a ratio to the white point.
double labCurve(double t) {
  constexpr double kEdge = 216.0 / 24389;   // (6/29)^3
  constexpr double kSlope = 24389.0 / 27 / 116;
  return t > kEdge ? std::cbrt(t) : kSlope * t + 16.0 / 116;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The hue angle in degrees, 0 to 360; 0 for a grey.
double hueAngle(double b, double a) {
  if (a == 0 && b == 0) return 0;
  const double h = std::atan2(b, a) / kDegree;
  return h < 0 ? h + 360 : h;
}

// c^7 / (c^7 + 25^7): how far a chroma is from grey in the formula's terms.
double chromaWeight(double c) {
  const double c7 = std::pow(c, 7);
  return c7 / (c7 + 6103515625.0);   // 25^7
}

}  // namespace

std::optional<Rgb> parseHex(std::string_view text) {
  if (text.size() != 7 || text[0] != '#') return std::nullopt;
  std::uint8_t channels[3];
  for (int i = 0; i < 3; ++i) {
    const int high = hexDigit(text[1 + 2 * i]);
    const int low = hexDigit(text[2 + 2 * i]);
    if (high < 0 || low < 0) return std::nullopt;
    channels[i] = static_cast<std::uint8_t>(high * 16 + low);
  }
  return Rgb{channels[0], channels[1], channels[2]};
}

std::string toHex(Rgb colour) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text = "#";
  for (const std::uint8_t c : {colour.r, colour.g, colour.b}) {
    text += kDigits[c >> 4];
    text += kDigits[c & 15];
  }
  return text;
}

Lab toLab(Rgb colour) {
  const double r = linear(colour.r), g = linear(colour.g), b = linear(colour.b);
  // XYZ of the sRGB primaries, relative to the D65 white.
  const double x = (0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / 0.95047;
  const double y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
  const double z = (0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / 1.08883;
  const double fx = labCurve(x), fy = labCurve(y), fz = labCurve(z);
  return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

double luminance(Rgb colour) {
  return 0.2126 * linear(colour.r) + 0.7152 * linear(colour.g) + 0.0722 * linear(colour.b);
}

double contrastRatio(Rgb a, Rgb b) {
  const double x = luminance(a), y = luminance(b);
  return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

double deltaE2000(const Lab& x, const Lab& y) {
  // The a axis is stretched for colours of low chroma, where the eye tells
  // blue from purple better than CIELAB does.
  const double meanChroma = (std::hypot(x.a, x.b) + std::hypot(y.a, y.b)) / 2;
  const double stretch = 1 + 0.5 * (1 - std::sqrt(chromaWeight(meanChroma)));
  const double a1 = x.a * stretch, a2 = y.a * stretch;
  const double c1 = std::hypot(a1, x.b), c2 = std::hypot(a2, y.b);
  const double h1 = hueAngle(x.b, a1), h2 = hueAngle(y.b, a2);

  const double dL = y.l - x.l;
  const double dC = c2 - c1;
  double dh = 0;
  if (c1 * c2 != 0) {
    dh = h2 - h1;
    if (dh > 180) dh -= 360;
    if (dh < -180) dh += 360;
  }
  const double dH = 2 * std::sqrt(c1 * c2) * std::sin(dh / 2 * kDegree);

  const double meanL = (x.l + y.l) / 2;
  const double meanC = (c1 + c2) / 2;
  double meanH = h1 + h2;
  if (c1 * c2 != 0) {
    if (std::fabs(h1 - h2) <= 180) {
      meanH /= 2;
    } else {
      meanH = meanH < 360 ? (meanH + 360) / 2 : (meanH - 360) / 2;
    }
  }
  const double t = 1 - 0.17 * std::cos((meanH - 30) * kDegree) + 0.24 * std::cos(2 * meanH * kDegree) +
                   0.32 * std::cos((3 * meanH + 6) * kDegree) - 0.20 * std::cos((4 * meanH - 63) * kDegree);
  const double rotation = 30 * std::exp(-std::pow((meanH - 275) / 25, 2));
  const double rc = 2 * std::sqrt(chromaWeight(meanC));
  const double lOff = (meanL - 50) * (meanL - 50);
  const double sl = 1 + 0.015 * lOff / std::sqrt(20 + lOff);
  const double sc = 1 + 0.045 * meanC;
  const double sh = 1 + 0.015 * meanC * t;
  const double rt = -std::sin(2 * rotation * kDegree) * rc;
  const double l = dL / sl, c = dC / sc, h = dH / sh;
  return std::sqrt(l * l + c * c + h * h + rt * c * h);
}

}  // namespace marvolt::colour
