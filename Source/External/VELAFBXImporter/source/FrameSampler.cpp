#include "FrameSampler.h"

#include <algorithm>
#include <cstring>

namespace VelaFBX
{
    using namespace Vela::Fbx;

    FrameSampler::FrameSampler(const Scene& aScene, const Skeleton& aSkeleton, const std::vector<Bone>& someEvents,
                               const std::vector<Socket>& someSockets)
        : mySkeleton(aSkeleton), myEvents(someEvents), mySockets(someSockets)
    {
        const size_t boneCount = aSkeleton.bones.size();
        for (const Bone& bone : aSkeleton.bones)
            myBoneNodes.push_back(aScene.FindNodeByName(bone.nodeName));
        for (const Socket& socket : someSockets)
            mySocketNodes.push_back(aScene.FindNodeByName(socket.nodeName));
        for (const Bone& marker : someEvents)
            myEventNodes.push_back(aScene.FindNodeByName(marker.nodeName));
        myIsParent.assign(boneCount, false);
        myGlobalAnimated.assign(boneCount, false);
        myLocalAnimated.assign(boneCount, false);
        for (size_t b = 0; b < boneCount; ++b)
        {
            myGlobalAnimated[b] = IsAnimated(myBoneNodes[b]);
            myLocalAnimated[b] = myGlobalAnimated[b];
            if (HasParentBone(b))
            {
                const auto parent = static_cast<size_t>(aSkeleton.bones[b].parent);
                myIsParent[parent] = true;
                if (myGlobalAnimated[parent])
                    myLocalAnimated[b] = true;
            }
            myBonesAnimated = myBonesAnimated || myLocalAnimated[b];
        }
    }

    void FrameSampler::SampleFirst(Time aTime, AnimationFrame& aFrame)
    {
        EvaluateBones(aTime, myFirstValues, true);
        const size_t boneCount = mySkeleton.bones.size();
        aFrame.globalTransforms.reserve(boneCount);
        aFrame.localTransforms.reserve(boneCount);
        for (size_t b = 0; b < boneCount; ++b)
        {
            aFrame.localTransforms[mySkeleton.bones[b].name] = myFirstValues.locals[b];
            aFrame.globalTransforms[mySkeleton.bones[b].name] = myFirstValues.globalsFloat[b];
        }
        for (size_t s = 0; s < mySockets.size(); ++s)
            myFirstSockets.push_back(SocketMatrix(s, aTime));
        for (size_t e = 0; e < myEvents.size(); ++e)
            myFirstEvents.push_back(IsEventActive(e, aTime));
        FillSocketsAndEvents(aTime, aFrame);
        myFirst = &aFrame;
    }

    bool FrameSampler::HasAnimation() const
    {
        const auto animated = [](const std::vector<const Node*>& someNodes) {
            return std::any_of(someNodes.begin(), someNodes.end(), IsAnimated);
        };
        return animated(myBoneNodes) || animated(mySocketNodes) || animated(myEventNodes);
    }

    void FrameSampler::PrepareCopies()
    {
        myLocalUpdates = FindUpdates(myFirst->localTransforms, myLocalAnimated, myFirstValues.locals);
        myGlobalUpdates = FindUpdates(myFirst->globalTransforms, myGlobalAnimated, myFirstValues.globalsFloat);
    }

    void FrameSampler::Sample(Time aTime, AnimationFrame& aFrame, Scratch& aScratch) const
    {
        if (myBonesAnimated)
            EvaluateBones(aTime, aScratch, false);
        aFrame.localTransforms = myFirst->localTransforms;
        aFrame.globalTransforms = myFirst->globalTransforms;
        Update(aFrame.localTransforms, myLocalUpdates, myLocalAnimated, aScratch.locals, myFirstValues.locals);
        Update(aFrame.globalTransforms, myGlobalUpdates, myGlobalAnimated, aScratch.globalsFloat, myFirstValues.globalsFloat);
        FillSocketsAndEvents(aTime, aFrame);
    }

    bool FrameSampler::IsAnimated(const Node* aNode) { return aNode && aNode->IsTransformAnimated(); }

    bool FrameSampler::HasParentBone(size_t aBone) const
    {
        const int32_t parent = mySkeleton.bones[aBone].parent;
        return parent >= 0 && static_cast<size_t>(parent) < aBone;
    }

    void FrameSampler::EvaluateBones(Time aTime, Scratch& aScratch, bool aEvery) const
    {
        const size_t boneCount = mySkeleton.bones.size();
        aScratch.globals.resize(boneCount);
        aScratch.inverses.resize(boneCount);
        aScratch.locals.resize(boneCount);
        aScratch.globalsFloat.resize(boneCount);
        for (size_t b = 0; b < boneCount; ++b)
        {
            const bool globalChanges = aEvery || myGlobalAnimated[b];
            if (globalChanges)
            {
                aScratch.globals[b] = myBoneNodes[b] ? myBoneNodes[b]->EvaluateGlobalTransform(aTime) : AMatrix();
                // A parent comes before its children: its inverse is worked out once for all of them.
                if (myIsParent[b])
                    aScratch.inverses[b] = aScratch.globals[b].Inverse();
                ConvertMatrix(aScratch.globals[b], aScratch.globalsFloat[b]);
            }
            if (!aEvery && !myLocalAnimated[b])
                continue;
            const AMatrix& global = globalChanges ? aScratch.globals[b] : myFirstValues.globals[b];
            // Relative to the parent bone, not the parent node: nulls between bones (an armature
            // above the root, a group between two joints) then stay in the chained skeleton pose.
            if (HasParentBone(b))
            {
                const auto parent = static_cast<size_t>(mySkeleton.bones[b].parent);
                const Scratch& source = aEvery || myGlobalAnimated[parent] ? aScratch : myFirstValues;
                ConvertMatrix(source.inverses[parent] * global, aScratch.locals[b]);
            }
            else
                ConvertMatrix(global, aScratch.locals[b]);
        }
    }

    Matrix4x4f FrameSampler::SocketMatrix(size_t aSocket, Time aTime) const
    {
        Matrix4x4f matrix;
        if (mySocketNodes[aSocket])
            ConvertMatrix(mySocketNodes[aSocket]->EvaluateGlobalTransform(aTime), matrix);
        return matrix;
    }

    bool FrameSampler::IsEventActive(size_t aEvent, Time aTime) const
    {
        if (!myEventNodes[aEvent])
            return false;
        Matrix4x4f local;
        ConvertMatrix(myEventNodes[aEvent]->EvaluateLocalTransform(aTime), local);
        // A marker is switched on by moving it off its rest position along any axis.
        const float sum = local[12] + local[13] + local[14];
        return sum * sum > 0.0f;
    }

    void FrameSampler::FillSocketsAndEvents(Time aTime, AnimationFrame& aFrame) const
    {
        for (size_t s = 0; s < mySockets.size(); ++s)
            aFrame.socketTransforms[mySockets[s].nodeName] = IsAnimated(mySocketNodes[s]) ? SocketMatrix(s, aTime) : myFirstSockets[s];
        for (size_t e = 0; e < myEvents.size(); ++e)
            if (IsAnimated(myEventNodes[e]) ? IsEventActive(e, aTime) : myFirstEvents[e])
                aFrame.activeEvents[myEvents[e].nodeName] = true;
    }

    // The entries of the first frame's map that a later frame may hold otherwise: those of animated
    // bones, and any whose first value came from another bone of the same name.
    std::vector<FrameSampler::EntryUpdate> FrameSampler::FindUpdates(const BoneMap& someEntries, const std::vector<bool>& someAnimated,
                                                                     const std::vector<Matrix4x4f>& someFirstValues) const
    {
        std::vector<EntryUpdate> updates;
        size_t entry = 0;
        for (const auto& [name, value] : someEntries)
        {
            const size_t bone = mySkeleton.boneIndices.at(name);
            if (someAnimated[bone] || std::memcmp(value.values, someFirstValues[bone].values, sizeof(value.values)) != 0)
                updates.push_back({entry, bone});
            ++entry;
        }
        return updates;
    }

    void FrameSampler::Update(BoneMap& someEntries, const std::vector<EntryUpdate>& someUpdates, const std::vector<bool>& someAnimated,
                              const std::vector<Matrix4x4f>& someValues, const std::vector<Matrix4x4f>& someFirstValues)
    {
        if (someUpdates.empty())
            return;
        auto update = someUpdates.begin();
        size_t entry = 0;
        for (auto it = someEntries.begin(); it != someEntries.end() && update != someUpdates.end(); ++it, ++entry)
            if (update->entry == entry)
            {
                it->second = someAnimated[update->bone] ? someValues[update->bone] : someFirstValues[update->bone];
                ++update;
            }
    }
}
