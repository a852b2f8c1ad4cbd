#include "config/TouchscreenAreas.h"

int TouchActionCount() { return kTouchActionCount; }

int TouchActionCodeAt(int row) { return row >= 0 && row < kTouchActionCount ? kTouchActionTable[row].code : 0; }

const char* TouchActionLabelAt(int row) { return row >= 0 && row < kTouchActionCount ? kTouchActionTable[row].label : ""; }

int TouchActionIndex(int code) {
  for (int row = 0; row < kTouchActionCount; ++row)
    if (kTouchActionTable[row].code == code) return row;
  return -1;
}

bool TouchAreasOverlap(const PhotoboothTouchscreenButton& a, const PhotoboothTouchscreenButton& b) {
  return b.bottom >= a.top && a.bottom >= b.top && b.right >= a.left && a.right >= b.left;
}

bool TouchActionsConflict(int codeA, int codeB) {
  if (codeA == kTouchStart && codeB == kTouchStart) return false;
  return (TouchActionScreenMask(codeA) & TouchActionScreenMask(codeB)) != 0;
}
