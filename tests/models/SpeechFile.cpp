#include "models/SpeechFile.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace test_models
{
namespace
{
std::uint32_t little32(const unsigned char* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t little16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
} // namespace

Speech readSpeech(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open " + path);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        throw std::runtime_error(path + " is not a WAV file");

    Speech speech;
    bool haveFormat = false;
    std::size_t at = 12;
    while (at + 8 <= bytes.size())
    {
        const std::uint32_t size = little32(bytes.data() + at + 4);
        const unsigned char* body = bytes.data() + at + 8;
        if (at + 8 + size > bytes.size())
            throw std::runtime_error(path + ": truncated chunk");
        if (std::memcmp(bytes.data() + at, "fmt ", 4) == 0 && size >= 16)
        {
            if (little16(body) != 1 || little16(body + 2) != 1 || little16(body + 14) != 16)
                throw std::runtime_error(path + ": not mono 16-bit PCM");
            speech.sampleRate = little32(body + 4);
            haveFormat = true;
        }
        else if (std::memcmp(bytes.data() + at, "data", 4) == 0)
        {
            if (!haveFormat)
                throw std::runtime_error(path + ": data before format");
            speech.samples.resize(size / 2);
            for (std::size_t i = 0; i < speech.samples.size(); ++i)
                speech.samples[i] = static_cast<std::int16_t>(little16(body + 2 * i));
            return speech;
        }
        at += 8 + size + (size & 1);
    }
    throw std::runtime_error(path + ": no data chunk");
}

std::vector<double> resampleLinear(const std::vector<double>& samples, double from, double to)
{
    if (samples.empty())
        return {};
    const auto count =
        static_cast<std::size_t>(std::floor(static_cast<double>(samples.size() - 1) * to / from)) + 1;
    std::vector<double> out(count);
    for (std::size_t i = 0; i < count; ++i)
    {
        const double position = static_cast<double>(i) * from / to;
        const auto k = static_cast<std::size_t>(position);
        const double fraction = position - static_cast<double>(k);
        const double next = k + 1 < samples.size() ? samples[k + 1] : samples[k];
        out[i] = samples[k] + fraction * (next - samples[k]);
    }
    return out;
}

} // namespace test_models
