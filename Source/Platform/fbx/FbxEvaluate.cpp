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

        const char* const CHANNEL_NAMES[3] = {"X", "Y", "Z"};

        Vector4 ApplyCurveNode(const AnimCurveNode* aCurveNode, Vector4 aValue, Time aTime)
        {
            if (!aCurveNode)
                return aValue;
            for (int axis = 0; axis < 3; ++axis)
            {
                int channel = -1;
                for (int i = 0; i < aCurveNode->GetChannelsCount(); ++i)
                    if (aCurveNode->GetChannelName(i) == CHANNEL_NAMES[axis])
                    {
                        channel = i;
                        break;
                    }
                if (channel < 0)
                    continue;
                const AnimCurve* curve = aCurveNode->GetCurve(channel);
                aValue[axis] = curve ? curve->Evaluate(aTime) : aCurveNode->GetChannelValue(channel);
            }
            return aValue;
        }
    }

    double AnimCurve::Evaluate(Time aTime) const
    {
        if (myKeys.empty())
            return myDefault;
        const int64_t time = aTime.Get();
        if (time <= myKeys.front().time)
            return myKeys.front().value;
        if (time >= myKeys.back().time)
            return myKeys.back().value;
        const auto right = std::upper_bound(myKeys.begin(), myKeys.end(), time,
                                            [](int64_t aTime, const Key& aKey) { return aTime < aKey.time; });
        const Key& next = *right;
        const Key& key = *(right - 1);
        if (time == key.time)
            return key.value;  // a key holds its own value at its time, whatever follows it
        const double span = static_cast<double>(next.time - key.time);
        if (span <= 0.0)
            return next.value;
        const double fraction = static_cast<double>(time - key.time) / span;
        switch (key.interpolation)
        {
        case Interpolation::Constant: return key.constantNext ? next.value : key.value;
        case Interpolation::Linear: return key.value + (next.value - key.value) * fraction;
        case Interpolation::Cubic:
        default: return EvaluateCubic(key, next, fraction);
        }
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

    AMatrix Node::ComputeLocal(Time aTime) const
    {
        const Vector4 translation = ApplyCurveNode(myCurveNodes[0], myValues.translation, aTime);
        const Vector4 rotation = ApplyCurveNode(myCurveNodes[1], myValues.rotation, aTime);
        const Vector4 scaling = ApplyCurveNode(myCurveNodes[2], myValues.scaling, aTime);
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
    }

    AMatrix Node::ComputeGlobal(Time aTime) const
    {
        // Sampling a clip asks for every bone's global and local in turn, which walk the same
        // ancestors again and again: recent results are kept per thread, keyed by node and time.
        struct Cached
        {
            const Node* node = nullptr;
            int64_t time = 0;
            uint64_t generation = 0;
            AMatrix global;
        };
        static constexpr size_t CACHE_SIZE = 512;
        thread_local std::array<Cached, CACHE_SIZE> cache;
        const uint64_t generation = GetScene() ? GetScene()->myGeneration : 0;
        auto slot = [](const Node* aNode) -> size_t { return (reinterpret_cast<uintptr_t>(aNode) / alignof(Node)) % CACHE_SIZE; };

        // Up to the first ancestor already known (or the top), then back down, without recursion.
        std::vector<const Node*> chain;
        AMatrix global;
        bool known = false;
        for (const Node* node = this; node; node = node->myParent)
        {
            const Cached& entry = cache[slot(node)];
            if (generation != 0 && entry.node == node && entry.time == aTime.Get() && entry.generation == generation)
            {
                global = entry.global;
                known = true;
                break;
            }
            chain.push_back(node);
        }
        for (auto node = chain.rbegin(); node != chain.rend(); ++node)
        {
            global = known ? (*node)->CombineWithParent(global, aTime) : (*node)->ComputeLocal(aTime);
            known = true;
            if (generation != 0)
                cache[slot(*node)] = {*node, aTime.Get(), generation, global};
        }
        return global;
    }

    AMatrix Node::CombineWithParent(const AMatrix& aParentGlobal, Time aTime) const
    {
        const AMatrix local = ComputeLocal(aTime);
        if (myValues.inherit == InheritType::RSrs)
            return aParentGlobal * local;

        AMatrix parentRotation, localRotation;
        Vector4 parentScale, localScale;
        SplitRotationScale(aParentGlobal, parentRotation, parentScale);
        SplitRotationScale(local, localRotation, localScale);
        Vector4 scale = localScale;
        if (myValues.inherit == InheritType::RrSs)
            scale = Vector4(parentScale.x * localScale.x, parentScale.y * localScale.y, parentScale.z * localScale.z);
        return AMatrix::Translation(aParentGlobal.MultT(local.GetT())) * parentRotation * localRotation * AMatrix::Scaling(scale);
    }

    AMatrix Node::EvaluateGlobalTransform(Time aTime) const
    {
        const Scene* scene = GetScene();
        const AMatrix global = ComputeGlobal(aTime);
        return scene ? scene->myConversion * global * scene->myInverseConversion : global;
    }

    AMatrix Node::EvaluateLocalTransform(Time aTime) const
    {
        AMatrix local;
        if (!myParent || myValues.inherit == InheritType::RSrs)
            local = ComputeLocal(aTime);
        else
        {
            const AMatrix parent = myParent->ComputeGlobal(aTime);
            local = parent.Inverse() * CombineWithParent(parent, aTime);  // relative to the parent as it ends up
        }
        const Scene* scene = GetScene();
        return scene ? scene->myConversion * local * scene->myInverseConversion : local;
    }
}
