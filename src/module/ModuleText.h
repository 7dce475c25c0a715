// Text at the module's Qt edge: CP936 data to the UTF-16 of widgets and back, and the classic
// colour values (red in the low byte) as Qt colours, and the module's form colour and fonts.
//
// Grid cells are converted on every paint, so pure ASCII text (all numbers, most codes) takes a
// direct path without a code page conversion.
#pragma once

#include "platform/AnsiString.h"
#include "platform/qt/QtCanvas.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>
#include <QWidget>

#include <cstdint>

inline QString QStr(const AnsiString& text) {
    bool ascii = true;
    for (unsigned char c : text)
        if (c >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    const std::u16string wide = AnsiToUtf16(text);
    return QString(reinterpret_cast<const QChar*>(wide.data()), static_cast<qsizetype>(wide.size()));
}

inline AnsiString AStr(const QString& text) {
    return Utf16ToAnsi(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                           static_cast<std::size_t>(text.size())));
}

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
