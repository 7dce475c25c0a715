// Handing drawn text to the PDF text layer.
#include "VNPDFTextCanvas.h"

void TVNPDFTextCanvas::Record(int x, int y, std::string_view text) {
    const TFontSpec& font = FTarget.Font();
    // Turned text would need its own text matrix; it stays picture only.
    if (font.Angle != 0 || x >= FWidth || y >= FHeight || text.empty()) return;
    // The size the text was drawn in: its pixel height where the drawing set one, else the points.
    const double size = font.Height < 0 ? -font.Height * FScale : font.Size;
    FLayer.AddLine(x * FScale, y * FScale, FTarget.TextWidth(text) * FScale, size, AnsiString(text));
}
