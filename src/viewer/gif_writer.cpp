#include "viewer/gif_writer.h"

#include <gif_lib.h>

#include <QFile>
#include <QHash>
#include <algorithm>
#include <array>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

namespace vx
{

namespace
{

int key15(QRgb c)
{
    return ((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3);
}

QRgb color_of_key15(int k)
{
    // The centre of the 8-wide cell keeps the rounding error symmetric.
    return qRgb(((k >> 10) & 31) * 8 + 4, ((k >> 5) & 31) * 8 + 4, (k & 31) * 8 + 4);
}

int distance2(QRgb a, QRgb b)
{
    const int dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b);
    return dr * dr + dg * dg + db * db;
}

} // namespace

IndexedPicture quantize_256(const QImage& source)
{
    IndexedPicture out;
    if (source.isNull()) return out;
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    out.width = image.width();
    out.height = image.height();
    out.pixels.resize(size_t(out.width) * size_t(out.height));

    // Exact palette while the picture has few colours (the usual chart).
    QHash<QRgb, int> exact;
    bool fits = true;
    for (int y = 0; y < out.height && fits; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < out.width; ++x) {
            const QRgb c = row[x] | 0xFF000000u;
            auto it = exact.constFind(c);
            if (it == exact.constEnd()) {
                if (exact.size() == 256) {
                    fits = false;
                    break;
                }
                exact.insert(c, int(out.palette.size()));
                out.palette.push_back(c);
                it = exact.constFind(c);
            }
            out.pixels[size_t(y) * out.width + x] = std::uint8_t(it.value());
        }
    }
    if (fits) return out;

    // Median cut over the used cells of a 15-bit grid, weighted by pixel
    // counts: the box with the widest channel is split at its weighted median
    // until there are 256 boxes; each box gives its mean colour.
    std::vector<int> counts(32768, 0);
    for (int y = 0; y < out.height; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < out.width; ++x)
            ++counts[key15(row[x])];
    }
    std::vector<int> used;
    for (int k = 0; k < 32768; ++k)
        if (counts[k] > 0) used.push_back(k);
    auto channel = [](int k, int c) { return (k >> (10 - 5 * c)) & 31; };
    struct Box {
        size_t begin, end; // range in used
        int widest = 0, extent = 0;
    };
    auto measure = [&](Box& b) {
        int lo[3] = {31, 31, 31}, hi[3] = {0, 0, 0};
        for (size_t i = b.begin; i < b.end; ++i)
            for (int c = 0; c < 3; ++c) {
                lo[c] = std::min(lo[c], channel(used[i], c));
                hi[c] = std::max(hi[c], channel(used[i], c));
            }
        b.extent = -1;
        for (int c = 0; c < 3; ++c)
            if (hi[c] - lo[c] > b.extent) {
                b.extent = hi[c] - lo[c];
                b.widest = c;
            }
    };
    std::vector<Box> boxes{Box{0, used.size()}};
    measure(boxes[0]);
    while (boxes.size() < 256) {
        size_t pick = boxes.size();
        for (size_t i = 0; i < boxes.size(); ++i)
            if (boxes[i].end - boxes[i].begin > 1 &&
                (pick == boxes.size() || boxes[i].extent > boxes[pick].extent))
                pick = i;
        if (pick == boxes.size()) break;
        Box b = boxes[pick];
        const int c = b.widest;
        std::sort(used.begin() + b.begin, used.begin() + b.end,
                  [&](int x, int y) { return channel(x, c) < channel(y, c); });
        long total = 0;
        for (size_t i = b.begin; i < b.end; ++i)
            total += counts[used[i]];
        long run = 0;
        size_t cut = b.begin + 1;
        for (size_t i = b.begin; i + 1 < b.end; ++i) {
            run += counts[used[i]];
            cut = i + 1;
            if (2 * run >= total) break;
        }
        Box left{b.begin, cut}, right{cut, b.end};
        measure(left);
        measure(right);
        boxes[pick] = left;
        boxes.push_back(right);
    }
    out.palette.clear();
    for (const Box& b : boxes) {
        double r = 0, g = 0, bl = 0, n = 0;
        for (size_t i = b.begin; i < b.end; ++i) {
            const QRgb c = color_of_key15(used[i]);
            const double w = counts[used[i]];
            r += qRed(c) * w;
            g += qGreen(c) * w;
            bl += qBlue(c) * w;
            n += w;
        }
        out.palette.push_back(qRgb(int(r / n + 0.5), int(g / n + 0.5), int(bl / n + 0.5)));
    }
    std::vector<std::uint8_t> map(32768, 0);
    for (int k : used) {
        const QRgb c = color_of_key15(k);
        int best = 0, best_d = std::numeric_limits<int>::max();
        for (int i = 0; i < out.palette.size(); ++i) {
            const int d = distance2(c, out.palette[i]);
            if (d < best_d) {
                best_d = d;
                best = i;
            }
        }
        map[k] = std::uint8_t(best);
    }
    for (int y = 0; y < out.height; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < out.width; ++x)
            out.pixels[size_t(y) * out.width + x] = map[key15(row[x])];
    }
    return out;
}

bool write_gif(const QImage& image, const QString& path, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    IndexedPicture pic = quantize_256(image);
    if (pic.width <= 0 || pic.height <= 0 || pic.width > 65535 || pic.height > 65535)
        return fail(QStringLiteral("Empty picture"));

    // giflib wants a power-of-two colour table of at least two entries.
    int bits = 1;
    while ((1 << bits) < pic.palette.size())
        ++bits;
    std::vector<GifColorType> colors(size_t(1) << bits, GifColorType{0, 0, 0});
    for (int i = 0; i < pic.palette.size(); ++i)
        colors[i] = GifColorType{GifByteType(qRed(pic.palette[i])), GifByteType(qGreen(pic.palette[i])),
                                 GifByteType(qBlue(pic.palette[i]))};
    ColorMapObject* map = GifMakeMapObject(int(colors.size()), colors.data());
    if (!map) return fail(QStringLiteral("Out of memory"));

    int code = 0;
    // Opened here rather than by giflib, which makes its files private: the
    // picture is read by a browser beside the report page and gets the same
    // permissions as the page.
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    GifFileType* gif = fd < 0 ? nullptr : EGifOpenFileHandle(fd, &code);
    if (!gif) {
        if (fd >= 0) ::close(fd);
        GifFreeMapObject(map);
        return fail(QStringLiteral("Unable to write to %1").arg(path));
    }
    bool ok = EGifPutScreenDesc(gif, pic.width, pic.height, bits, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, pic.width, pic.height, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < pic.height; ++y)
        ok = EGifPutLine(gif, pic.pixels.data() + size_t(y) * pic.width, pic.width) == GIF_OK;
    const bool closed = EGifCloseFile(gif, &code) == GIF_OK;
    GifFreeMapObject(map);
    if (!ok || !closed) {
        QFile::remove(path);
        return fail(QStringLiteral("Unable to write to %1").arg(path));
    }
    return true;
}

} // namespace vx
