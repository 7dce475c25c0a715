// CP936 text to the UTF-16 of Qt and back: the one conversion every widget, window title, font
// name and file name of the Qt side goes through.
#pragma once

#include "platform/AnsiString.h"

#include <QString>

#include <string_view>

// Invalid bytes become U+FFFD. Pure ASCII text (numbers, codes, most grid cells, which are
// converted on every paint) takes a direct path without a code page conversion.
QString AnsiToQString(std::string_view text);
// Characters that CP936 cannot hold become "?".
AnsiString QStringToAnsi(const QString& text);
