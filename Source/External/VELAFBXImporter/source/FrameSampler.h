#pragma once
// Samples the frames of one take into the bone, socket and event maps of the animation records.
#include "ImporterInternal.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace VelaFBX
{
    // The frames are independent and may be sampled on several threads at once (the scene is only
    // read; its evaluation cache is per thread). Nodes are found by name once. The first frame's bone
    // maps are built entry by entry; every later frame copies them (no hashing, no rehashing) and then
    // overwrites the values that can differ, in the copy's own order. A node without animation gives
    // the same transforms at every time, so what depends on such nodes only is worked out for the
    // first frame and kept.
    class FrameSampler
    {
    public:
        // One thread's working space, by bone.
        struct Scratch
        {
            std::vector<Vela::Fbx::AMatrix> globals, inverses;
            std::vector<Matrix4x4f> locals, globalsFloat;
        };

        FrameSampler(const Vela::Fbx::Scene& aScene, const Skeleton& aSkeleton, const std::vector<Bone>& someEvents,
                     const std::vector<Socket>& someSockets);

        // The frame that every later one copies its bone maps from.
        void SampleFirst(Vela::Fbx::Time aTime, AnimationFrame& aFrame);
        // Whether a later frame can differ from the first at all.
        bool HasAnimation() const;
        // Called once after SampleFirst when more frames follow.
        void PrepareCopies();
        void Sample(Vela::Fbx::Time aTime, AnimationFrame& aFrame, Scratch& aScratch) const;

    private:
        using BoneMap = std::unordered_map<std::string, Matrix4x4f>;

        // A map entry that later frames rewrite: its place in the map's order and its bone.
        struct EntryUpdate
        {
            size_t entry;
            size_t bone;
        };

        static bool IsAnimated(const Vela::Fbx::Node* aNode);
        bool HasParentBone(size_t aBone) const;
        // Every bone for the first frame; later only those that can differ from it.
        void EvaluateBones(Vela::Fbx::Time aTime, Scratch& aScratch, bool aEvery) const;
        Matrix4x4f SocketMatrix(size_t aSocket, Vela::Fbx::Time aTime) const;
        bool IsEventActive(size_t aEvent, Vela::Fbx::Time aTime) const;
        void FillSocketsAndEvents(Vela::Fbx::Time aTime, AnimationFrame& aFrame) const;
        std::vector<EntryUpdate> FindUpdates(const BoneMap& someEntries, const std::vector<bool>& someAnimated,
                                             const std::vector<Matrix4x4f>& someFirstValues) const;
        static void Update(BoneMap& someEntries, const std::vector<EntryUpdate>& someUpdates, const std::vector<bool>& someAnimated,
                           const std::vector<Matrix4x4f>& someValues, const std::vector<Matrix4x4f>& someFirstValues);

        const Skeleton& mySkeleton;
        const std::vector<Bone>& myEvents;
        const std::vector<Socket>& mySockets;
        std::vector<const Vela::Fbx::Node*> myBoneNodes, mySocketNodes, myEventNodes;
        std::vector<bool> myIsParent;        // some later bone is relative to this one
        std::vector<bool> myGlobalAnimated;  // the bone's global can change from frame to frame
        std::vector<bool> myLocalAnimated;   // its transform relative to its parent bone can
        bool myBonesAnimated = false;        // any of those
        const AnimationFrame* myFirst = nullptr;
        Scratch myFirstValues;
        std::vector<Matrix4x4f> myFirstSockets;
        std::vector<bool> myFirstEvents;
        std::vector<EntryUpdate> myLocalUpdates, myGlobalUpdates;
    };
}
