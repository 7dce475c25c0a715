// Colour depths a filter's page or object bitmap is reduced to before it is stored, as the export
// dialogs offer them ("Device" to "32 bit"). Our raster surfaces always draw in 32 bits; reducing
// maps every pixel to the colour the smaller depth can hold, so the stored picture looks as a
// bitmap of that depth would.
#pragma once

#include "platform/Picture.h"

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
