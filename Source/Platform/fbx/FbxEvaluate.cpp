#include "Platform/fbx/FbxScene.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cmath>
#include <vector>

namespace Vela::Fbx
{
    namespace
    {
        // Bezier segment with the curve's slopes and weights; with the default weights (1/3) time
        // runs linearly along the segment and this is plain Hermite interpolation.
        double EvaluateCubic(const AnimCurve::Key& aLeft, const AnimCurve::Key& aRight, double aFraction)
        {
            const double duration = static_cast<double>(aRight.time - aLeft.time) / static_cast<double>(Time::TICKS_PER_SECOND);
            const double w0 = aLeft.rightWeight;
            const double w1 = aLeft.nextLeftWeight;
            const double p1 = aLeft.value + aLeft.rightSlope * w0 * duration;
            const double p2 = aRight.value - aLeft.nextLeftSlope * w1 * duration;

            double u = aFraction;
            if (std::abs(w0 - 1.0 / 3.0) > 1e-6 || std::abs(w1 - 1.0 / 3.0) > 1e-6)
            {
                // Time along the segment is itself a cubic in u (monotonic for weights in [0, 1]).
                double low = 0.0, high = 1.0;
                for (int iteration = 0; iteration < 48; ++iteration)
                {
                    u = 0.5 * (low + high);
                    const double inverse = 1.0 - u;
                    const double x = 3.0 * inverse * inverse * u * w0 + 3.0 * inverse * u * u * (1.0 - w1) + u * u * u;
                    (x < aFraction ? low : high) = u;
                }
                u = 0.5 * (low + high);
            }
            const double inverse = 1.0 - u;
            return inverse * inverse * inverse * aLeft.value + 3.0 * inverse * inverse * u * p1 + 3.0 * inverse * u * u * p2 +
                   u * u * u * aRight.value;
        }

        // Splits a matrix's linear part into an orthonormal rotation and per-axis scale.
        void SplitRotationScale(const AMatrix& aMatrix, AMatrix& aRotation, Vector4& aScale)
        {
            Vector4 axes[3] = {aMatrix.GetRow(0), aMatrix.GetRow(1), aMatrix.GetRow(2)};
            aScale = Vector4(axes[0].Length3(), axes[1].Length3(), axes[2].Length3(), 0.0);
            // Gram-Schmidt, so a sheared parent still yields a proper rotation.
            Vector4 x = axes[0].Normalized3();
            Vector4 y = (axes[1] - x * x.Dot3(axes[1])).Normalized3();
            Vector4 z = x.Cross3(y);
            if (z.Dot3(axes[2]) < 0.0)
            {
                // Mirrored: keep the rotation proper and put the sign on the scale.
                z = z * -1.0;
                aScale.z = -aScale.z;
            }
            if (x.Length3() == 0.0 || y.Length3() == 0.0)
            {
                aRotation = AMatrix();
                return;
            }
            aRotation = AMatrix();
            aRotation.SetRow(0, {x.x, x.y, x.z, 0.0});
            aRotation.SetRow(1, {y.x, y.y, y.z, 0.0});
            aRotation.SetRow(2, {z.x, z.y, z.z, 0.0});
        }

        // Orthogonal linear rows of one length: a rotation with a uniform scale, which commutes with
        // any rotation, so there is no per-axis scale or shear to split off.
        bool IsUniformlyScaledRotation(const AMatrix& aMatrix)
        {
            const Vector4 x = aMatrix.GetRow(0), y = aMatrix.GetRow(1), z = aMatrix.GetRow(2);
            const double length = x.Dot3(x);
            const double tolerance = 1e-12 * length;
            return length > 0.0 && std::abs(y.Dot3(y) - length) < tolerance && std::abs(z.Dot3(z) - length) < tolerance &&
                   std::abs(x.Dot3(y)) < tolerance && std::abs(x.Dot3(z)) < tolerance && std::abs(y.Dot3(z)) < tolerance &&
                   x.Cross3(y).Dot3(z) > 0.0;
        }

        const char* const CHANNEL_NAMES[3] = {"X", "Y", "Z"};

        // The first channel named for aAxis, or -1.
        int32_t FindChannel(const AnimCurveNode* aCurveNode, int aAxis)
        {
            if (!aCurveNode)
                return -1;
            for (int i = 0; i < aCurveNode->GetChannelsCount(); ++i)
                if (aCurveNode->GetChannelName(i) == CHANNEL_NAMES[aAxis])
                    return i;
            return -1;
        }

        Vector4 ApplyChannels(const AnimCurveNode* aCurveNode, const int32_t someChannels[3], Vector4 aValue, Time aTime)
        {
            if (!aCurveNode)
                return aValue;
            for (int axis = 0; axis < 3; ++axis)
            {
                const int channel = someChannels[axis];
                if (channel < 0)
                    continue;
                const AnimCurve* curve = aCurveNode->GetCurve(channel);
                aValue[axis] = curve ? curve->Evaluate(aTime) : aCurveNode->GetChannelValue(channel);
            }
            return aValue;
        }

        Vector4 ApplyCurveNode(const AnimCurveNode* aCurveNode, Vector4 aValue, Time aTime)
        {
            const int32_t channels[3] = {FindChannel(aCurveNode, 0), FindChannel(aCurveNode, 1), FindChannel(aCurveNode, 2)};
            return ApplyChannels(aCurveNode, channels, aValue, aTime);
        }
    }

    // Evaluated transforms (file space) of one scene generation at one time, kept per thread: sampling
    // a clip asks for every bone's local and global in turn, and those share their ancestors' work.
    // Moving to another time drops those of animated nodes; moving to another scene, or a conversion
    // of the scene, starts afresh.
    class EvaluationCache
    {
    public:
        // This thread's cache, set to aNode's scene at aTime; null when the node has no place in it.
        static EvaluationCache* For(const Node& aNode, Time aTime)
        {
            const Scene* scene = aNode.GetScene();
            if (!scene || scene->myGeneration == 0 || aNode.myEvaluationSlot >= scene->myEvaluationSlots)
                return nullptr;
            thread_local EvaluationCache cache;
            if (cache.myGeneration != scene->myGeneration)
            {
                const size_t slots = scene->myEvaluationSlots;
                if (cache.myEntries.capacity() > 2 * slots + 256)
                    std::vector<Entry>().swap(cache.myEntries);  // do not keep a huge scene's worth around
                cache.myEntries.resize(slots);
                cache.myGeneration = scene->myGeneration;
                cache.myTime = aTime.Get();
                cache.myGenerationStamp = ++cache.myStamp;
                cache.ReadConversion(*scene);
            }
            else if (cache.myTime != aTime.Get())
            {
                cache.myTime = aTime.Get();
                ++cache.myStamp;
            }
            return &cache;
        }

        const AMatrix& Local(const Node& aNode)
        {
            Entry& entry = myEntries[aNode.myEvaluationSlot];
            if (!IsCurrent(entry.localStamp, aNode))
            {
                entry.local = aNode.ComputeLocal(Time(myTime));
                entry.localStamp = myStamp;
            }
            return entry.local;
        }

        const AMatrix& Global(const Node& aNode)
        {
            Entry& wanted = myEntries[aNode.myEvaluationSlot];
            if (IsCurrent(wanted.globalStamp, aNode))
                return wanted.global;
            // Up to the first ancestor already known (or the top), then back down, without recursion.
            myChain.clear();
            const Node* known = &aNode;
            for (; known && known->myEvaluationSlot < myEntries.size(); known = known->myParent)
            {
                if (IsCurrent(myEntries[known->myEvaluationSlot].globalStamp, *known))
                    break;
                myChain.push_back(known);
            }
            AMatrix outside;  // an ancestor outside the numbering (not expected) is worked out uncached
            const AMatrix* parent = nullptr;
            if (known && known->myEvaluationSlot < myEntries.size())
                parent = &myEntries[known->myEvaluationSlot].global;
            else if (known)
            {
                outside = known->ComputeGlobal(Time(myTime));
                parent = &outside;
            }
            for (auto node = myChain.rbegin(); node != myChain.rend(); ++node)
            {
                Entry& entry = myEntries[(*node)->myEvaluationSlot];
                const AMatrix& local = Local(**node);
                entry.global = parent ? (*node)->CombineWithParent(*parent, local, Time(myTime)) : local;
                entry.globalStamp = myStamp;
                parent = &entry.global;
            }
            return wanted.global;
        }

        // aNode's global when this cache holds it for the current time, else null (nothing is worked out).
        const AMatrix* KnownGlobal(const Node& aNode) const
        {
            const Entry& entry = myEntries[aNode.myEvaluationSlot];
            return IsCurrent(entry.globalStamp, aNode) ? &entry.global : nullptr;
        }

        const AMatrix& GlobalInverse(const Node& aNode)
        {
            Entry& entry = myEntries[aNode.myEvaluationSlot];
            if (!IsCurrent(entry.inverseStamp, aNode))
            {
                entry.globalInverse = Global(aNode).Inverse();
                entry.inverseStamp = myStamp;
            }
            return entry.globalInverse;
        }

        // C * aMatrix * C^-1 with the scene's conversion C, as the plain products give it.
        AMatrix Convert(const Scene& aScene, const AMatrix& aMatrix) const
        {
            if (!mySparseConversion)
                return aScene.myConversion * aMatrix * aScene.myInverseConversion;
            // Conversions are signed permutations and scales: every element of the product is then
            // one term of the full sums (the others are zero), taken in the same order.
            const double* matrix = aMatrix.GetData();
            const double* conversion = aScene.myConversion.GetData();
            const double* inverse = aScene.myInverseConversion.GetData();
            AMatrix result;
            for (int row = 0; row < 4; ++row)
            {
                const int from = myRowSource[row];
                double values[4];
                for (int column = 0; column < 4; ++column)
                {
                    const int to = myColumnSource[column];
                    values[column] = inverse[row * 4 + from] * (matrix[from * 4 + to] * conversion[to * 4 + column]);
                }
                result.SetRow(row, {values[0], values[1], values[2], values[3]});
            }
            return result;
        }

    private:
        // A node without animation keeps what was worked out at any time of this generation.
        bool IsCurrent(uint64_t aStamp, const Node& aNode) const
        {
            return aStamp == myStamp || (!aNode.myTransformAnimated && aStamp >= myGenerationStamp);
        }

        // Finds whether each column of C and each row of C^-1 holds exactly one non-zero, finite element.
        void ReadConversion(const Scene& aScene)
        {
            mySparseConversion = true;
            for (int i = 0; i < 4 && mySparseConversion; ++i)
            {
                int columnCount = 0, rowCount = 0;
                for (int k = 0; k < 4; ++k)
                {
                    const double inColumn = aScene.myConversion.Get(k, i);
                    const double inRow = aScene.myInverseConversion.Get(i, k);
                    if (!std::isfinite(inColumn) || !std::isfinite(inRow))
                        columnCount = rowCount = 2;
                    if (inColumn != 0.0)
                    {
                        ++columnCount;
                        myColumnSource[i] = k;
                    }
                    if (inRow != 0.0)
                    {
                        ++rowCount;
                        myRowSource[i] = k;
                    }
                }
                mySparseConversion = columnCount == 1 && rowCount == 1;
            }
        }

        struct Entry
        {
            uint64_t localStamp = 0, globalStamp = 0, inverseStamp = 0;  // valid when equal to myStamp
            AMatrix local, global, globalInverse;
        };
        uint64_t myGeneration = 0;
        int64_t myTime = 0;
        uint64_t myStamp = 0;
        uint64_t myGenerationStamp = 0;    // myStamp when this generation was taken up
        std::vector<Entry> myEntries;      // by node slot
        std::vector<const Node*> myChain;  // reused by Global
        bool mySparseConversion = false;
        int myColumnSource[4] = {0, 1, 2, 3};  // the row of C's one element in each column
        int myRowSource[4] = {0, 1, 2, 3};     // the column of C^-1's one element in each row
    };

    double AnimCurve::Evaluate(Time aTime) const
    {
        if (myKeys.empty())
            return myDefault;
        const int64_t time = aTime.Get();
        if (time < myKeys.front().time)
            return Extrapolate(time, true);
        if (time > myKeys.back().time)
            return Extrapolate(time, false);
        return EvaluateInside(time);
    }

    double AnimCurve::EvaluateInside(int64_t aTime) const
    {
        if (aTime <= myKeys.front().time)
            return myKeys.front().value;
        if (aTime >= myKeys.back().time)
            return myKeys.back().value;
        const auto right = std::upper_bound(myKeys.begin(), myKeys.end(), aTime,
                                            [](int64_t aTime, const Key& aKey) { return aTime < aKey.time; });
        const Key& next = *right;
        const Key& key = *(right - 1);
        if (aTime == key.time)
            return key.value;  // a key holds its own value at its time, whatever follows it
        const double span = static_cast<double>(next.time - key.time);
        if (span <= 0.0)
            return next.value;
        const double fraction = static_cast<double>(aTime - key.time) / span;
        switch (key.interpolation)
        {
        case Interpolation::Constant: return key.constantNext ? next.value : key.value;
        case Interpolation::Linear: return key.value + (next.value - key.value) * fraction;
        case Interpolation::Cubic:
        default: return EvaluateCubic(key, next, fraction);
        }
    }

    double AnimCurve::EndSlope(bool aBefore) const
    {
        if (myKeys.size() < 2)
            return 0.0;
        const Key& left = aBefore ? myKeys[0] : myKeys[myKeys.size() - 2];
        const Key& right = aBefore ? myKeys[1] : myKeys.back();
        const double seconds = static_cast<double>(right.time - left.time) / static_cast<double>(Time::TICKS_PER_SECOND);
        switch (left.interpolation)
        {
        case Interpolation::Constant: return 0.0;
        case Interpolation::Linear: return seconds > 0.0 ? (right.value - left.value) / seconds : 0.0;
        case Interpolation::Cubic:
        default: return aBefore ? left.rightSlope : left.nextLeftSlope;
        }
    }

    double AnimCurve::Extrapolate(int64_t aTime, bool aBefore) const
    {
        const Key& end = aBefore ? myKeys.front() : myKeys.back();
        const ExtrapolationMode& mode = aBefore ? myPreExtrapolation : myPostExtrapolation;
        const int64_t first = myKeys.front().time;
        const int64_t last = myKeys.back().time;
        const int64_t period = last - first;
        if (mode.type == Extrapolation::KeepSlope)
        {
            const double seconds = static_cast<double>(aTime - end.time) / static_cast<double>(Time::TICKS_PER_SECOND);
            return end.value + EndSlope(aBefore) * seconds;
        }
        if (mode.type == Extrapolation::Constant || period <= 0)
            return end.value;

        // How far outside the keyed span, and which repetition (1, 2, ...) that falls in, with the
        // distance travelled into it. Where one repetition ends and the next begins, the next one's
        // start holds: after the last key that is (0, period] shifted to [0, period), so a loop
        // shows its first key at each boundary. Before the first key the mirror's own choice
        // (0, period] stays, and a plain repetition there already lands on a start.
        const uint64_t distance = aBefore ? static_cast<uint64_t>(first) - static_cast<uint64_t>(aTime)
                                          : static_cast<uint64_t>(aTime) - static_cast<uint64_t>(last);
        const uint64_t span = static_cast<uint64_t>(period);
        uint64_t repetition = aBefore ? (distance - 1) / span + 1 : distance / span + 1;
        uint64_t travelled = distance - (repetition - 1) * span;
        if (mode.repetitions > 0 && repetition > static_cast<uint64_t>(mode.repetitions))
        {
            repetition = static_cast<uint64_t>(mode.repetitions);
            travelled = span;  // the end of the last repetition holds
        }
        const auto offset = static_cast<int64_t>(travelled);
        // A plain repetition restarts from the far end; a mirrored one runs back on odd repetitions.
        const bool backwards = mode.type == Extrapolation::MirrorRepetition && repetition % 2 == 1;
        if (aBefore)
            return EvaluateInside(backwards ? first + offset : last - offset);
        return EvaluateInside(backwards ? last - offset : first + offset);
    }

    Vector4 Node::EvaluateProperty(std::string_view aProperty, Time aTime, const Vector4& aDefault) const
    {
        static constexpr std::string_view CACHED[3] = {"Lcl Translation", "Lcl Rotation", "Lcl Scaling"};
        for (int i = 0; i < 3; ++i)
            if (aProperty == CACHED[i])
            {
                const Vector4& value = i == 0 ? myValues.translation : i == 1 ? myValues.rotation : myValues.scaling;
                return ApplyCurveNode(myCurveNodes[i], value, aTime);
            }
        const ObjectProperty* property = FindProperty(aProperty);
        Vector4 value = property ? property->GetVector(aDefault) : aDefault;
        const Scene* scene = GetScene();
        const AnimStack* stack = scene ? scene->GetAnimStack(0) : nullptr;
        const AnimLayer* layer = stack ? stack->GetLayer(0) : nullptr;
        return ApplyCurveNode(layer ? layer->FindCurveNode(this, aProperty) : nullptr, value, aTime);
    }

    AMatrix Node::ComputeLocal(Time aTime, bool aUnitScale) const
    {
        const Vector4 translation = ApplyChannels(myCurveNodes[0], myCurveChannels[0], myValues.translation, aTime);
        const Vector4 rotation = ApplyChannels(myCurveNodes[1], myCurveChannels[1], myValues.rotation, aTime);
        const Vector4 scaling = aUnitScale ? Vector4(1.0, 1.0, 1.0) : OwnScale(aTime);
        // T * Roff * Rp * Rpre * R * Rpost^-1 * Rp^-1 * Soff * Sp * S * Sp^-1, skipping identity factors.
        AMatrix result = AMatrix::Rotation(rotation, myValues.order);
        if (myValues.hasPreRotation)
            result = myValues.preRotationMatrix * result;
        if (myValues.hasPostRotation)
            result *= myValues.postRotationInverse;
        if (myValues.hasPivots)
        {
            result *= AMatrix::Translation(myValues.rotationPivot * -1.0 + myValues.scalingOffset + myValues.scalingPivot);
            result *= AMatrix::Scaling(scaling);
            result *= AMatrix::Translation(myValues.scalingPivot * -1.0);
            result = AMatrix::Translation(translation + myValues.rotationOffset + myValues.rotationPivot) * result;
            return result;
        }
        // Without pivots: scale the three axis rows and put the translation in.
        for (int axis = 0; axis < 3; ++axis)
            result.SetRow(axis, result.GetRow(axis) * scaling[axis]);
        result.SetT(translation);
        return result;
    }

    void Scene::Touch()
    {
        static std::atomic<uint64_t> generations{0};
        myGeneration = ++generations;
        // Called once the nodes and their curves are in place, and again after each conversion.
        std::vector<Node*> nodes;
        for (const auto& object : myObjects)
            if (Node* node = object->As<Node>())
            {
                node->myEvaluationSlot = static_cast<uint32_t>(nodes.size());
                nodes.push_back(node);
                node->myTransformAnimated = false;
                for (int property = 0; property < 3; ++property)
                    for (int axis = 0; axis < 3; ++axis)
                    {
                        const int32_t channel = FindChannel(node->myCurveNodes[property], axis);
                        node->myCurveChannels[property][axis] = channel;
                        // The channels that ComputeLocal reads through a curve.
                        if (channel >= 0 && node->myCurveNodes[property]->GetCurve(channel))
                            node->myTransformAnimated = true;
                    }
            }
        myEvaluationSlots = static_cast<uint32_t>(nodes.size());
        MarkAnimatedDescendants(nodes);
    }

    void Scene::MarkAnimatedDescendants(const std::vector<Node*>& someNodes)
    {
        // Each node's way up is walked until a node already settled; the nodes passed on the way
        // then take its answer. A parent outside the numbering is taken as animated.
        std::vector<uint8_t> settled(someNodes.size(), 0);
        std::vector<Node*> path;
        for (Node* start : someNodes)
        {
            path.clear();
            bool animated = false;
            for (Node* node = start;; node = node->myParent)
            {
                const uint32_t slot = node->myEvaluationSlot;
                if (slot >= someNodes.size() || someNodes[slot] != node)
                {
                    animated = true;
                    break;
                }
                if (settled[slot] || node->myTransformAnimated)
                {
                    animated = node->myTransformAnimated;
                    break;
                }
                path.push_back(node);
                settled[slot] = 1;  // a cycle ends here, static
                if (!node->myParent)
                    break;
            }
            for (Node* node : path)
                node->myTransformAnimated = animated;
        }
    }

    AMatrix Node::ComputeGlobal(Time aTime) const
    {
        std::vector<const Node*> chain;
        for (const Node* node = this; node; node = node->myParent)
            chain.push_back(node);
        AMatrix global = chain.back()->ComputeLocal(aTime);
        for (auto node = chain.rbegin() + 1; node != chain.rend(); ++node)
            global = (*node)->CombineWithParent(global, (*node)->ComputeLocal(aTime), aTime);
        return global;
    }

    Vector4 Node::OwnScale(Time aTime) const
    {
        return ApplyChannels(myCurveNodes[2], myCurveChannels[2], myValues.scaling, aTime);
    }

    Vector4 Node::ScalePassedOn(Time aTime) const
    {
        Vector4 scale = OwnScale(aTime);
        if (myValues.inherit == InheritType::Rrs && myParent)
        {
            const Vector4 received = myParent->ScalePassedOn(aTime);
            scale = Vector4(scale.x * received.x, scale.y * received.y, scale.z * received.z);
        }
        return scale;
    }

    AMatrix Node::GlobalWithoutOwnScale(Time aTime) const
    {
        const AMatrix local = ComputeLocal(aTime, true);
        if (!myParent)
            return local;
        // The parent's global as the caller's cache already holds it, else worked out here.
        const EvaluationCache* cache = EvaluationCache::For(*myParent, aTime);
        const AMatrix* known = cache ? cache->KnownGlobal(*myParent) : nullptr;
        return CombineWithParent(known ? *known : myParent->ComputeGlobal(aTime), local, aTime);
    }

    AMatrix Node::CombineWithParent(const AMatrix& aParentGlobal, const AMatrix& aLocal, Time aTime) const
    {
        if (myValues.inherit == InheritType::RSrs || !myParent)
            return aParentGlobal * aLocal;
        if (myValues.inherit == InheritType::Rrs)
        {
            // U x M: U is the parent's global built with the parent's own scale left out (so whatever
            // shear the ancestors leave stays), M the local with its translation stretched by the
            // scale the parent passes on.
            const Vector4 passed = myParent->ScalePassedOn(aTime);
            AMatrix local = aLocal;
            if (passed.x != 1.0 || passed.y != 1.0 || passed.z != 1.0)
            {
                const Vector4 translation = aLocal.GetT();
                local.SetT(Vector4(translation.x * passed.x, translation.y * passed.y, translation.z * passed.z));
            }
            const Vector4 own = myParent->OwnScale(aTime);
            if (own.x == 1.0 && own.y == 1.0 && own.z == 1.0)
                return aParentGlobal * local;  // the parent's global is U already
            return myParent->GlobalWithoutOwnScale(aTime) * local;
        }
        // RrSs. Under a parent with at most a uniform scale (the usual joint) it is the plain product.
        if (IsUniformlyScaledRotation(aParentGlobal))
            return aParentGlobal * aLocal;

        AMatrix parentRotation, localRotation;
        Vector4 parentScale, localScale;
        SplitRotationScale(aParentGlobal, parentRotation, parentScale);
        SplitRotationScale(aLocal, localRotation, localScale);
        const Vector4 scale(parentScale.x * localScale.x, parentScale.y * localScale.y, parentScale.z * localScale.z);
        // Translation(t) * parentRotation * localRotation * Scaling(scale), written out: the three
        // factors are pure, so each element keeps only the terms that are not zero.
        AMatrix result;
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column)
            {
                const double rotated = localRotation.Get(row, 0) * parentRotation.Get(0, column) +
                                       localRotation.Get(row, 1) * parentRotation.Get(1, column) +
                                       localRotation.Get(row, 2) * parentRotation.Get(2, column);
                result.Set(row, column, scale[row] * rotated);
            }
        result.SetT(aParentGlobal.MultT(aLocal.GetT()));
        return result;
    }

    AMatrix Node::EvaluateGlobalTransform(Time aTime) const
    {
        const Scene* scene = GetScene();
        if (EvaluationCache* cache = EvaluationCache::For(*this, aTime))
            return cache->Convert(*scene, cache->Global(*this));
        const AMatrix global = ComputeGlobal(aTime);
        return scene ? scene->myConversion * global * scene->myInverseConversion : global;
    }

    AMatrix Node::EvaluateLocalTransform(Time aTime) const
    {
        EvaluationCache* cache = EvaluationCache::For(*this, aTime);
        AMatrix local;
        if (!myParent || myValues.inherit == InheritType::RSrs)
            local = cache ? cache->Local(*this) : ComputeLocal(aTime);
        else if (cache)
            local = cache->GlobalInverse(*myParent) * cache->Global(*this);  // relative to the parent as it ends up
        else
        {
            const AMatrix parent = myParent->ComputeGlobal(aTime);
            local = parent.Inverse() * CombineWithParent(parent, ComputeLocal(aTime), aTime);
        }
        const Scene* scene = GetScene();
        if (cache)
            return cache->Convert(*scene, local);
        return scene ? scene->myConversion * local * scene->myInverseConversion : local;
    }
}
