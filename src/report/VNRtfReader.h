// Reads the RTF that rich-text views store into the rich-text document model.
//
// The reader takes the subset a rich-text editor writes for formatted paragraphs:
//   groups { } with character and paragraph state saved and restored per group;
//   \fonttbl (\fN, \fcharsetN, the name up to ";"), \colortbl (\redN \greenN \blueN ";"), \deffN;
//   character format: \f \fs \b \i \ul (every underline kind) \ulnone \strike \cf \plain, with
//   0 parameters switching a style off;
//   paragraphs: \par, \line, \sect, \page, \row (each ends a paragraph), \pard, \ql \qc \qr \qj;
//   text: plain bytes, \'hh bytes (CP936 for Chinese fonts; bytes of fonts with charset 0 are
//   Windows Latin and converted), \uN with its \ucN fallback skipped, \tab and \cell (a tab),
//   \~ \_ \- \\ \{ \}, \emdash \endash \bullet \lquote \rquote \ldblquote \rdblquote
//   \emspace \enspace; \binN data skipped;
//   destinations that carry no text (\*..., \stylesheet, \info, \pict, \object, headers,
//   footers, footnotes, field instructions, list tables ...) are skipped whole.
// Every other control word is ignored. Input that does not start with "{\rtf" is plain text.
// Damaged input never fails: unbalanced braces, cut control words and absurd parameters are
// read as far as they make sense, in one pass over the bytes, with bounded nesting.
#pragma once

#include "VNRichText.h"

#include <string_view>

// True when the bytes begin like RTF ("{\rtf", blanks before it allowed).
bool LooksLikeRtf(std::string_view bytes);

// The document the bytes describe; text without a font or size takes them from defaults.
TVNRichDocument ReadRtf(std::string_view bytes, const TVNRichFormat& defaults = {});
