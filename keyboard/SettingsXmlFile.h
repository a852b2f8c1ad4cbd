// Reading a photobooth settings file of the keyboard's: the whole file or nothing of it.
#pragma once

#include <functional>

#include "support/XmlNode.h"

/// Loads the XML file at `path` and hands its <morvane_systems_photobooth> element to `read`,
/// whose result it returns. A missing file is TRUE with nothing read; a damaged one ("Error
/// reading file") or one without that element gives FALSE and *error. The tree is freed before
/// it returns.
BOOL ReadSettingsXmlFile(const char* path, CString* error, const std::function<BOOL(XmlNode& top)>& read);
