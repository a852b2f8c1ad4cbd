// Private: the one place where the program's 1252 strings meet QString.
#pragma once

#include <QString>
#include <string>

#include "platform/win32/codepage.h"

namespace user_p {

inline QString ToQString(const char* ansi) { return QString::fromUtf8(AnsiToUtf8(ansi ? ansi : "").c_str()); }
inline QString ToQString(const std::string& ansi) { return QString::fromUtf8(AnsiToUtf8(ansi).c_str()); }
inline std::string FromQString(const QString& text) { return AnsiFromUtf8(text.toUtf8().toStdString()); }

}  // namespace user_p
