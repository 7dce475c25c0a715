// Colour depths a filter's page or object bitmap is reduced to before it is stored, as the export
// dialogs offer them ("Device" to "32 bit"). Our raster surfaces always draw in 32 bits; reducing
// maps every pixel to the colour the smaller depth can hold, so the stored picture looks as a
// bitmap of that depth would.
#pragma once

#include "platform/Picture.h"

#include <cstddef>
#include <cstdint>
#include <string>

enum TVNPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };

// The dialog's names: "Device", "1 bit", ..., "32 bit".
const char* PixelFormatName(TVNPixelFormat format);
// Reads a dialog name, with or without the blank, a "pf" prefix or the word "bit" ("8 bit",
// "8bit", "pf8bit", "8"); false for anything else.
bool ParsePixelFormat(const std::string& text, TVNPixelFormat& format);

// Maps every pixel to the nearest colour of the depth: 1 bit black or white by brightness, 4 bit
// the 16 VGA colours, 8 bit the 6 x 6 x 6 colour cube of the halftone palette, 15 and 16 bit five
// (green six) bits per channel. Device, 24 and 32 bit keep the pixels.
void ReduceToPixelFormat(TRasterImage& image, TVNPixelFormat format);
// The same for `count` pixels from `in` to `out` (which may be `in`): one row at a time, so a
// page can be reduced on its way to a file without a copy of the whole page.
void ReducePixels(const std::uint32_t* in, std::uint32_t* out, std::size_t count, TVNPixelFormat format);
// Whether the depth changes pixels at all (Device, 24 and 32 bit do not).
bool ReducesPixels(TVNPixelFormat format);
