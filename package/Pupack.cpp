#include "package/Pupack.h"

#include "package/FileData.h"
#include "package/MemData.h"
#include "package/Tar.h"

#include <picojson.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>

namespace
{

constexpr double supportedRates[] = {16000.0, 44100.0, 48000.0};
constexpr const char* parameterExtensions[] = {".gmm", ".intragmm", ".diffgmm", ".gvpf"};

// A description is a few kilobytes; a "model.json" member beyond this is refused rather than
// read into memory whole.
constexpr std::int64_t maxDescriptionBytes = 16 * 1024 * 1024;

// Image distances at or above this do not qualify.
constexpr std::int64_t noDistance = 65535;

std::string baseNameOf(const char* memberPath)
{
    const std::string_view path(memberPath);
    const std::size_t cut = path.find_last_of("/\\:");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

bool endsWith(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// The number formed by the leading decimal digits of text (0 when there are none). Saturates
// instead of overflowing: names come from untrusted archives.
std::int64_t leadingDecimal(std::string_view text)
{
    constexpr std::int64_t ceiling = 1'000'000'000'000;
    std::int64_t value = 0;
    for (const char c : text)
    {
        if (c < '0' || c > '9')
            break;
        value = std::min(ceiling, value * 10 + (c - '0'));
    }
    return value;
}

bool isKnownMember(const std::string& baseName)
{
    if (baseName == "model.json" || baseName == "dyn.win" || startsWith(baseName, "img"))
        return true;
    for (const char* extension : parameterExtensions)
    {
        if (!endsWith(baseName, extension))
            continue;
        const std::int64_t rate =
            leadingDecimal(std::string_view(baseName).substr(0, baseName.size() - std::strlen(extension)));
        for (const double supported : supportedRates)
            if (static_cast<double>(rate) == supported)
                return true;
    }
    return false;
}

} // namespace

/** The state of an opened package: its stream, the scan's results and the parsed description. */
class Pupack_private
{
public:
    ResultCode status = result::noStream;
    std::string path;
    std::unique_ptr<zo::Data> stream;
    std::vector<std::string> memberNames;
    std::string descriptionText;
    picojson::value root;
    double version = 0.0;
    double formatVersion = 2.0;
    double pitch = 1.0;
    double volume = 1.0;
    std::vector<double> sampleRates;
    bool loaded = false;

    ResultCode load();
    ResultCode scan();
    ResultCode parse();

    const picojson::object* rootObject() const;
    double topLevelNumber(const char* key, double fallback) const;
    std::string topLevelString(const char* key) const;
    std::string localised(const char* key, const char* locale) const;

    int findMember(const std::string& baseName) const;
    ResultCode readMember(int index, void* buffer, std::int64_t* length, std::vector<std::uint8_t>* bytes);
    ResultCode readNamed(const std::string& baseName, void* buffer, std::int64_t* length,
                         std::vector<std::uint8_t>* bytes);
};

ResultCode Pupack_private::load()
{
    if (loaded)
        return result::success;
    if (stream == nullptr)
        return result::noStream;

    // A failed package scans again from scratch on every load.
    memberNames.clear();
    descriptionText.clear();
    root = picojson::value();
    version = 0.0;
    formatVersion = 2.0;
    pitch = 1.0;
    volume = 1.0;
    sampleRates.clear();

    try
    {
        ResultCode code = scan();
        if (code == result::success)
            code = parse();
        if (code != result::success)
            return code;
    }
    catch (const std::bad_alloc&)
    {
        return result::outOfMemory;
    }

    for (const double rate : supportedRates)
    {
        bool complete = true;
        for (const char* extension : parameterExtensions)
            complete = complete && findMember(std::to_string(static_cast<int>(rate)) + extension) >= 0;
        if (complete)
            sampleRates.push_back(rate);
    }
    loaded = true;
    return result::success;
}

ResultCode Pupack_private::scan()
{
    zo::Tar tar;
    if (tar.open(stream.get(), false) != result::success)
        return result::indexFailed;

    for (int i = 0; i < tar.memberCount(); ++i)
    {
        const std::int64_t size = tar.memberSize(i);
        if (size < 0)
            return result::shortRead;
        const std::string baseName = baseNameOf(tar.memberName(i));
        memberNames.push_back(baseName);

        // Empty members and companions such as "._model.json" are ignored without a word.
        if (size == 0 || startsWith(baseName, "."))
            continue;
        if (!isKnownMember(baseName))
        {
            std::printf("unknown file type in archive [%s]", baseName.c_str());
            continue;
        }
        if (baseName != "model.json")
            continue;

        if (size > maxDescriptionBytes)
            return result::memberReadFailed;
        std::string text(static_cast<std::size_t>(size), '\0');
        if (tar.openMember(i) != result::success ||
            tar.readMember(text.data(), text.size()) != result::success ||
            tar.closeMember() != result::success)
            return result::memberReadFailed;
        descriptionText = std::move(text);
    }
    return result::success;
}

ResultCode Pupack_private::parse()
{
    if (descriptionText.empty())
        return result::invalidDescription;

    picojson::value parsed;
    std::string error;
    try
    {
        // picojson refuses numbers beyond the double range by throwing.
        error = picojson::parse(parsed, descriptionText);
    }
    catch (const std::exception&)
    {
        return result::invalidDescription;
    }
    if (!error.empty() || !parsed.is<picojson::object>())
        return result::invalidDescription;
    root = std::move(parsed);

    version = topLevelNumber("version", 0.0);
    formatVersion = topLevelNumber("formatVersion", 2.0);
    pitch = topLevelNumber("pitch", 1.0);
    volume = topLevelNumber("volume", 1.0);
    return result::success;
}

const picojson::object* Pupack_private::rootObject() const
{
    return root.is<picojson::object>() ? &root.get<picojson::object>() : nullptr;
}

double Pupack_private::topLevelNumber(const char* key, double fallback) const
{
    const picojson::object* object = rootObject();
    if (object == nullptr)
        return fallback;
    const auto found = object->find(key);
    if (found == object->end() || !found->second.is<double>())
        return fallback;
    return found->second.get<double>();
}

std::string Pupack_private::topLevelString(const char* key) const
{
    const picojson::object* object = rootObject();
    if (object == nullptr)
        return {};
    const auto found = object->find(key);
    if (found == object->end() || !found->second.is<std::string>())
        return {};
    return found->second.get<std::string>();
}

std::string Pupack_private::localised(const char* key, const char* locale) const
{
    const picojson::object* object = rootObject();
    if (object == nullptr)
        return {};

    // The string under key in the object named name, if there is one.
    const auto lookUp = [&](const std::string& name, std::string& out)
    {
        const auto language = object->find(name);
        if (language == object->end() || !language->second.is<picojson::object>())
            return false;
        const picojson::object& texts = language->second.get<picojson::object>();
        const auto text = texts.find(key);
        if (text == texts.end() || !text->second.is<std::string>())
            return false;
        out = text->second.get<std::string>();
        return true;
    };

    std::string found;
    if (locale != nullptr)
    {
        std::string name(locale, strnlen(locale, 31));
        // Locales come as ja_JP; the description names its objects ja-JP (or just ja).
        if (name.size() > 2 && name[2] == '_')
            name[2] = '-';
        if (!lookUp(name, found))
            lookUp(name.substr(0, 2), found);
    }
    if (found.empty())
        found = topLevelString(key);
    return found;
}

int Pupack_private::findMember(const std::string& baseName) const
{
    for (std::size_t i = memberNames.size(); i-- > 0;)
        if (memberNames[i] == baseName)
            return static_cast<int>(i);
    return -1;
}

ResultCode Pupack_private::readMember(int index, void* buffer, std::int64_t* length,
                                      std::vector<std::uint8_t>* bytes)
{
    if (stream == nullptr)
        return result::noStream;
    zo::Tar tar;
    if (tar.open(stream.get(), false) != result::success)
        return result::indexFailed;

    // The index comes from an earlier scan; a file changed on disk since then may no longer
    // have that member.
    const std::int64_t size = tar.memberSize(index);
    if (size < 0)
        return result::memberReadFailed;

    void* destination = buffer;
    if (bytes != nullptr)
    {
        try
        {
            bytes->assign(static_cast<std::size_t>(size), 0);
        }
        catch (const std::exception&)
        {
            return result::memberReadFailed;
        }
        destination = bytes->data();
    }
    else if (buffer != nullptr && *length < size)
    {
        *length = size;
        return result::memberReadFailed;
    }
    if (length != nullptr)
        *length = size;
    if (destination == nullptr || size == 0)
        return result::success;

    if (tar.openMember(index) != result::success ||
        tar.readMember(destination, static_cast<std::size_t>(size)) != result::success ||
        tar.closeMember() != result::success)
        return result::memberReadFailed;
    return result::success;
}

ResultCode Pupack_private::readNamed(const std::string& baseName, void* buffer, std::int64_t* length,
                                     std::vector<std::uint8_t>* bytes)
{
    const int index = findMember(baseName);
    if (index < 0)
        return result::missingMember;
    return readMember(index, buffer, length, bytes);
}

namespace
{

std::string rateMemberName(const std::string& extension, double rate)
{
    // Rates name members as decimal integers; a value no integer can hold names no member.
    if (!std::isfinite(rate) || std::fabs(rate) >= 1.0e15)
        return {};
    return std::to_string(static_cast<long long>(rate)) + extension;
}

} // namespace

Pupack::Pupack(const std::string& path) : impl(std::make_unique<Pupack_private>())
{
    impl->path = path;
    auto file = std::make_unique<zo::FileData>();
    if (file->open(path, zo::FileData::modeRead) == result::success)
        impl->stream = std::move(file);
    impl->status = impl->load();
}

Pupack::Pupack(const void* bytes, std::size_t length) : impl(std::make_unique<Pupack_private>())
{
    if (bytes != nullptr || length == 0)
    {
        void* copy = length > 0 ? std::malloc(length) : nullptr;
        if (copy != nullptr || length == 0)
        {
            if (length > 0)
                std::memcpy(copy, bytes, length);
            auto memory = std::make_unique<zo::MemData>();
            memory->attach(copy, true, static_cast<std::int64_t>(length));
            impl->stream = std::move(memory);
        }
    }
    impl->status = impl->load();
}

Pupack::~Pupack() = default;

ResultCode Pupack::load()
{
    impl->status = impl->load();
    return impl->status;
}

ResultCode Pupack::status() const
{
    return impl->status;
}

std::string Pupack::path() const
{
    return impl->path;
}

double Pupack::version() const
{
    return impl->version;
}

double Pupack::formatVersion() const
{
    return impl->formatVersion;
}

double Pupack::pitch() const
{
    return impl->pitch;
}

double Pupack::volume() const
{
    return impl->volume;
}

std::string Pupack::targetIdentifier() const
{
    std::string identifier = impl->topLevelString("targetIdentifier");
    return identifier.empty() ? impl->topLevelString("target") : identifier;
}

std::string Pupack::narratorIdentifier() const
{
    std::string identifier = impl->topLevelString("narratorIdentifier");
    return identifier.empty() ? impl->topLevelString("narrator") : identifier;
}

std::string Pupack::displayName() const
{
    return targetIdentifier() + narratorIdentifier();
}

std::string Pupack::title(const char* locale) const
{
    return impl->localised("title", locale);
}

std::string Pupack::narrator(const char* locale) const
{
    return impl->localised("narrator", locale);
}

std::string Pupack::target(const char* locale) const
{
    return impl->localised("target", locale);
}

std::string Pupack::description(const char* locale) const
{
    return impl->localised("description", locale);
}

std::vector<double> Pupack::sampleRates() const
{
    return impl->sampleRates;
}

bool Pupack::supportsSampleRate(double rate) const
{
    return impl->loaded &&
           std::find(impl->sampleRates.begin(), impl->sampleRates.end(), rate) != impl->sampleRates.end();
}

std::vector<std::string> Pupack::memberNames() const
{
    return impl->memberNames;
}

ResultCode Pupack::image(void* buffer, std::int64_t* length, int size, bool atLeast)
{
    if (impl->stream == nullptr)
        return result::noImage;

    int chosen = -1;
    {
        zo::Tar tar;
        if (tar.open(impl->stream.get(), false) != result::success)
            return result::indexFailed;
        std::int64_t best = noDistance;
        for (int i = 0; i < tar.memberCount(); ++i)
        {
            const std::string baseName = baseNameOf(tar.memberName(i));
            if (!startsWith(baseName, "img"))
                continue;
            const std::int64_t nominal = leadingDecimal(std::string_view(baseName).substr(3));
            const std::int64_t difference = nominal - size;
            std::int64_t distance = std::abs(difference);
            if (atLeast)
                distance = difference < 0 ? noDistance : difference;
            if (distance < best)
            {
                best = distance;
                chosen = i;
            }
        }
        if (chosen >= 0 && tar.memberSize(chosen) < 0)
            return result::shortRead;
    }
    if (chosen < 0)
        return result::noImage;
    if (length == nullptr)
        return result::success;
    return impl->readMember(chosen, buffer, length, nullptr);
}

ResultCode Pupack::readPackageMember(const std::string& baseName, void* buffer, std::int64_t* length)
{
    if (length == nullptr)
        return result::invalidArgument;
    return impl->readNamed(baseName, buffer, length, nullptr);
}

ResultCode Pupack::readPackageMember(const std::string& baseName, std::vector<std::uint8_t>& bytes)
{
    return impl->readNamed(baseName, nullptr, nullptr, &bytes);
}

ResultCode Pupack::readRateMember(const std::string& extension, double rate, void* buffer,
                                  std::int64_t* length)
{
    return readPackageMember(rateMemberName(extension, rate), buffer, length);
}

ResultCode Pupack::readRateMember(const std::string& extension, double rate, std::vector<std::uint8_t>& bytes)
{
    return readPackageMember(rateMemberName(extension, rate), bytes);
}
