#pragma once
// Chart pictures as GIF files: the picture is reduced to a palette of at most
// 256 colours and written as one image of the picture's size through giflib.
#include <QImage>
#include <QRgb>
#include <QString>
#include <QVector>
#include <cstdint>
#include <vector>

namespace vx
{

// A picture as palette indexes, row by row.
struct IndexedPicture {
    int width = 0, height = 0;
    QVector<QRgb> palette;            // 1..256 colours
    std::vector<std::uint8_t> pixels; // width * height indexes into palette
};

// Exact when the picture has at most 256 colours; otherwise a median-cut
// palette of 256 colours (at 5 bits per channel) and every pixel takes its
// nearest palette colour.
IndexedPicture quantize_256(const QImage& image);

// Writes the picture as a GIF file; false (with error set when given) when
// the picture is empty or the file cannot be written.
bool write_gif(const QImage& image, const QString& path, QString* error = nullptr);

} // namespace vx
