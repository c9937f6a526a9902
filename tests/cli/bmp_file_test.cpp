#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>

#include <cstdint>

#include "bmp_file.h"

namespace {

std::uint32_t u32At(const QByteArray& bytes, int offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<std::uint8_t>(bytes[offset + i]);
    return value;
}

std::uint32_t u16At(const QByteArray& bytes, int offset) {
    return static_cast<std::uint8_t>(bytes[offset]) |
           (static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[offset + 1])) << 8);
}

std::uint8_t byteAt(const QByteArray& bytes, int offset) {
    return static_cast<std::uint8_t>(bytes[offset]);
}

QImage whiteImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

TEST(EncodeMonoBmp, HeaderOfThePlotImage) {
    const QByteArray bytes = EncodeMonoBmp(whiteImage(553, 529));
    ASSERT_EQ(bytes.size(), 38150);
    EXPECT_EQ(bytes.left(2), QByteArray("BM"));

    struct Field {
        int offset;
        int size;
        std::uint32_t value;
        const char* name;
    };
    const Field fields[] = {
        {2, 4, 38150, "file size"},    {6, 2, 0, "reserved"},         {8, 2, 0, "reserved"},
        {10, 4, 62, "pixel offset"},   {14, 4, 40, "info size"},      {18, 4, 553, "width"},
        {22, 4, 529, "height"},        {26, 2, 1, "planes"},          {28, 2, 1, "bits per pixel"},
        {30, 4, 0, "compression"},     {34, 4, 38088, "data size"},   {38, 4, 0, "x resolution"},
        {42, 4, 0, "y resolution"},    {46, 4, 2, "colours used"},    {50, 4, 0, "important"},
        {54, 4, 0x00000000u, "black"}, {58, 4, 0x00FFFFFFu, "white"},
    };
    for (const Field& field : fields) {
        const std::uint32_t actual =
            field.size == 4 ? u32At(bytes, field.offset) : u16At(bytes, field.offset);
        EXPECT_EQ(actual, field.value) << field.name << " at offset " << field.offset;
    }
}

TEST(EncodeMonoBmp, SizeFollowsTheRowPadding) {
    struct Case {
        int width;
        int height;
        int rowBytes;
    };
    const Case cases[] = {{1, 1, 4}, {31, 2, 4}, {32, 2, 4}, {33, 3, 8}, {64, 1, 8}, {553, 4, 72}};
    for (const Case& c : cases) {
        const QByteArray bytes = EncodeMonoBmp(whiteImage(c.width, c.height));
        const int dataSize = c.rowBytes * c.height;
        EXPECT_EQ(bytes.size(), 62 + dataSize) << c.width << " x " << c.height;
        EXPECT_EQ(u32At(bytes, 2), static_cast<std::uint32_t>(62 + dataSize));
        EXPECT_EQ(u32At(bytes, 34), static_cast<std::uint32_t>(dataSize));
    }
}

// 33 x 3: one used bit in the fifth byte of each row, then padding to 8 bytes.
TEST(EncodeMonoBmp, RowsBottomFirstMostSignificantBitLeftmost) {
    QImage image = whiteImage(33, 3);
    image.setPixel(0, 0, qRgb(0, 0, 0));  // top row, leftmost
    image.setPixel(9, 1, qRgb(0, 0, 0));  // middle row, second byte, second bit
    image.setPixel(32, 2, qRgb(0, 0, 0)); // bottom row, last pixel
    const QByteArray bytes = EncodeMonoBmp(image);
    ASSERT_EQ(bytes.size(), 62 + 3 * 8);

    const std::uint8_t expected[3][8] = {
        {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00}, // stored first: bottom row
        {0xFF, 0xBF, 0xFF, 0xFF, 0x80, 0x00, 0x00, 0x00},
        {0x7F, 0xFF, 0xFF, 0xFF, 0x80, 0x00, 0x00, 0x00}, // stored last: top row
    };
    for (int row = 0; row < 3; ++row) {
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(byteAt(bytes, 62 + row * 8 + i), expected[row][i])
                << "stored row " << row << " byte " << i;
    }
}

// Only exact white survives; any other colour, however light, is black.
TEST(EncodeMonoBmp, EveryColourButWhiteBecomesBlack) {
    const QRgb colours[] = {qRgb(255, 255, 255), qRgb(211, 211, 211), qRgb(255, 255, 254),
                            qRgb(254, 255, 255), qRgb(255, 0, 0),     qRgb(0, 0, 0),
                            qRgb(0, 0, 255),     qRgb(128, 128, 128)};
    QImage image(8, 1, QImage::Format_RGB32);
    for (int x = 0; x < 8; ++x)
        image.setPixel(x, 0, colours[x]);
    const QByteArray bytes = EncodeMonoBmp(image);
    EXPECT_EQ(byteAt(bytes, 62), 0x80);

    const QImage mono = ToBlackAndWhite(image);
    EXPECT_EQ(mono.format(), QImage::Format_Mono);
    ASSERT_EQ(mono.colorCount(), 2);
    EXPECT_EQ(mono.color(0) & 0xFFFFFFu, 0x000000u);
    EXPECT_EQ(mono.color(1) & 0xFFFFFFu, 0xFFFFFFu);
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(mono.pixelIndex(x, 0), x == 0 ? 1 : 0) << "pixel " << x;
}

// A mono raster must be written as what it shows: its padding bits and a
// colour table in the other order must not leak into the file.
TEST(EncodeMonoBmp, MonoInputIsWrittenAsItLooks) {
    QImage mono(33, 2, QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mono.fill(1);
    QByteArray bytes = EncodeMonoBmp(mono);
    const std::uint8_t whiteRow[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0, 0, 0};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(byteAt(bytes, 62 + i), whiteRow[i]) << "byte " << i;

    QImage inverted(33, 2, QImage::Format_Mono);
    inverted.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    inverted.fill(0); // index 0 is white here
    inverted.setPixel(1, 0, 1);
    bytes = EncodeMonoBmp(inverted);
    EXPECT_EQ(byteAt(bytes, 62 + 8), 0xBF); // top row stored second
    EXPECT_EQ(byteAt(bytes, 62), 0xFF);
}

TEST(EncodeMonoBmp, ConvertingFirstGivesTheSameFile) {
    QImage image = whiteImage(553, 529);
    for (int y = 0; y < 529; y += 7)
        image.setPixel((y * 13) % 553, y, qRgb(200, 200, 200));
    EXPECT_EQ(EncodeMonoBmp(ToBlackAndWhite(image)), EncodeMonoBmp(image));
}

} // namespace
