// The rich text a rich-text view holds, as a plain document model: paragraphs with an alignment,
// each a list of runs of CP936 text sharing one character format.
//
// The view stores rich text as RTF bytes (what report files carry); the reader (VNRtfReader)
// turns them into this model, the layout measures and draws the model, and WriteRtf turns a
// model (for instance the part of a text that fits on one page) back into RTF. A position in the
// text is a paragraph index and a byte offset inside it, always on a character boundary.
#pragma once

#include "platform/AnsiString.h"
#include "platform/Graphics.h"

#include <cstddef>
#include <string>
#include <vector>

// The character format of a run. Size is in half points (RTF's unit), so 10.5 pt survives.
struct TVNRichFormat {
    AnsiString FontName = "\xCB\xCE\xCC\xE5"; // 宋体 in CP936
    int Charset = 134;
    int HalfPoints = 22;
    int Style = 0; // fsBold | fsItalic | fsUnderline | fsStrikeOut
    TColor Color = clBlack;
    friend bool operator==(const TVNRichFormat&, const TVNRichFormat&) = default;
};

struct TVNRichRun {
    TVNRichFormat Format;
    AnsiString Text; // CP936; a tab is '\t'
    friend bool operator==(const TVNRichRun&, const TVNRichRun&) = default;
};

// Paragraph alignment in the memo's codes: left, right, centre, justified.
enum TVNRichAlign : int { raLeft = 0, raRight = 1, raCenter = 2, raJustify = 3 };

struct TVNRichParagraph {
    int Align = raLeft;
    // The format of an empty paragraph (its height comes from it).
    TVNRichFormat EndFormat;
    std::vector<TVNRichRun> Runs;
    std::size_t Size() const; // bytes of text in the paragraph
    friend bool operator==(const TVNRichParagraph&, const TVNRichParagraph&) = default;
};

struct TVNRichPos {
    std::size_t Paragraph = 0;
    std::size_t Offset = 0; // bytes into the paragraph's text
    friend auto operator<=>(const TVNRichPos&, const TVNRichPos&) = default;
};

struct TVNRichDocument {
    std::vector<TVNRichParagraph> Paragraphs;
    friend bool operator==(const TVNRichDocument&, const TVNRichDocument&) = default;

    bool Empty() const;
    TVNRichPos End() const { return {Paragraphs.size(), 0}; }
    // The text between two positions, as a document of its own (paragraph formats kept).
    TVNRichDocument Slice(TVNRichPos from, TVNRichPos to) const;
    // The text without formats, paragraphs separated by CR LF.
    AnsiString PlainText() const;
    // Appends text to the last paragraph, merging with the last run when the format is equal.
    void Append(const TVNRichFormat& format, std::string_view text);
    // Starts a new paragraph.
    void NewParagraph(int align, const TVNRichFormat& format);
};

// A document holding plain text (lines split at CR LF or LF) in one format.
TVNRichDocument RichFromPlainText(std::string_view text, const TVNRichFormat& format);

// The document as RTF: font and colour tables, one \pard group per paragraph, text bytes above
// 0x7F as \'hh (CP936), each paragraph ended by \par. The reader gives the same document back.
AnsiString WriteRtf(const TVNRichDocument& document);
