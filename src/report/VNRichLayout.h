// Lays rich text out into lines of a given width and draws the lines, all through ICanvas.
//
// A paragraph is cut into pieces the way memos wrap (a run of single-byte characters up to and
// including a blank or "-", or one double-byte character; a run boundary inside a word is no
// break), pieces fill lines, and a piece wider than the line is cut between characters (never
// inside a double-byte character). Tabs advance to the next half inch. Characters of different
// sizes in one line stand on the line's bottom. Every line remembers where it starts in the
// text, so a page that holds only the first lines can hand the rest to the next page.
#pragma once

#include "VNRichText.h"

#include "platform/Graphics.h"

#include <vector>

class ICanvas;

// The canvas font of a format at a scale (report pixels at the screen resolution times scale).
TFontSpec RichFont(const TVNRichFormat& format, double scale);

struct TVNRichPiece {
    int X = 0; // from the line's left
    int Height = 0;
    TVNRichFormat Format;
    AnsiString Text;
};

struct TVNRichLine {
    TVNRichPos Start;   // first character of the line
    TVNRichPos End;     // first character after it
    int Height = 0;     // the tallest cell of the line
    int Width = 0;      // without trailing blanks
    int Align = raLeft;
    bool Justify = false; // spare room goes between the characters (justified, not the last line)
    std::vector<TVNRichPiece> Pieces;
};

// Lines of the document from `from` on, for lines `width` pixels long, fonts at `scale`.
std::vector<TVNRichLine> LayoutRich(ICanvas& canvas, const TVNRichDocument& document, TVNRichPos from, int width,
                                    double scale);

// Sum of the line heights.
int RichLinesHeight(const std::vector<TVNRichLine>& lines);

// How many of the lines fit one after another into `height` pixels.
std::size_t RichLinesFitting(const std::vector<TVNRichLine>& lines, int height);

// Draws lines from (rect.Left, rect.Top) down, aligned in rect's width; lines below rect's
// bottom are not drawn. The caller sets the clip.
void DrawRichLines(ICanvas& canvas, const std::vector<TVNRichLine>& lines, const TRect& rect, double scale);
