// Conversions between pictures and Qt images, for drawing pictures with QPainter and for turning
// pages rendered into a QImage into bitmap or JPEG files.
#pragma once

#include "platform/Picture.h"

#include <QImage>

// A deep copy of the pixels (ARGB32, the same pixel layout as TRasterImage).
QImage RasterToQImage(const TRasterImage& image);
// Any QImage converted to opaque 32-bit pixels (its alpha channel is dropped).
TRasterImage QImageToRaster(const QImage& image);
// The picture's pixels as a QImage: bitmaps and JPEGs from their decoded pixels, icons through
// Qt's icon reader. Metafiles and empty pictures give a null image.
QImage PictureToQImage(const TPicture& picture);
