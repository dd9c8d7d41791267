#include "mire/stringRegistry/StringRegistry.h"

#include "mire/core/Assert.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_set>
#include <vector>

namespace Vela
{
    namespace
    {
        struct TextHash
        {
            size_t operator()(std::string_view aText) const noexcept { return static_cast<size_t>(HashFnv1a(aText)); }
        };

        // Keys are views of the stored characters themselves (a copy or a static literal).
        class Registry
        {
        public:
            Registry()
            {
                myTexts.max_load_factor(1.0f);
                myTexts.reserve(8);
            }

            const char* Find(std::string_view aText) const
            {
                const auto found = myTexts.find(aText);
                return found == myTexts.end() ? nullptr : found->data();
            }

            const char* StoreCopy(std::string_view aText)
            {
                const size_t needed = aText.size() + 1;
                if (needed > myBytesLeft)
                {
                    // The tail of the previous block is abandoned.
                    myBlocks.push_back(std::make_unique<char[]>(STRING_REGISTRY_BLOCK_SIZE));
                    myBytesLeft = STRING_REGISTRY_BLOCK_SIZE;
                }
                char* copy = myBlocks.back().get() + (STRING_REGISTRY_BLOCK_SIZE - myBytesLeft);
                myBytesLeft -= needed;
                std::memcpy(copy, aText.data(), aText.size());
                myTexts.emplace(copy, aText.size());
                return copy;
            }

            void StoreLiteral(const char* aLiteral, size_t aLength) { myTexts.emplace(aLiteral, aLength); }

            size_t BlockCount() const { return myBlocks.size(); }
            size_t TextCount() const { return myTexts.size(); }

        private:
            std::unordered_set<std::string_view, TextHash> myTexts;
            std::vector<std::unique_ptr<char[]>> myBlocks; // make_unique<char[]> value-initialises: zero-filled
            size_t myBytesLeft = 0;
        };

        std::mutex ourMutex;
        // Never destroyed: ids must stay valid for code that runs during static destruction.
        Registry& TheRegistry()
        {
            static Registry* registry = new Registry();
            return *registry;
        }

        std::string_view UpToFirstNul(std::string_view aText)
        {
            const size_t nul = aText.find('\0');
            return nul == std::string_view::npos ? aText : aText.substr(0, nul);
        }
    }

    StringId StringRegistry::RegisterOrGetString(std::string_view aString)
    {
        aString = UpToFirstNul(aString);
        if (aString.size() + 1 > STRING_REGISTRY_SIZE_LIMIT)
        {
            VELA_ASSERT(aString.size() + 1 <= STRING_REGISTRY_SIZE_LIMIT);
            return StringId();
        }
        if (aString.empty())
        {
            return StringId();
        }

        std::lock_guard lock(ourMutex);
        Registry& registry = TheRegistry();
        if (const char* existing = registry.Find(aString))
        {
            return StringId(existing);
        }
        return StringId(registry.StoreCopy(aString));
    }

    StringId StringRegistry::RegisterStaticString(const char* aLiteral, size_t aLength)
    {
        if (aLength == 0 || aLiteral == nullptr)
        {
            return StringId();
        }
        // Keyed by the literal's characters up to its NUL, which is exactly what the id spells.
        const std::string_view text(aLiteral);
        if (text.empty())
        {
            return StringId();
        }

        std::lock_guard lock(ourMutex);
        Registry& registry = TheRegistry();
        if (const char* existing = registry.Find(text))
        {
            return StringId(existing);
        }
        registry.StoreLiteral(aLiteral, text.size());
        return StringId(aLiteral);
    }

    size_t StringRegistry::GetBlockCount()
    {
        std::lock_guard lock(ourMutex);
        return TheRegistry().BlockCount();
    }

    size_t StringRegistry::GetStringCount()
    {
        std::lock_guard lock(ourMutex);
        return TheRegistry().TextCount();
    }
}
