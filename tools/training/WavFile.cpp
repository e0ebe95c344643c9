#include "tools/training/WavFile.h"

#include "tools/training/TrainingError.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

namespace training
{

namespace
{

constexpr std::uint16_t formatPcm = 1;
constexpr std::uint16_t formatFloat = 3;
constexpr std::uint16_t formatExtensible = 0xFFFE;

std::uint32_t little32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t little16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

void putLittle(std::vector<unsigned char>& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

[[noreturn]] void fail(const std::string& path, const std::string& why)
{
    throw TrainingError(path + ": " + why);
}

double decodeSample(const unsigned char* p, std::uint16_t format, int bits)
{
    if (format == formatFloat)
    {
        if (bits == 32)
        {
            const std::uint32_t u = little32(p);
            float f;
            std::memcpy(&f, &u, sizeof f);
            return f;
        }
        const std::uint64_t u =
            static_cast<std::uint64_t>(little32(p)) | static_cast<std::uint64_t>(little32(p + 4)) << 32;
        double d;
        std::memcpy(&d, &u, sizeof d);
        return d;
    }
    switch (bits)
    {
        case 8:
            return (static_cast<int>(p[0]) - 128) / 128.0;
        case 16:
            return static_cast<std::int16_t>(little16(p)) / 32768.0;
        case 24:
        {
            std::int32_t v = static_cast<std::int32_t>(p[0] | p[1] << 8 | p[2] << 16);
            if (v & 0x800000)
                v -= 0x1000000;
            return v / 8388608.0;
        }
        default:
            return static_cast<std::int32_t>(little32(p)) / 2147483648.0;
    }
}

} // namespace

Recording readWavFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        fail(path, "cannot open the file");
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
    if (in.bad())
        fail(path, "cannot read the file");
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        fail(path, "not a WAV file (no RIFF/WAVE header)");

    std::uint16_t format = 0;
    int channels = 0;
    int bits = 0;
    double rate = 0.0;
    bool haveFormat = false;
    const unsigned char* data = nullptr;
    std::size_t dataSize = 0;

    std::size_t at = 12;
    while (at + 8 <= bytes.size())
    {
        const unsigned char* chunk = bytes.data() + at;
        const std::size_t size = little32(chunk + 4);
        const std::size_t available = std::min(size, bytes.size() - at - 8);
        if (std::memcmp(chunk, "fmt ", 4) == 0)
        {
            if (available < 16)
                fail(path, "the format chunk is too short");
            format = little16(chunk + 8);
            channels = little16(chunk + 10);
            rate = little32(chunk + 12);
            bits = little16(chunk + 22);
            if (format == formatExtensible)
            {
                if (available < 40)
                    fail(path, "the extensible format chunk is too short");
                format = little16(chunk + 8 + 24);
            }
            haveFormat = true;
        }
        else if (std::memcmp(chunk, "data", 4) == 0)
        {
            data = chunk + 8;
            dataSize = available;
        }
        at += 8 + size + (size & 1);
    }

    if (!haveFormat)
        fail(path, "no format chunk");
    if (data == nullptr)
        fail(path, "no data chunk");
    const bool pcm = format == formatPcm && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
    const bool floating = format == formatFloat && (bits == 32 || bits == 64);
    if (!pcm && !floating)
        fail(path, "unsupported sample format (format " + std::to_string(format) + ", " +
                       std::to_string(bits) + " bits); use PCM of 8 to 32 bits or floating point");
    if (channels < 1)
        fail(path, "the file declares no channels");
    if (!(rate >= 1000.0 && rate <= 768000.0))
        fail(path, "implausible sample rate " + std::to_string(rate));

    const std::size_t frameBytes = static_cast<std::size_t>(channels) * static_cast<std::size_t>(bits / 8);
    const std::size_t frames = dataSize / frameBytes;
    Recording recording;
    recording.sampleRate = rate;
    recording.samples.resize(frames);
    for (std::size_t f = 0; f < frames; ++f)
    {
        double sum = 0.0;
        for (int c = 0; c < channels; ++c)
            sum +=
                decodeSample(data + f * frameBytes + static_cast<std::size_t>(c) * (bits / 8), format, bits);
        recording.samples[f] = sum / channels;
    }
    for (const double s : recording.samples)
        if (!std::isfinite(s))
            fail(path, "the file holds samples that are not finite numbers");
    return recording;
}

void writeWavFile(const std::string& path, const Recording& recording)
{
    const auto rate = static_cast<std::uint32_t>(std::lround(recording.sampleRate));
    const auto dataBytes = static_cast<std::uint32_t>(recording.samples.size() * 2);
    std::vector<unsigned char> out;
    out.reserve(44 + dataBytes);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    putLittle(out, 36 + dataBytes, 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    putLittle(out, 16, 4);
    putLittle(out, formatPcm, 2);
    putLittle(out, 1, 2);
    putLittle(out, rate, 4);
    putLittle(out, rate * 2, 4);
    putLittle(out, 2, 2);
    putLittle(out, 16, 2);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    putLittle(out, dataBytes, 4);
    for (const double s : recording.samples)
    {
        const double clamped = std::clamp(s, -1.0, 32767.0 / 32768.0);
        const auto v = static_cast<std::int16_t>(std::lround(clamped * 32768.0));
        putLittle(out, static_cast<std::uint16_t>(v), 2);
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file)
        fail(path, "cannot create the file");
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    file.close();
    if (!file)
        fail(path, "cannot write the file");
}

} // namespace training
