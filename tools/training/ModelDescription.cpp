#include "tools/training/ModelDescription.h"

#include "tools/training/TrainingError.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace training
{

namespace
{

bool isValidUtf8(const std::string& s)
{
    std::size_t i = 0;
    while (i < s.size())
    {
        const auto c = static_cast<unsigned char>(s[i]);
        int extra = 0;
        std::uint32_t code = 0;
        if (c < 0x80)
        {
            ++i;
            continue;
        }
        if ((c & 0xE0) == 0xC0)
        {
            extra = 1;
            code = c & 0x1F;
        }
        else if ((c & 0xF0) == 0xE0)
        {
            extra = 2;
            code = c & 0x0F;
        }
        else if ((c & 0xF8) == 0xF0)
        {
            extra = 3;
            code = c & 0x07;
        }
        else
            return false;
        if (i + static_cast<std::size_t>(extra) >= s.size())
            return false;
        for (int k = 1; k <= extra; ++k)
        {
            const auto d = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((d & 0xC0) != 0x80)
                return false;
            code = code << 6 | (d & 0x3F);
        }
        const std::uint32_t minimum = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

void appendString(std::string& out, const std::string& text)
{
    if (!isValidUtf8(text))
        throw TrainingError("text \"" + text + "\" is not valid UTF-8");
    out += '"';
    for (const char ch : text)
    {
        const auto c = static_cast<unsigned char>(ch);
        switch (ch)
        {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                if (c < 0x20)
                {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                }
                else
                    out += ch;
        }
    }
    out += '"';
}

void appendNumber(std::string& out, double value)
{
    if (!std::isfinite(value))
        throw TrainingError("a number of the model description is not finite");
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, result.ptr);
    if (text.find_first_of(".e") == std::string::npos)
        text += ".0";
    out += text;
}

void appendTexts(std::string& out, const ModelTexts& texts, const std::string& indent)
{
    const std::pair<const char*, const std::string*> fields[] = {{"title", &texts.title},
                                                                 {"target", &texts.target},
                                                                 {"narrator", &texts.narrator},
                                                                 {"description", &texts.description}};
    for (const auto& [key, value] : fields)
    {
        out += indent;
        appendString(out, key);
        out += ": ";
        appendString(out, *value);
        out += ",\n";
    }
}

} // namespace

std::string ModelDescription::toJson() const
{
    std::string out = "{\n";
    out += "  \"version\": ";
    appendNumber(out, version);
    out += ",\n  \"formatVersion\": ";
    appendNumber(out, formatVersion);
    out += ",\n  \"targetIdentifier\": ";
    appendString(out, targetIdentifier);
    out += ",\n  \"narratorIdentifier\": ";
    appendString(out, narratorIdentifier);
    out += ",\n";
    appendTexts(out, texts, "  ");
    for (const auto& [language, localisedTexts] : localised)
    {
        if (localisedTexts.empty())
            continue;
        out += "  ";
        appendString(out, language);
        out += ": {\n";
        appendTexts(out, localisedTexts, "    ");
        out.erase(out.size() - 2, 1); // the last field takes no comma
        out += "  },\n";
    }
    out += "  \"pitch\": ";
    appendNumber(out, pitch);
    out += ",\n  \"volume\": ";
    appendNumber(out, volume);
    out += "\n}\n";
    return out;
}

} // namespace training
