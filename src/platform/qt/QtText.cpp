// CP936 <-> QString (see QtText.h).
#include "QtText.h"

QString AnsiToQString(std::string_view text) {
    bool ascii = true;
    for (unsigned char c : text)
        if (c >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    return QString::fromStdU16String(AnsiToUtf16(text));
}

AnsiString QStringToAnsi(const QString& text) {
    return Utf16ToAnsi(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                           static_cast<std::size_t>(text.size())));
}
