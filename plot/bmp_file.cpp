#include "bmp_file.h"

#include <QColor>
#include <QVector>

#include <cstdint>

namespace {

constexpr int kHeaderBytes = 14 + 40 + 2 * 4;

bool isBlackWhiteMono(const QImage& image) {
    if (image.format() != QImage::Format_Mono)
        return false;
    const QVector<QRgb> table = image.colorTable();
    return table.size() == 2 && (table[0] & 0xFFFFFFu) == 0 && (table[1] & 0xFFFFFFu) == 0xFFFFFFu;
}

void putU16(QByteArray& out, std::uint32_t value) {
    out.append(static_cast<char>(value & 0xFFu));
    out.append(static_cast<char>((value >> 8) & 0xFFu));
}

void putU32(QByteArray& out, std::uint32_t value) {
    putU16(out, value & 0xFFFFu);
    putU16(out, value >> 16);
}

} // namespace

QImage ToBlackAndWhite(const QImage& image) {
    const QImage source =
        (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32)
            ? image
            : image.convertToFormat(QImage::Format_RGB32);
    QImage mono(source.size(), QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    // Padding bits and black pixels are both 0, so only white pixels are set.
    mono.fill(0);
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        uchar* row = mono.scanLine(y);
        for (int x = 0; x < source.width(); ++x) {
            if ((in[x] & 0xFFFFFFu) == 0xFFFFFFu)
                row[x >> 3] |= static_cast<uchar>(0x80u >> (x & 7));
        }
    }
    return mono;
}

QByteArray EncodeMonoBmp(const QImage& image) {
    const QImage mono = isBlackWhiteMono(image) ? image : ToBlackAndWhite(image);
    const int width = mono.width();
    const int height = mono.height();
    const int rowBytes = ((width + 31) / 32) * 4;
    const auto imageBytes =
        static_cast<std::uint32_t>(rowBytes) * static_cast<std::uint32_t>(height);

    QByteArray out;
    out.reserve(kHeaderBytes + static_cast<qsizetype>(imageBytes));
    // File header.
    out.append("BM", 2);
    putU32(out, kHeaderBytes + imageBytes);
    putU16(out, 0);
    putU16(out, 0);
    putU32(out, kHeaderBytes);
    // Info header; a positive height means the bottom row comes first.
    putU32(out, 40);
    putU32(out, static_cast<std::uint32_t>(width));
    putU32(out, static_cast<std::uint32_t>(height));
    putU16(out, 1);
    putU16(out, 1);
    putU32(out, 0);
    putU32(out, imageBytes);
    putU32(out, 0);
    putU32(out, 0);
    putU32(out, 2);
    putU32(out, 0);
    // Colour table, blue-green-red-reserved: 0 black, 1 white.
    putU32(out, 0x00000000u);
    putU32(out, 0x00FFFFFFu);

    // A Format_Mono scan line already holds the pixels most significant bit
    // first; copy the used bytes and clear the bits past the last pixel.
    const int usedBytes = (width + 7) / 8;
    const int tailBits = width % 8;
    QByteArray row(rowBytes, '\0');
    for (int y = height - 1; y >= 0; --y) {
        row.fill('\0');
        const uchar* line = mono.constScanLine(y);
        for (int i = 0; i < usedBytes; ++i)
            row[i] = static_cast<char>(line[i]);
        if (tailBits != 0)
            row[usedBytes - 1] =
                static_cast<char>(line[usedBytes - 1] & static_cast<uchar>(0xFF00u >> tailBits));
        out.append(row);
    }
    return out;
}
