// GIF pictures: palette reduction and files another decoder reads.
#include "viewer/gif_writer.h"

#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vx;

namespace
{

// Width and height as ImageMagick's identify sees them; empty when it fails.
QString identify_size(const QString& path, QString* format = nullptr)
{
    QProcess p;
    p.start("identify", {"-format", "%m %w %h", path});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
    const QStringList parts = QString::fromLatin1(p.readAllStandardOutput()).trimmed().split(' ');
    if (parts.size() != 3) return {};
    if (format) *format = parts[0];
    return parts[1] + "x" + parts[2];
}

QImage three_colour_picture()
{
    QImage img(37, 23, QImage::Format_RGB32);
    img.fill(qRgb(255, 255, 255));
    for (int x = 0; x < 37; ++x)
        img.setPixel(x, 5, qRgb(200, 10, 30));
    for (int y = 0; y < 23; ++y)
        img.setPixel(30, y, qRgb(0, 0, 128));
    return img;
}

} // namespace

TEST(Quantize, FewColoursKeepTheirExactValues)
{
    const QImage img = three_colour_picture();
    const IndexedPicture pic = quantize_256(img);
    ASSERT_EQ(pic.width, 37);
    ASSERT_EQ(pic.height, 23);
    EXPECT_EQ(pic.palette.size(), 3);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x)
            ASSERT_EQ(qRgb(qRed(pic.palette[pic.pixels[y * 37 + x]]),
                           qGreen(pic.palette[pic.pixels[y * 37 + x]]),
                           qBlue(pic.palette[pic.pixels[y * 37 + x]])),
                      img.pixel(x, y))
                << x << "," << y;
}

TEST(Quantize, ManyColoursReduceTo256NearbyColours)
{
    // 64 x 64 pixels with 4096 distinct colours.
    QImage img(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            img.setPixel(x, y, qRgb(x * 4, y * 4, (x + y) * 2));
    const IndexedPicture pic = quantize_256(img);
    EXPECT_EQ(pic.palette.size(), 256);
    int worst = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const QRgb a = img.pixel(x, y), b = pic.palette[pic.pixels[y * 64 + x]];
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))});
        }
    // 256 of the 4096 colours cannot all be exact, but none is far off
    // (a popularity palette is off by 128 here).
    EXPECT_LE(worst, 24) << worst;
    EXPECT_TRUE(quantize_256(QImage()).palette.isEmpty());
}

TEST(WriteGif, AnotherDecoderReadsSizeAndColours)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("chart.gif");
    const QImage img = three_colour_picture();
    QString error;
    ASSERT_TRUE(write_gif(img, path, &error)) << error.toStdString();

    QString format;
    EXPECT_EQ(identify_size(path, &format), "37x23");
    EXPECT_EQ(format, "GIF");

    QImage back(path);
    ASSERT_FALSE(back.isNull());
    back = back.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x)
            ASSERT_EQ(back.pixel(x, y), img.pixel(x, y)) << x << "," << y;
}

TEST(WriteGif, OneColourPictureAndFailures)
{
    QTemporaryDir dir;
    QImage plain(5, 4, QImage::Format_RGB32);
    plain.fill(qRgb(1, 2, 3));
    ASSERT_TRUE(write_gif(plain, dir.filePath("plain.gif")));
    EXPECT_EQ(identify_size(dir.filePath("plain.gif")), "5x4");

    QString error;
    EXPECT_FALSE(write_gif(QImage(), dir.filePath("empty.gif"), &error));
    EXPECT_FALSE(error.isEmpty());
    error.clear();
    EXPECT_FALSE(write_gif(plain, dir.filePath("missing/dir/x.gif"), &error));
    EXPECT_TRUE(error.startsWith("Unable to write to"));
}
