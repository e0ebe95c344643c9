#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace training
{

/** An 8-bit RGB image, row after row, three bytes per pixel. */
struct RgbImage
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

/** The image as a PNG file (8-bit RGB, no interlacing, a filter chosen per row, zlib at its best
    compression). The same image gives the same bytes. */
std::vector<std::uint8_t> encodePng(const RgbImage& image);

/** Width and height of PNG file bytes, read from the signature and the IHDR chunk; false when the
    bytes do not start like a PNG file. */
bool readPngSize(const std::vector<std::uint8_t>& bytes, int& width, int& height);

/** A simple portrait for a model without artwork: a head-and-shoulders silhouette in front of a
    soft gradient, with a colour derived from `key` (for example the target identifier), size x
    size pixels. */
RgbImage drawPortrait(int size, const std::string& key);

} // namespace training
