#pragma once
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace Vela
{
    class Model;
    struct Animation;

    namespace impl
    {
        constexpr uint64_t Fnv1a64(const void* someBytes, size_t aSize)
        {
            uint64_t hash = 0xcbf29ce484222325ull;
            const auto* bytes = static_cast<const unsigned char*>(someBytes);
            for (size_t i = 0; i < aSize; ++i)
            {
                hash ^= bytes[i];
                hash *= 0x100000001b3ull;
            }
            return hash;
        }

        struct PathHash
        {
            size_t operator()(const std::string& aPath) const { return Fnv1a64(aPath.data(), aPath.size()); }
        };

        // A clip is converted against one model's skeleton, so the model is part of its key.
        struct AnimationKey
        {
            std::string myPath;
            const Model* myModel = nullptr;
            bool operator==(const AnimationKey&) const = default;
        };

        struct AnimationKeyHash
        {
            size_t operator()(const AnimationKey& aKey) const
            {
                uint64_t pointer = reinterpret_cast<uintptr_t>(aKey.myModel);
                unsigned char bytes[8];
                for (int i = 0; i < 8; ++i)
                {
                    bytes[i] = static_cast<unsigned char>(pointer >> (8 * i));
                }
                return Fnv1a64(aKey.myPath.data(), aKey.myPath.size()) * 31u + Fnv1a64(bytes, sizeof(bytes));
            }
        };

        // The model is held weakly: once it is gone its address may be reused by a reloaded model with a
        // different skeleton, and the clip must then be converted again.
        struct AnimationCacheEntry
        {
            std::weak_ptr<Model> myModel;
            std::shared_ptr<Animation> myAnimation;
        };
    }
}
