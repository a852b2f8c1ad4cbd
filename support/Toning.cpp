#include "support/Toning.h"

#include <cmath>

BYTE g_toningTable[256][3];

void HslToRgb(double hue, double saturation, double lightness, int& r, int& g, int& b, double scale) {
  double m2 = lightness <= 0.5 ? lightness * (1 + saturation) : lightness + saturation - lightness * saturation;
  double m1 = 2 * lightness - m2;
  auto out = [scale](double value) { return static_cast<int>(value * scale + 0.5); };
  if (saturation == 0 || hue == -1) {
    r = g = b = out(lightness);
    return;
  }
  double h6 = hue * 6;
  double sextant = std::floor(h6);
  double f = h6 - sextant;
  double rising = m1 + f * (m2 - m1), falling = m2 - f * (m2 - m1);
  double red = m2, green = rising, blue = m1;
  if (sextant == 1) red = falling, green = m2, blue = m1;
  else if (sextant == 2) red = m1, green = m2, blue = rising;
  else if (sextant == 3) red = m1, green = falling, blue = m2;
  else if (sextant == 4) red = rising, green = m1, blue = m2;
  else if (sextant == 5) red = m2, green = m1, blue = falling;
  r = out(red);
  g = out(green);
  b = out(blue);
}

void BuildToningTable(double hue, double saturation) {
  auto clamp = [](int v) { return static_cast<BYTE>(v < 0 ? 0 : v > 255 ? 255 : v); };
  for (int level = 0; level < 256; ++level) {
    int r, g, b;
    HslToRgb(hue, saturation, level / 255.0, r, g, b, 255);
    g_toningTable[level][0] = clamp(r);
    g_toningTable[level][1] = clamp(g);
    g_toningTable[level][2] = clamp(b);
  }
}
