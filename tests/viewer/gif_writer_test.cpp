// GIF pictures: palette reduction and files another decoder reads.
#include "viewer/gif_writer.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace vx;

// That a few colours keep their exact values shows in the file WriteGif reads back.
TEST(Quantize, ManyColoursReduceTo256NearbyOnes)
{
    // 64 x 64 pixels with 4096 distinct colours cannot all be exact, but none
    // is far off (a popularity palette is off by 128 here).
    QImage many(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            many.setPixel(x, y, qRgb(x * 4, y * 4, (x + y) * 2));
    const IndexedPicture reduced = quantize_256(many);
    EXPECT_EQ(reduced.palette.size(), 256);
    int worst = 0; // the largest difference of a colour channel from the picture
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const QRgb a = many.pixel(x, y), b = reduced.palette[reduced.pixels[y * 64 + x]];
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))});
        }
    EXPECT_LE(worst, 24);
    EXPECT_TRUE(quantize_256(QImage()).palette.isEmpty());
}

TEST(WriteGif, AnotherDecoderReadsSizeAndColoursAndFailuresAreReported)
{
    QTemporaryDir dir;
    // Three colours: white, a red row and a dark blue column.
    QImage img(37, 23, QImage::Format_RGB32);
    img.fill(qRgb(255, 255, 255));
    for (int x = 0; x < 37; ++x)
        img.setPixel(x, 5, qRgb(200, 10, 30));
    for (int y = 0; y < 23; ++y)
        img.setPixel(30, y, qRgb(0, 0, 128));
    QString error;
    ASSERT_TRUE(write_gif(img, dir.filePath("chart.gif"), &error)) << error.toStdString();
    QProcess identify;
    identify.start("identify", {"-format", "%m %w %h", dir.filePath("chart.gif")});
    ASSERT_TRUE(identify.waitForFinished(30000));
    EXPECT_EQ(QString::fromLatin1(identify.readAllStandardOutput()).trimmed(), "GIF 37 23");
    EXPECT_EQ(QImage(dir.filePath("chart.gif")).convertToFormat(QImage::Format_RGB32), img);
    // Readable by others as the report page beside it, under the usual umask.
    const mode_t old_mask = ::umask(022);
    ASSERT_TRUE(write_gif(img, dir.filePath("shared.gif"), &error));
    ::umask(old_mask);
    EXPECT_TRUE(QFileInfo(dir.filePath("shared.gif")).permissions() & QFileDevice::ReadOther);

    EXPECT_FALSE(write_gif(QImage(), dir.filePath("empty.gif"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(write_gif(img, dir.filePath("missing/dir/x.gif"), &error));
    EXPECT_TRUE(error.startsWith("Unable to write to"));
}
