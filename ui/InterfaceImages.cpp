#include "ui/InterfaceImages.h"

#include "BinaryData.h"

#include <map>

namespace tessel
{
namespace
{
struct Resource
{
    const char* data = nullptr;
    int size = 0;
};

// Resources are looked up by the file name they were embedded from, never by the mangled
// identifier, so renaming rules of the resource compiler cannot break the lookup.
const std::map<juce::String, Resource>& resourcesByFileName()
{
    static const std::map<juce::String, Resource> table = []
    {
        std::map<juce::String, Resource> t;

        for (int i = 0; i < BinaryData::namedResourceListSize; ++i)
        {
            const char* name = BinaryData::namedResourceList[i];
            Resource r;
            r.data = BinaryData::getNamedResource(name, r.size);

            if (const char* original = BinaryData::getNamedResourceOriginalFilename(name))
                t[juce::String::fromUTF8(original)] = r;
        }

        return t;
    }();
    return table;
}

const Resource* findResource(const juce::String& fileName)
{
    const auto& table = resourcesByFileName();
    auto it = table.find(fileName);
    return it == table.end() || it->second.data == nullptr ? nullptr : &it->second;
}
} // namespace

juce::Image getInterfaceImage(const juce::String& fileName)
{
    if (auto* r = findResource(fileName))
        return juce::ImageCache::getFromMemory(r->data, r->size);

    return {};
}

bool hasInterfaceImage(const juce::String& fileName)
{
    return findResource(fileName) != nullptr;
}
} // namespace tessel
