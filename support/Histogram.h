// Level counts of a shown photo or viewfinder frame for the histogram displays.
#pragma once

#include "platform/win32/windef.h"

class CHistogram {
 public:
  CHistogram() { Reset(); }

  /// Clears every counter and maximum and the normalised flag.
  void Reset();
  /// Counts one pixel: its three channels, and four intensity counts (r, g, b and their mean).
  void AddPixel(BYTE r, BYTE g, BYTE b);
  /// Quarters the intensity counts and cuts every counter to a fiftieth of the pixel count; once only.
  void Normalise();

  /// Each normalises first; 0 for a level outside 0..255 or when the intensity maximum is 0.
  int GetRed(int level);
  int GetGreen(int level);
  int GetBlue(int level);
  int GetIntensity(int level);

  BYTE m_normalised;
  int m_pixelCount;
  int m_red[256];
  int m_green[256];
  int m_blue[256];
  int m_intensity[256];
  int m_maxIntensity;
  int m_maxRed;
  int m_maxGreen;
  int m_maxBlue;

 private:
  int Get(const int* counters, int level);
};
