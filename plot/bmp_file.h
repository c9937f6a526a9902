#pragma once

#include <QByteArray>
#include <QImage>

// Black-and-white conversion: a pixel exactly white (255, 255, 255) stays
// white, every other colour becomes black. Returns a QImage::Format_Mono image
// whose colour table is (black, white), so index 1 is white.
QImage ToBlackAndWhite(const QImage& image);

// The 1-bit BMP file of an image: 62 bytes of headers and the two colours
// (0 black, 1 white), then rows of ((w + 31) / 32) * 4 bytes, bottom row
// first, most significant bit leftmost. A non-mono image is converted with
// ToBlackAndWhite first.
QByteArray EncodeMonoBmp(const QImage& image);
