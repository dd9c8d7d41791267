// LoadAnimation: the first take sampled frame by frame into bone, socket and event tracks.
#include "ImporterInternal.h"
#include "Platform/fbx/FbxParallel.h"
#include "VelaFBXImporter.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace VelaFBX
{
    namespace
    {
        using namespace Vela::Fbx;

        // A damaged time span must not allocate without bound (about nine hours at 30 fps).
        constexpr int64_t MAX_FRAME_COUNT = 1000000;
        constexpr size_t FRAMES_PER_RANGE = 4;

        // Stored doubles narrowed to floats element by element, as ConvertMatrix gives them.
        void NarrowMatrix(const AMatrix& aMatrix, Matrix4x4f& aOut)
        {
            const double* values = aMatrix.GetData();
            for (size_t i = 0; i < 16; ++i)
                aOut[i] = static_cast<float>(values[i]);
        }

        // Samples the frames of one take; the frames are independent and may be sampled on several
        // threads at once (the scene is only read; its evaluation cache is per thread). Nodes are found
        // by name once. The first frame's bone maps are built entry by entry; every later frame copies
        // them (no hashing, no rehashing) and then overwrites the values that can differ, in the copy's
        // own order. A node without animation gives the same transforms at every time, so what
        // depends on such nodes only is worked out for the first frame and kept.
        class FrameSampler
        {
        public:
            // One thread's working space, by bone.
            struct Scratch
            {
                std::vector<AMatrix> globals, inverses;
                std::vector<Matrix4x4f> locals, globalsFloat;
            };

            FrameSampler(const Scene& aScene, const Skeleton& aSkeleton, const std::vector<Bone>& someEvents, const std::vector<Socket>& someSockets)
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

            // The frame that every later one copies its bone maps from.
            void SampleFirst(Time aTime, AnimationFrame& aFrame)
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

            // Whether a later frame can differ from the first at all.
            bool HasAnimation() const
            {
                const auto animated = [](const std::vector<const Node*>& someNodes) {
                    return std::any_of(someNodes.begin(), someNodes.end(), IsAnimated);
                };
                return animated(myBoneNodes) || animated(mySocketNodes) || animated(myEventNodes);
            }

            // Called once after SampleFirst when more frames follow.
            void PrepareCopies()
            {
                myLocalUpdates = FindUpdates(myFirst->localTransforms, myLocalAnimated, myFirstValues.locals);
                myGlobalUpdates = FindUpdates(myFirst->globalTransforms, myGlobalAnimated, myFirstValues.globalsFloat);
            }

            void Sample(Time aTime, AnimationFrame& aFrame, Scratch& aScratch) const
            {
                if (myBonesAnimated)
                    EvaluateBones(aTime, aScratch, false);
                aFrame.localTransforms = myFirst->localTransforms;
                aFrame.globalTransforms = myFirst->globalTransforms;
                Update(aFrame.localTransforms, myLocalUpdates, myLocalAnimated, aScratch.locals, myFirstValues.locals);
                Update(aFrame.globalTransforms, myGlobalUpdates, myGlobalAnimated, aScratch.globalsFloat, myFirstValues.globalsFloat);
                FillSocketsAndEvents(aTime, aFrame);
            }

        private:
            using BoneMap = std::unordered_map<std::string, Matrix4x4f>;

            // A map entry that later frames rewrite: its place in the map's order and its bone.
            struct EntryUpdate
            {
                size_t entry;
                size_t bone;
            };

            static bool IsAnimated(const Node* aNode) { return aNode && aNode->IsTransformAnimated(); }

            bool HasParentBone(size_t aBone) const
            {
                const int32_t parent = mySkeleton.bones[aBone].parent;
                return parent >= 0 && static_cast<size_t>(parent) < aBone;
            }

            // Every bone for the first frame; later only those that can differ from it.
            void EvaluateBones(Time aTime, Scratch& aScratch, bool aEvery) const
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
                        NarrowMatrix(aScratch.globals[b], aScratch.globalsFloat[b]);
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
                        NarrowMatrix(source.inverses[parent] * global, aScratch.locals[b]);
                    }
                    else
                        NarrowMatrix(global, aScratch.locals[b]);
                }
            }

            Matrix4x4f SocketMatrix(size_t aSocket, Time aTime) const
            {
                Matrix4x4f matrix;
                if (mySocketNodes[aSocket])
                    NarrowMatrix(mySocketNodes[aSocket]->EvaluateGlobalTransform(aTime), matrix);
                return matrix;
            }

            bool IsEventActive(size_t aEvent, Time aTime) const
            {
                if (!myEventNodes[aEvent])
                    return false;
                Matrix4x4f local;
                NarrowMatrix(myEventNodes[aEvent]->EvaluateLocalTransform(aTime), local);
                // A marker is switched on by moving it off its rest position along any axis.
                const float sum = local[12] + local[13] + local[14];
                return sum * sum > 0.0f;
            }

            void FillSocketsAndEvents(Time aTime, AnimationFrame& aFrame) const
            {
                for (size_t s = 0; s < mySockets.size(); ++s)
                    aFrame.socketTransforms[mySockets[s].nodeName] = IsAnimated(mySocketNodes[s]) ? SocketMatrix(s, aTime) : myFirstSockets[s];
                for (size_t e = 0; e < myEvents.size(); ++e)
                    if (IsAnimated(myEventNodes[e]) ? IsEventActive(e, aTime) : myFirstEvents[e])
                        aFrame.activeEvents[myEvents[e].nodeName] = true;
            }

            // The entries of the first frame's map that a later frame may hold otherwise: those of
            // animated bones, and any whose first value came from another bone of the same name.
            std::vector<EntryUpdate> FindUpdates(const BoneMap& someEntries, const std::vector<bool>& someAnimated,
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

            static void Update(BoneMap& someEntries, const std::vector<EntryUpdate>& someUpdates, const std::vector<bool>& someAnimated,
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

            const Skeleton& mySkeleton;
            const std::vector<Bone>& myEvents;
            const std::vector<Socket>& mySockets;
            std::vector<const Node*> myBoneNodes, mySocketNodes, myEventNodes;
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

        void SampleTake(const std::string& aPath, const Scene& aScene, const Skeleton& aSkeleton,
                        const std::vector<Bone>& someEvents, const std::vector<Socket>& someSockets, ImportedAnimation& aOut)
        {
            const AnimStack* stack = aScene.GetAnimStack(0);
            if (!stack)
                ThrowImportError("The file [" + aPath + "] has no animation stack!");

            const GlobalSettings& settings = aScene.GetGlobalSettings();
            TakeInfo fallback;
            fallback.localTimeSpan = settings.GetTimelineDefaultTimeSpan();
            const TakeInfo* take = aScene.GetTakeInfo(stack->GetName());
            if (!take)
                take = &fallback;

            const TimeMode mode = settings.GetTimeMode();
            const double customRate = settings.GetCustomFrameRate();
            const double frameRate = Time::GetFrameRate(mode, customRate);
            const Time start = take->localTimeSpan.GetStart();
            const Time stop = take->localTimeSpan.GetStop();
            const int64_t first = start.GetFrameCount(mode, customRate);
            const int64_t last = stop.GetFrameCount(mode, customRate);

            // A stop before the start is an empty clip, not a negative size.
            int64_t frameCount = 0;
            if (last >= first)
            {
                if (static_cast<double>(last) - static_cast<double>(first) + 1.0 > static_cast<double>(MAX_FRAME_COUNT))
                    ThrowImportError("The file [" + aPath + "] has a take of more than " + std::to_string(MAX_FRAME_COUNT) + " frames");
                frameCount = last - first + 1;
            }

            aOut.name = aPath;
            aOut.frameCount = frameCount;
            aOut.frameRate = static_cast<float>(frameRate);
            aOut.frames.resize(static_cast<size_t>(frameCount));
            aOut.duration = frameCount > 0 ? stop.GetSecondDouble() - start.GetSecondDouble() : 0.0;

            if (frameCount == 0)
                return;
            FrameSampler sampler(aScene, aSkeleton, someEvents, someSockets);
            auto frameTime = [&](size_t aFrame) {
                Time time;
                time.SetFrame(first + static_cast<int64_t>(aFrame), mode, customRate);
                return time;
            };
            sampler.SampleFirst(frameTime(0), aOut.frames[0]);
            if (frameCount == 1)
                return;
            sampler.PrepareCopies();
            auto sampleRange = [&](size_t aBegin, size_t aEnd) {
                FrameSampler::Scratch scratch;
                for (size_t frame = aBegin + 1; frame <= aEnd; ++frame)
                    sampler.Sample(frameTime(frame), aOut.frames[frame], scratch);
            };
            // Evaluation is worth spreading over threads, a few frames per range. Frames that only
            // copy the first one are allocation alone, which is cheapest on the calling thread: its
            // own heap, where the caller later frees them.
            const size_t laterFrames = static_cast<size_t>(frameCount) - 1;
            if (sampler.HasAnimation())
                ParallelFor(laterFrames, FRAMES_PER_RANGE, sampleRange);
            else
                sampleRange(0, laterFrames);
        }
    }

    bool LoadAnimation(const std::string& aPath, ImportedAnimation& aOut)
    {
        ImporterState& state = GetImporterState();
        std::lock_guard lock(state.importMutex);

        ImportSession session(state);
        if (!session.Open(state, aPath, "Failed to create the FBX Importer! Error was: the library is not initialised (InitImporter was not called)."))
        {
            return false;
        }
        Importer& importer = *session.importer;
        Scene& scene = *session.scene;
        if (importer.Import(&scene, false))
        {
            state.targetAxisSystem.DeepConvertScene(&scene);

            Skeleton skeleton;
            std::vector<Bone> events;
            std::vector<Socket> sockets;
            const Node* root = scene.GetRootNode();
            if (!root || !GatherBones(root, skeleton, events, sockets, -1))
                ThrowImportError("The file [" + aPath + "] has no skeleton!");
            for (const Bone& marker : events)
                aOut.eventNames.push_back(marker.nodeName);
            if (importer.GetAnimStackCount() == 0)
                ThrowImportError("The file [" + aPath + "] has no animation stack!");
            SampleTake(aPath, scene, skeleton, events, sockets, aOut);
        }

        if (importer.GetStatus().Error())
            ThrowImportError("Failed to import the animation. " + importer.GetStatus().GetErrorString());
        return true;
    }
}
