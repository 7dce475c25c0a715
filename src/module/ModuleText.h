// The module's Qt edge: the classic colour values (red in the low byte) as Qt colours, and the
// module's form colour and fonts. Text crosses with AnsiToQString/QStringToAnsi (QtText.h).
#pragma once

#include "platform/AnsiString.h"
#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtText.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>
#include <QWidget>

#include <cstdint>

// A colour value of the classic form 0x00BBGGRR.
inline QColor ColorOf(std::uint32_t value) {
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

// The form colour of every module window (red 251, green 255, blue 222).
constexpr std::uint32_t FormColor = 14614267;

// Fills the window's background with the form colour.
inline void PaintFormColor(QWidget& window) {
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, ColorOf(FormColor));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
}

// A font the forms name the Windows way ("宋体"), mapped to the installed family of the same
// script, at a size in pixels (size 9 points is 12 pixels).
inline QFont ModuleFont(const char* utf8Name, int pixelSize) {
    QFont font(TQtCanvas::MapFontFamily(Utf8ToAnsi(utf8Name)));
    font.setPixelSize(pixelSize);
    return font;
}
