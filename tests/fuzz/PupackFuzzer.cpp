// libFuzzer target: opens arbitrary bytes as a model package from memory and runs every query and
// member read on it. Built with clang++ -fsanitize=fuzzer,address,undefined (tests/fuzz/CMakeLists.txt).

#include "package/Pupack.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace
{

void exercise(const std::uint8_t* data, std::size_t size)
{
    Pupack package(data, size);
    volatile double sink = package.version() + package.formatVersion() + package.pitch() + package.volume();
    (void)sink;

    std::string texts = package.displayName() + package.targetIdentifier() + package.narratorIdentifier();
    for (const char* locale : {static_cast<const char*>(nullptr), "ja_JP", "zh_TW", "zh", "", "en_US"})
        texts += package.title(locale) + package.narrator(locale) + package.target(locale) +
                 package.description(locale);

    for (const double rate : package.sampleRates())
    {
        package.supportsSampleRate(rate);
        for (const char* extension : {".gmm", ".intragmm", ".diffgmm", ".gvpf"})
        {
            std::vector<std::uint8_t> bytes;
            package.readRateMember(extension, rate, bytes);
        }
    }

    // Every member through both reading interfaces; the buffer one with a capacity one byte short
    // as well, which must be refused without writing.
    for (const std::string& name : package.memberNames())
    {
        std::vector<std::uint8_t> bytes;
        package.readPackageMember(name, bytes);
        std::int64_t length = 0;
        if (package.readPackageMember(name, nullptr, &length) == 0 && length > 0 && length < (1 << 20))
        {
            std::vector<std::uint8_t> buffer(static_cast<std::size_t>(length));
            std::int64_t capacity = length - 1;
            package.readPackageMember(name, buffer.data(), &capacity);
            capacity = length;
            package.readPackageMember(name, buffer.data(), &capacity);
        }
    }

    for (const int request : {0, 128, 256, 300, 1024, 70000, -5})
        for (const bool atLeast : {false, true})
        {
            std::int64_t length = 0;
            if (package.image(nullptr, &length, request, atLeast) == 0 && length >= 0 && length < (1 << 20))
            {
                std::vector<std::uint8_t> buffer(static_cast<std::size_t>(length));
                package.image(buffer.data(), &length, request, atLeast);
            }
        }
    package.load();
}

// Gives every block that carries the ustar magic a correct checksum, so that mutations of header
// fields reach the code behind the checksum test.
bool fixChecksums(std::vector<std::uint8_t>& bytes)
{
    bool changed = false;
    for (std::size_t offset = 0; offset + 512 <= bytes.size(); offset += 512)
    {
        std::uint8_t* block = bytes.data() + offset;
        if (std::memcmp(block + 257, "ustar", 5) != 0)
            continue;
        unsigned sum = 8 * ' ';
        for (std::size_t i = 0; i < 512; ++i)
            if (i < 148 || i >= 156)
                sum += block[i];
        char field[8];
        std::snprintf(field, sizeof field, "%06o", sum);
        if (std::memcmp(block + 148, field, 7) != 0 || block[155] != ' ')
        {
            std::memcpy(block + 148, field, 7);
            block[155] = ' ';
            changed = true;
        }
    }
    return changed;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The scan reports unknown members on standard output; keep the fuzzer's own output readable.
    if (std::freopen("/dev/null", "w", stdout) == nullptr)
        return 1;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    exercise(data, size);
    std::vector<std::uint8_t> fixed(data, data + size);
    if (fixChecksums(fixed))
        exercise(fixed.data(), fixed.size());
    return 0;
}
