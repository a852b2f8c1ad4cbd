// The keyboard layout file: <name>.xml in the layout folder, read when a keyboard opens and
// written on request, plus the four whole-keyboard images beside it.
#pragma once

#include "keyboard/KeyboardLayout.h"
#include "support/XmlNode.h"

/// Reads the layout file into `layout`. A missing or unreadable file is no error (TRUE, layout
/// untouched); a damaged one is refused whole (FALSE, "Error reading file", layout untouched).
/// A missing tag stops the reading: what was read stays, *error gets the message and the
/// result is FALSE.
BOOL ReadKeyboardLayout(const char* path, KeyboardLayout& layout, CString* error);
/// The tree the writer saves; the caller owns it (Destroy, then delete).
XmlNode* BuildKeyboardLayoutTree(const KeyboardLayout& layout);
/// Writes the declaration and the tree through a temporary file renamed into place, so a
/// failure leaves no half layout. FALSE when the file could not be written.
BOOL WriteKeyboardLayoutFile(const char* path, const KeyboardLayout& layout);

/// The four images in the order upper case, upper case pressed, lower case, lower case pressed.
const int kKeyboardImageCount = 4;
/// folder/name_uppercase.tif and so on for index 0-3 and an extension such as ".tif".
CString KeyboardImagePath(const char* folder, const char* name, int index, const char* extension);
/// ".tif" when all four .tif files exist, else ".jpg" when all four .jpg files do, else NULL.
const char* FindKeyboardImageSet(const char* folder, const char* name);
