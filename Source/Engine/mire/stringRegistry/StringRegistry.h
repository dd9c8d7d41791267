#pragma once
#include "mire/stringRegistry/StringId.h"

#include <cstddef>
#include <string_view>

namespace Vela
{
    // Texts of this many bytes or more (counting the terminating NUL) are refused.
    constexpr size_t STRING_REGISTRY_SIZE_LIMIT = 1024;
    // Interned copies are packed into zero-filled blocks of this size that live until exit.
    constexpr size_t STRING_REGISTRY_BLOCK_SIZE = 0x100000;

    // The process-wide set of interned strings. Safe to use from several threads at once.
    // Text is cut at its first NUL, for registration and lookup alike, so an id always spells
    // exactly the characters it is keyed by.
    class StringRegistry
    {
    public:
        // Interns a copy of the text (or finds the existing id). Empty text gives the empty id;
        // text that is too long is reported and gives the empty id without being stored.
        static StringId RegisterOrGetString(std::string_view aString);

        // For literals that live as long as the program: the literal's own address becomes the id
        // unless equal text is registered already.
        static StringId RegisterStaticString(const char* aLiteral, size_t aLength);

        // Diagnostics for tests: how many 1 MiB blocks and how many distinct texts are held.
        static size_t GetBlockCount();
        static size_t GetStringCount();
    };

    inline namespace Literals
    {
        // "level_0"_sid: the literal's id, interned once per call site's text (see RegisterStaticString).
        inline StringId operator""_sid(const char* aLiteral, size_t aLength)
        {
            return StringRegistry::RegisterStaticString(aLiteral, aLength);
        }
    }
}
