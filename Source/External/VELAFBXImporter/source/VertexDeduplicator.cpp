// Vertex de-duplication by VertexHash, with a cheap first look-up for repeated corners.
#include "ImporterInternal.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace VelaFBX
{
    namespace
    {
        constexpr size_t FIRST_BONE_INDEX = 3 + 16 + 8 + 9;
        static_assert(offsetof(Vertex, colors) == 16 && sizeof(Vertex) == 16 + (VertexDeduplicator::HASHED_VALUES - 3) * 4,
                      "the hashed values follow the position without gaps");

        // A fast mix of the values (four independent lanes), only for finding repeats of the same values.
        uint64_t CheapHash(const VertexDeduplicator::Values& someValues)
        {
            uint64_t words[VertexDeduplicator::HASHED_VALUES / 2];
            std::memcpy(words, someValues.data(), sizeof(words));
            uint64_t lanes[4] = {0x243F6A8885A308D3ull, 0x13198A2E03707344ull, 0xA4093822299F31D0ull, 0x082EFA98EC4E6C89ull};
            for (size_t i = 0; i < std::size(words); ++i)
            {
                uint64_t& lane = lanes[i % 4];
                lane = (lane ^ words[i]) * 0x9E3779B97F4A7C15ull;
                lane ^= lane >> 29;
            }
            uint64_t hash = lanes[0] ^ (lanes[1] * 0xBF58476D1CE4E5B9ull) ^ (lanes[2] * 0x94D049BB133111EBull) ^ (lanes[3] * 0xD6E8FEB86659FD93ull);
            return hash ^ (hash >> 31);
        }

        size_t SlotOf(uint64_t aKey, uint64_t aMask) { return static_cast<size_t>((aKey ^ (aKey >> 32)) & aMask); }
    }

    void VertexDeduplicator::GetHashedValues(const Vertex& aVertex, Values& aOut)
    {
        std::memcpy(aOut.data(), aVertex.position, 3 * sizeof(uint32_t));
        std::memcpy(aOut.data() + 3, aVertex.colors, (HASHED_VALUES - 3) * sizeof(uint32_t));
        for (size_t i = 0; i < HASHED_VALUES; ++i)
        {
            const bool isFloat = i < FIRST_BONE_INDEX || i >= FIRST_BONE_INDEX + 4;
            if (isFloat && (aOut[i] & 0x7FFFFFFFu) == 0)
                aOut[i] = 0;
        }
    }

    uint64_t VertexDeduplicator::HashValues(const Values& someValues)
    {
        // Each value's FNV-1a 64 over its little-endian bytes, all independent of one another so the
        // processor works on several at once; then the running combination, in order.
        uint64_t hashes[HASHED_VALUES];
        for (size_t i = 0; i < HASHED_VALUES; ++i)
        {
            uint64_t hash = 0xcbf29ce484222325ull;
            for (int byte = 0; byte < 4; ++byte)
            {
                hash ^= (someValues[i] >> (8 * byte)) & 0xFFu;
                hash *= 0x100000001b3ull;
            }
            hashes[i] = hash;
        }
        uint64_t seed = 0;
        for (uint64_t hash : hashes)
            seed ^= hash + 0x9e3779b9ull + (seed << 6) + (seed >> 2);
        return seed;
    }

    uint64_t VertexHash(const Vertex& aVertex)
    {
        VertexDeduplicator::Values values;
        VertexDeduplicator::GetHashedValues(aVertex, values);
        return VertexDeduplicator::HashValues(values);
    }

    void VertexDeduplicator::Reset(size_t aCorners)
    {
        size_t capacity = 16;
        while (capacity < aCorners * 2)
            capacity *= 2;
        myValues.clear();
        myValueKeys.clear();
        myValueIndices.clear();
        myHashes.clear();
        myHashIndices.clear();
        Rebuild(capacity);
    }

    void VertexDeduplicator::Rebuild(size_t aCapacity)
    {
        myMask = aCapacity - 1;
        myByValues.assign(aCapacity, EMPTY);
        myByHash.assign(aCapacity, EMPTY);
        for (uint32_t entry = 0; entry < myValueKeys.size(); ++entry)
        {
            size_t slot = SlotOf(myValueKeys[entry], myMask);
            while (myByValues[slot] != EMPTY)
                slot = (slot + 1) & myMask;
            myByValues[slot] = entry;
        }
        for (uint32_t entry = 0; entry < myHashes.size(); ++entry)
        {
            size_t slot = SlotOf(myHashes[entry], myMask);
            while (myByHash[slot] != EMPTY)
                slot = (slot + 1) & myMask;
            myByHash[slot] = entry;
        }
    }

    uint32_t VertexDeduplicator::Add(const Vertex& aVertex, std::vector<Vertex>& someVertices)
    {
        // At most half full, so probes stay short (and always end).
        if ((myValues.size() + 1) * 2 > myByValues.size())
            Rebuild(std::max<size_t>(16, myByValues.size() * 2));
        Values values;
        GetHashedValues(aVertex, values);
        const uint64_t cheap = CheapHash(values);
        size_t slot = SlotOf(cheap, myMask);
        for (; myByValues[slot] != EMPTY; slot = (slot + 1) & myMask)
        {
            const uint32_t entry = myByValues[slot];
            if (myValueKeys[entry] == cheap && myValues[entry] == values)
                return myValueIndices[entry];
        }

        // Values not met before: their vertex is the first with an equal VertexHash, or a new one.
        const uint64_t hash = HashValues(values);
        size_t hashSlot = SlotOf(hash, myMask);
        while (myByHash[hashSlot] != EMPTY && myHashes[myByHash[hashSlot]] != hash)
            hashSlot = (hashSlot + 1) & myMask;
        if (myByHash[hashSlot] == EMPTY)
        {
            myByHash[hashSlot] = static_cast<uint32_t>(myHashes.size());
            myHashes.push_back(hash);
            myHashIndices.push_back(static_cast<uint32_t>(someVertices.size()));
            someVertices.push_back(aVertex);
        }
        const uint32_t index = myHashIndices[myByHash[hashSlot]];
        myByValues[slot] = static_cast<uint32_t>(myValues.size());
        myValues.push_back(values);
        myValueKeys.push_back(cheap);
        myValueIndices.push_back(index);
        return index;
    }
}
