#include "Platform/text/TextConversion.h"

#include <cstdint>

namespace Vela::Platform
{
    namespace
    {
        constexpr char32_t REPLACEMENT = 0xFFFD;

        // Decodes one code point at aIndex and advances it; invalid input consumes one byte.
        char32_t DecodeOne(std::string_view aText, size_t& aIndex)
        {
            const auto byteAt = [&](size_t i) { return static_cast<uint8_t>(aText[i]); };
            const uint8_t lead = byteAt(aIndex);
            if (lead < 0x80)
            {
                ++aIndex;
                return lead;
            }
            size_t length = 0;
            char32_t codePoint = 0;
            char32_t minimum = 0;
            if ((lead & 0xE0) == 0xC0) { length = 2; codePoint = lead & 0x1F; minimum = 0x80; }
            else if ((lead & 0xF0) == 0xE0) { length = 3; codePoint = lead & 0x0F; minimum = 0x800; }
            else if ((lead & 0xF8) == 0xF0) { length = 4; codePoint = lead & 0x07; minimum = 0x10000; }
            else { ++aIndex; return REPLACEMENT; }

            if (aIndex + length > aText.size())
            {
                ++aIndex;
                return REPLACEMENT;
            }
            for (size_t i = 1; i < length; ++i)
            {
                const uint8_t continuation = byteAt(aIndex + i);
                if ((continuation & 0xC0) != 0x80)
                {
                    ++aIndex;
                    return REPLACEMENT;
                }
                codePoint = (codePoint << 6) | (continuation & 0x3F);
            }
            aIndex += length;
            const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
            if (codePoint < minimum || codePoint > 0x10FFFF || surrogate)
            {
                return REPLACEMENT;
            }
            return codePoint;
        }

        void AppendUtf8(std::string& aOut, char32_t aCodePoint)
        {
            if (aCodePoint > 0x10FFFF || (aCodePoint >= 0xD800 && aCodePoint <= 0xDFFF))
            {
                aCodePoint = REPLACEMENT;
            }
            if (aCodePoint < 0x80)
            {
                aOut += static_cast<char>(aCodePoint);
            }
            else if (aCodePoint < 0x800)
            {
                aOut += static_cast<char>(0xC0 | (aCodePoint >> 6));
                aOut += static_cast<char>(0x80 | (aCodePoint & 0x3F));
            }
            else if (aCodePoint < 0x10000)
            {
                aOut += static_cast<char>(0xE0 | (aCodePoint >> 12));
                aOut += static_cast<char>(0x80 | ((aCodePoint >> 6) & 0x3F));
                aOut += static_cast<char>(0x80 | (aCodePoint & 0x3F));
            }
            else
            {
                aOut += static_cast<char>(0xF0 | (aCodePoint >> 18));
                aOut += static_cast<char>(0x80 | ((aCodePoint >> 12) & 0x3F));
                aOut += static_cast<char>(0x80 | ((aCodePoint >> 6) & 0x3F));
                aOut += static_cast<char>(0x80 | (aCodePoint & 0x3F));
            }
        }
    }

    std::wstring Utf8ToWide(std::string_view aText)
    {
        std::wstring result;
        result.reserve(aText.size());
        size_t index = 0;
        while (index < aText.size())
        {
            result += static_cast<wchar_t>(DecodeOne(aText, index));
        }
        return result;
    }

    std::string WideToUtf8(std::wstring_view aText)
    {
        std::string result;
        result.reserve(aText.size());
        for (const wchar_t character : aText)
        {
            AppendUtf8(result, static_cast<char32_t>(character));
        }
        return result;
    }
}
