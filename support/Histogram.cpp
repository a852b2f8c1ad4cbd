#include "support/Histogram.h"

#include <cstring>

void CHistogram::Reset() {
  m_normalised = 0;
  m_pixelCount = 0;
  std::memset(m_red, 0, sizeof m_red);
  std::memset(m_green, 0, sizeof m_green);
  std::memset(m_blue, 0, sizeof m_blue);
  std::memset(m_intensity, 0, sizeof m_intensity);
  m_maxIntensity = m_maxRed = m_maxGreen = m_maxBlue = 0;
}

void CHistogram::AddPixel(BYTE r, BYTE g, BYTE b) {
  ++m_pixelCount;
  ++m_red[r];
  ++m_green[g];
  ++m_blue[b];
  ++m_intensity[r];
  ++m_intensity[g];
  ++m_intensity[b];
  ++m_intensity[(r + g + b) / 3];
}

void CHistogram::Normalise() {
  if (m_normalised) return;
  m_normalised = 1;
  m_maxIntensity = m_maxRed = m_maxGreen = m_maxBlue = 0;
  const int limit = m_pixelCount / 50;
  auto cut = [limit](int& counter, int& maximum) {
    if (counter > limit) counter = limit;
    if (counter > maximum) maximum = counter;
  };
  for (int level = 0; level < 256; ++level) {
    m_intensity[level] /= 4;
    cut(m_intensity[level], m_maxIntensity);
    cut(m_red[level], m_maxRed);
    cut(m_green[level], m_maxGreen);
    cut(m_blue[level], m_maxBlue);
  }
}

int CHistogram::Get(const int* counters, int level) {
  Normalise();
  if (level < 0 || level > 255 || m_maxIntensity == 0) return 0;
  return counters[level];
}

int CHistogram::GetRed(int level) { return Get(m_red, level); }
int CHistogram::GetGreen(int level) { return Get(m_green, level); }
int CHistogram::GetBlue(int level) { return Get(m_blue, level); }
int CHistogram::GetIntensity(int level) { return Get(m_intensity, level); }
