#include "tools/training/Artwork.h"

#include "tools/training/TrainingError.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace training
{

namespace
{

constexpr std::array<std::uint8_t, 8> pngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

void putBig32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> s));
}

void appendChunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data)
{
    putBig32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), out.data() + typeAt, static_cast<uInt>(data.size() + 4));
    putBig32(out, static_cast<std::uint32_t>(crc));
}

int paeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return a;
    return pb <= pc ? b : c;
}

struct Hsl
{
    double h, s, l;
};

std::array<double, 3> toRgb(Hsl c)
{
    auto channel = [&](double n)
    {
        const double k = std::fmod(n + c.h * 12.0, 12.0);
        const double a = c.s * std::min(c.l, 1.0 - c.l);
        return c.l - a * std::max(-1.0, std::min({k - 3.0, 9.0 - k, 1.0}));
    };
    return {channel(0.0), channel(8.0), channel(4.0)};
}

std::uint32_t hashKey(const std::string& key)
{
    std::uint32_t h = 2166136261u;
    for (const char c : key)
    {
        h ^= static_cast<std::uint8_t>(c);
        h *= 16777619u;
    }
    return h;
}

double coverage(double signedDistancePixels)
{
    return std::clamp(0.5 - signedDistancePixels, 0.0, 1.0);
}

} // namespace

std::vector<std::uint8_t> encodePng(const RgbImage& image)
{
    if (image.width < 1 || image.height < 1 ||
        image.pixels.size() !=
            static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3)
        throw TrainingError("cannot encode an image of inconsistent size");
    const std::size_t stride = static_cast<std::size_t>(image.width) * 3;
    std::vector<std::uint8_t> filtered;
    filtered.reserve((stride + 1) * static_cast<std::size_t>(image.height));
    std::vector<std::uint8_t> candidate(stride);
    std::vector<std::uint8_t> best(stride);
    const std::vector<std::uint8_t> zeroRow(stride, 0);
    for (int y = 0; y < image.height; ++y)
    {
        const std::uint8_t* row = image.pixels.data() + static_cast<std::size_t>(y) * stride;
        const std::uint8_t* up = y > 0 ? row - stride : zeroRow.data();
        long bestScore = -1;
        int bestFilter = 0;
        for (int filter = 0; filter < 5; ++filter)
        {
            long score = 0;
            for (std::size_t i = 0; i < stride; ++i)
            {
                const int a = i >= 3 ? row[i - 3] : 0;
                const int b = up[i];
                const int c = i >= 3 ? up[i - 3] : 0;
                int predicted = 0;
                switch (filter)
                {
                    case 1:
                        predicted = a;
                        break;
                    case 2:
                        predicted = b;
                        break;
                    case 3:
                        predicted = (a + b) / 2;
                        break;
                    case 4:
                        predicted = paeth(a, b, c);
                        break;
                    default:
                        break;
                }
                const auto v = static_cast<std::uint8_t>(row[i] - predicted);
                candidate[i] = v;
                score += v < 128 ? v : 256 - v;
            }
            if (bestScore < 0 || score < bestScore)
            {
                bestScore = score;
                bestFilter = filter;
                best.swap(candidate);
            }
        }
        filtered.push_back(static_cast<std::uint8_t>(bestFilter));
        filtered.insert(filtered.end(), best.begin(), best.end());
    }

    uLongf compressedSize = compressBound(static_cast<uLong>(filtered.size()));
    std::vector<std::uint8_t> compressed(compressedSize);
    if (compress2(compressed.data(), &compressedSize, filtered.data(), static_cast<uLong>(filtered.size()),
                  9) != Z_OK)
        throw TrainingError("image compression failed");
    compressed.resize(compressedSize);

    std::vector<std::uint8_t> png(pngSignature.begin(), pngSignature.end());
    std::vector<std::uint8_t> header;
    putBig32(header, static_cast<std::uint32_t>(image.width));
    putBig32(header, static_cast<std::uint32_t>(image.height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, standard filters, no interlace
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", compressed);
    appendChunk(png, "IEND", {});
    return png;
}

bool readPngSize(const std::vector<std::uint8_t>& bytes, int& width, int& height)
{
    if (bytes.size() < 24 || !std::equal(pngSignature.begin(), pngSignature.end(), bytes.begin()) ||
        !std::equal(bytes.begin() + 12, bytes.begin() + 16, "IHDR"))
        return false;
    auto big32 = [&](std::size_t at)
    {
        return static_cast<std::uint32_t>(bytes[at]) << 24 | static_cast<std::uint32_t>(bytes[at + 1]) << 16 |
               static_cast<std::uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
    };
    const std::uint32_t w = big32(16);
    const std::uint32_t h = big32(20);
    if (w < 1 || h < 1 || w > 65535 || h > 65535)
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

RgbImage drawPortrait(int size, const std::string& key)
{
    if (size < 16 || size > 4096)
        throw TrainingError("portrait size " + std::to_string(size) + " is outside 16 .. 4096 pixels");
    const double hue = static_cast<double>(hashKey(key) % 360u) / 360.0;
    const auto top = toRgb({hue, 0.55, 0.30});
    const auto bottom = toRgb({std::fmod(hue + 0.08, 1.0), 0.60, 0.55});
    const auto halo = toRgb({hue, 0.45, 0.70});
    const auto figure = toRgb({hue, 0.25, 0.93});

    RgbImage image;
    image.width = size;
    image.height = size;
    image.pixels.resize(static_cast<std::size_t>(size) * static_cast<std::size_t>(size) * 3);
    const double s = size;
    for (int y = 0; y < size; ++y)
    {
        const double t = (y + 0.5) / s;
        for (int x = 0; x < size; ++x)
        {
            const double px = x + 0.5;
            const double py = y + 0.5;
            std::array<double, 3> colour;
            for (int c = 0; c < 3; ++c)
                colour[static_cast<std::size_t>(c)] =
                    top[static_cast<std::size_t>(c)] * (1.0 - t) + bottom[static_cast<std::size_t>(c)] * t;

            // A soft disc behind the figure.
            const double haloDistance = std::hypot(px - 0.5 * s, py - 0.45 * s) - 0.36 * s;
            const double haloAlpha = 0.35 * coverage(haloDistance);
            // Head: a circle. Shoulders: an ellipse cut off by the bottom edge.
            const double head = std::hypot(px - 0.5 * s, py - 0.40 * s) - 0.15 * s;
            const double ex = (px - 0.5 * s) / (0.32 * s);
            const double ey = (py - 0.98 * s) / (0.34 * s);
            const double shoulders = (std::sqrt(ex * ex + ey * ey) - 1.0) * 0.32 * s;
            const double figureAlpha = std::max(coverage(head), coverage(shoulders));
            for (int c = 0; c < 3; ++c)
            {
                const auto i = static_cast<std::size_t>(c);
                double v = colour[i] * (1.0 - haloAlpha) + halo[i] * haloAlpha;
                v = v * (1.0 - figureAlpha) + figure[i] * figureAlpha;
                image.pixels[(static_cast<std::size_t>(y) * static_cast<std::size_t>(size) +
                              static_cast<std::size_t>(x)) *
                                 3 +
                             i] = static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
            }
        }
    }
    return image;
}

} // namespace training
