// The captions of the grid report (page header, column footer, page footer) arrive as a small
// rich-text document. The generator lays them out as stacked text views, one per paragraph, so
// only what a caption needs is read here: paragraphs, their alignment, font name, size, bold,
// italic, underline and colour. Plain text (no "{\rtf" at the start) is one paragraph per line in
// the default caption font.
//
// Guarantees: any input gives a result (unknown control words and destinations are skipped,
// unbalanced braces end the document), CP936 bytes written as \'hh are kept as they are, \uN
// becomes CP936 when it has a CP936 form (else its fallback text).
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
