// What the touchscreen editors need of the touch-action table and of the areas themselves: the
// actions in list order, the screens an action is offered on, and when two areas overlap.
#pragma once

#include "app/SettingsStore.h"
#include "photobooth/TouchActionTable.h"

/// The editors' "show all" screen: no screen image, every used area drawn.
const int kTouchScreenAll = 0;

/// Number of rows of the action table (the editors' lists hold them in this order).
int TouchActionCount();
/// Code and label of a row; 0 and "" outside the table.
int TouchActionCodeAt(int row);
const char* TouchActionLabelAt(int row);
/// The row of a code, which is also its index in the editors' lists; -1 outside the table.
int TouchActionIndex(int code);

/// Two areas overlap when they share at least one pixel; areas that only touch count too.
bool TouchAreasOverlap(const PhotoboothTouchscreenButton& a, const PhotoboothTouchscreenButton& b);
/// Whether the booth would confuse two overlapping areas: their actions share a screen, except
/// that any number of Start areas may lie on top of each other.
bool TouchActionsConflict(int codeA, int codeB);
