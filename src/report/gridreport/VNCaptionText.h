// The captions of the grid report (page header, column footer, page footer) arrive as a small
// rich-text document. The generator lays them out as stacked text views, one per paragraph (a
// line break starts one too), each in the font of its first text, with its alignment. The
// document is read by the engine's rich-text reader, so captions accept what rich-text views do
// and damaged input never fails. Plain text (not starting like RTF) is one paragraph per line in
// the default caption font.
#pragma once

#include "platform/AnsiString.h"
#include "platform/Graphics.h"
#include "report/VNStream.h"

#include <vector>

struct TVNCaptionParagraph {
    AnsiString Text;   // CP936; line breaks inside a paragraph (\line) as CR LF
    int Alignment = 0; // vntaLeftJustify, vntaRightJustify, vntaCenterJustify
    TFontSpec Font;
};

// The font a caption paragraph has when its text names none.
TFontSpec DefaultCaptionFont();

// The caption's paragraphs; an empty caption (or one whose text is empty) gives none.
std::vector<TVNCaptionParagraph> ReadCaptionParagraphs(const TVNStrings& caption);
