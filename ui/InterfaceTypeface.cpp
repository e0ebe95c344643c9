#include "ui/InterfaceTypeface.h"

namespace tessel
{
namespace
{
// Family names in order of preference; all cover the same characters.
const char* const familyNames[] = {"Noto Sans CJK JP", "Noto Sans CJK SC", "Noto Sans CJK TC"};

// File names the family is shipped under: Debian's collection, then single-face files of other
// distributions. The first face of the collection is the Japanese one.
const char* const fileNames[] = {"NotoSansCJK-Regular.ttc", "NotoSansCJKjp-Regular.otf",
                                 "NotoSansCJK-Regular.otf", "NotoSansCJKsc-Regular.otf"};

juce::Typeface::Ptr findByName()
{
    const auto installed = juce::Font::findAllTypefaceNames();

    for (auto* family : familyNames)
    {
        if (!installed.contains(family))
            continue;

        auto typeface = juce::Typeface::createSystemTypefaceFor(juce::Font(family, "Regular", 24.0f));

        if (typeface != nullptr && typeface->getName() == family)
            return typeface;
    }

    return nullptr;
}

juce::Typeface::Ptr loadFromFile(const juce::File& file)
{
    // Mapped rather than read: the typeface keeps its own copy of the data, so this avoids holding
    // the (about 20 MB) collection twice while it is created.
    juce::MemoryMappedFile mapped(file, juce::MemoryMappedFile::readOnly);

    if (mapped.getData() == nullptr || mapped.getSize() == 0)
        return nullptr;

    auto typeface = juce::Typeface::createSystemTypefaceFor(mapped.getData(), mapped.getSize());

    // A file FreeType cannot read still gives a typeface object, but one without a name or glyphs.
    if (typeface == nullptr || typeface->getName().isEmpty())
        return nullptr;

    return typeface;
}
} // namespace

juce::Array<juce::File> findInterfaceFontFiles()
{
    // Debian's location first, so that the usual case needs no folder scan.
    const juce::File debian("/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc");

    if (debian.existsAsFile())
        return {debian};

    const auto home = juce::File::getSpecialLocation(juce::File::userHomeDirectory);
    const juce::File roots[] = {juce::File("/usr/share/fonts"), juce::File("/usr/local/share/fonts"),
                                home.getChildFile(".local/share/fonts"), home.getChildFile(".fonts")};
    juce::Array<juce::File> found;

    for (const auto& root : roots)
    {
        if (!root.isDirectory())
            continue;

        for (auto* fileName : fileNames)
            for (const auto& entry : juce::RangedDirectoryIterator(root, true, fileName))
                found.addIfNotAlreadyThere(entry.getFile());
    }

    return found;
}

juce::Typeface::Ptr loadInterfaceTypeface()
{
    if (auto typeface = findByName())
        return typeface;

    for (const auto& file : findInterfaceFontFiles())
        if (auto typeface = loadFromFile(file))
            return typeface;

    juce::Logger::writeToLog("Tavilo: no Noto Sans CJK font found (Debian package fonts-noto-cjk); "
                             "Japanese and Chinese texts may not render");
    return nullptr;
}
} // namespace tessel
