// LoadAnimation: the first take sampled frame by frame into bone, socket and event tracks.
#include "ImporterInternal.h"
#include "Platform/fbx/FbxParallel.h"
#include "VelaFBXImporter.h"

#include <algorithm>
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
        // them (no hashing, no rehashing) and then overwrites the values in the copy's own order.
        class FrameSampler
        {
        public:
            // One thread's working space.
            struct Scratch
            {
                std::vector<AMatrix> globals, inverses;
                std::vector<Matrix4x4f> locals, globalsFloat;
            };

            FrameSampler(const Scene& aScene, const Skeleton& aSkeleton, const std::vector<Bone>& someEvents, const std::vector<Socket>& someSockets)
                : mySkeleton(aSkeleton), myEvents(someEvents), mySockets(someSockets)
            {
                for (const Bone& bone : aSkeleton.bones)
                    myBoneNodes.push_back(aScene.FindNodeByName(bone.nodeName));
                for (const Socket& socket : someSockets)
                    mySocketNodes.push_back(aScene.FindNodeByName(socket.nodeName));
                for (const Bone& marker : someEvents)
                    myEventNodes.push_back(aScene.FindNodeByName(marker.nodeName));
                myIsParent.assign(aSkeleton.bones.size(), false);
                for (size_t b = 0; b < aSkeleton.bones.size(); ++b)
                    if (HasParentBone(b))
                        myIsParent[static_cast<size_t>(aSkeleton.bones[b].parent)] = true;
            }

            // The frame that every later one copies its bone maps from.
            void SampleFirst(Time aTime, AnimationFrame& aFrame)
            {
                Scratch scratch;
                EvaluateBones(aTime, scratch);
                const size_t boneCount = mySkeleton.bones.size();
                aFrame.globalTransforms.reserve(boneCount);
                aFrame.localTransforms.reserve(boneCount);
                for (size_t b = 0; b < boneCount; ++b)
                {
                    aFrame.localTransforms[mySkeleton.bones[b].name] = scratch.locals[b];
                    aFrame.globalTransforms[mySkeleton.bones[b].name] = scratch.globalsFloat[b];
                }
                SampleSocketsAndEvents(aTime, aFrame);
                myFirst = &aFrame;
            }

            // Called once after SampleFirst when more frames follow.
            void PrepareCopies()
            {
                myLocalOrder = EntryBones(myFirst->localTransforms);
                myGlobalOrder = EntryBones(myFirst->globalTransforms);
            }

            void Sample(Time aTime, AnimationFrame& aFrame, Scratch& aScratch) const
            {
                EvaluateBones(aTime, aScratch);
                aFrame.localTransforms = myFirst->localTransforms;
                aFrame.globalTransforms = myFirst->globalTransforms;
                Overwrite(aFrame.localTransforms, myLocalOrder, aScratch.locals);
                Overwrite(aFrame.globalTransforms, myGlobalOrder, aScratch.globalsFloat);
                SampleSocketsAndEvents(aTime, aFrame);
            }

        private:
            using BoneMap = std::unordered_map<std::string, Matrix4x4f>;

            bool HasParentBone(size_t aBone) const
            {
                const int32_t parent = mySkeleton.bones[aBone].parent;
                return parent >= 0 && static_cast<size_t>(parent) < aBone;
            }

            void EvaluateBones(Time aTime, Scratch& aScratch) const
            {
                const size_t boneCount = mySkeleton.bones.size();
                aScratch.globals.resize(boneCount);
                aScratch.inverses.resize(boneCount);
                aScratch.locals.resize(boneCount);
                aScratch.globalsFloat.resize(boneCount);
                for (size_t b = 0; b < boneCount; ++b)
                {
                    const AMatrix& global = aScratch.globals[b] = myBoneNodes[b] ? myBoneNodes[b]->EvaluateGlobalTransform(aTime) : AMatrix();
                    // A parent comes before its children: its inverse is worked out once for all of them.
                    if (myIsParent[b])
                        aScratch.inverses[b] = global.Inverse();
                    // Relative to the parent bone, not the parent node: nulls between bones (an armature
                    // above the root, a group between two joints) then stay in the chained skeleton pose.
                    if (HasParentBone(b))
                        NarrowMatrix(aScratch.inverses[static_cast<size_t>(mySkeleton.bones[b].parent)] * global, aScratch.locals[b]);
                    else
                        NarrowMatrix(global, aScratch.locals[b]);
                    NarrowMatrix(global, aScratch.globalsFloat[b]);
                }
            }

            void SampleSocketsAndEvents(Time aTime, AnimationFrame& aFrame) const
            {
                for (size_t s = 0; s < mySockets.size(); ++s)
                {
                    Matrix4x4f matrix;
                    if (mySocketNodes[s])
                        NarrowMatrix(mySocketNodes[s]->EvaluateGlobalTransform(aTime), matrix);
                    aFrame.socketTransforms[mySockets[s].nodeName] = matrix;
                }
                for (size_t e = 0; e < myEvents.size(); ++e)
                {
                    if (!myEventNodes[e])
                        continue;
                    Matrix4x4f local;
                    NarrowMatrix(myEventNodes[e]->EvaluateLocalTransform(aTime), local);
                    // A marker is switched on by moving it off its rest position along any axis.
                    const float sum = local[12] + local[13] + local[14];
                    if (sum * sum > 0.0f)
                        aFrame.activeEvents[myEvents[e].nodeName] = true;
                }
            }

            // The bone whose value each entry takes, in the map's order (which its copies keep).
            std::vector<size_t> EntryBones(const BoneMap& someEntries) const
            {
                std::vector<size_t> order;
                order.reserve(someEntries.size());
                for (const auto& entry : someEntries)
                    order.push_back(mySkeleton.boneIndices.at(entry.first));
                return order;
            }

            static void Overwrite(BoneMap& someEntries, const std::vector<size_t>& anOrder, const std::vector<Matrix4x4f>& someValues)
            {
                size_t k = 0;
                for (auto& entry : someEntries)
                    entry.second = someValues[anOrder[k++]];
            }

            const Skeleton& mySkeleton;
            const std::vector<Bone>& myEvents;
            const std::vector<Socket>& mySockets;
            std::vector<const Node*> myBoneNodes, mySocketNodes, myEventNodes;
            std::vector<bool> myIsParent;  // some later bone is relative to this one
            const AnimationFrame* myFirst = nullptr;
            std::vector<size_t> myLocalOrder, myGlobalOrder;  // bone of each entry, in map order
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
            // A few frames per range: a frame is some tens of microseconds of work.
            ParallelFor(static_cast<size_t>(frameCount) - 1, FRAMES_PER_RANGE, [&](size_t aBegin, size_t aEnd) {
                FrameSampler::Scratch scratch;
                for (size_t frame = aBegin + 1; frame <= aEnd; ++frame)
                    sampler.Sample(frameTime(frame), aOut.frames[frame], scratch);
            });
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
