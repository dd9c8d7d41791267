#include "Platform/fbx/FbxScene.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace Vela::Fbx
{
    namespace
    {
        ObjectClass ParentClass(ObjectClass aClass)
        {
            switch (aClass)
            {
            case ObjectClass::NullAttribute:
            case ObjectClass::Skeleton:
            case ObjectClass::Geometry:
            case ObjectClass::LodGroup: return ObjectClass::NodeAttribute;
            case ObjectClass::Mesh: return ObjectClass::Geometry;
            case ObjectClass::FileTexture:
            case ObjectClass::LayeredTexture: return ObjectClass::Texture;
            case ObjectClass::Skin: return ObjectClass::Deformer;
            default: return ObjectClass::Object;
            }
        }

        bool EqualNoCase(std::string_view aLeft, std::string_view aRight)
        {
            return aLeft.size() == aRight.size() &&
                   std::equal(aLeft.begin(), aLeft.end(), aRight.begin(), [](char aA, char aB) {
                       return std::tolower(static_cast<unsigned char>(aA)) == std::tolower(static_cast<unsigned char>(aB));
                   });
        }

        const std::string EMPTY_STRING;
    }

    bool IsClassDerivedFrom(ObjectClass aClass, ObjectClass aBase)
    {
        for (ObjectClass current = aClass;; current = ParentClass(current))
        {
            if (current == aBase)
                return true;
            if (current == ObjectClass::Object)
                return false;
        }
    }

    // ---- ObjectProperty ----

    double ObjectProperty::GetDouble(size_t aIndex, double aDefault) const
    {
        return aIndex < myNumbers.size() ? myNumbers[aIndex] : aDefault;
    }

    int64_t ObjectProperty::GetInt(size_t aIndex, int64_t aDefault) const
    {
        if (aIndex >= myNumbers.size())
            return aDefault;
        const double value = myNumbers[aIndex];
        if (!std::isfinite(value) || std::abs(value) > 9.2e18)
            return aDefault;
        return static_cast<int64_t>(value);
    }

    Vector4 ObjectProperty::GetVector(const Vector4& aDefault) const
    {
        if (myNumbers.size() < 3)
            return aDefault;
        return {myNumbers[0], myNumbers[1], myNumbers[2], 0.0};
    }

    const Object* ObjectProperty::GetSrcObject(int aIndex) const
    {
        return aIndex >= 0 && aIndex < static_cast<int>(mySources.size()) ? mySources[static_cast<size_t>(aIndex)] : nullptr;
    }

    // ---- Object ----

    Object::Object(ObjectClass aClass) : myClass(aClass) {}
    Object::~Object() = default;

    const Object* Object::GetSrcObject(int aIndex) const
    {
        return aIndex >= 0 && aIndex < static_cast<int>(mySources.size()) ? mySources[static_cast<size_t>(aIndex)] : nullptr;
    }

    const Object* Object::GetDstObject(int aIndex) const
    {
        return aIndex >= 0 && aIndex < static_cast<int>(myDestinations.size()) ? myDestinations[static_cast<size_t>(aIndex)] : nullptr;
    }

    const ObjectProperty* Object::FindProperty(std::string_view aName, bool aCaseSensitive) const
    {
        auto matches = [&](const ObjectProperty& aProperty) {
            return aCaseSensitive ? aProperty.myName == aName : EqualNoCase(aProperty.myName, aName);
        };
        for (const ObjectProperty& property : myProperties)
            if (matches(property))
                return &property;
        // A template entry of an own property's name is never reached: that name matched above.
        if (myTemplate)
            for (const ObjectProperty& property : *myTemplate)
                if (matches(property))
                    return &property;
        return nullptr;
    }

    bool Object::HasOwnProperty(std::string_view aName) const
    {
        return std::any_of(myProperties.begin(), myProperties.end(),
                           [aName](const ObjectProperty& aProperty) { return aProperty.myName == aName; });
    }

    int Object::GetPropertyCount() const
    {
        size_t count = myProperties.size();
        if (myTemplate)
            for (const ObjectProperty& property : *myTemplate)
                count += HasOwnProperty(property.myName) ? 0 : 1;
        return static_cast<int>(count);
    }

    const ObjectProperty& Object::GetPropertyAt(int aIndex) const
    {
        static const ObjectProperty EMPTY;
        if (aIndex < 0)
            return EMPTY;
        size_t index = static_cast<size_t>(aIndex);
        if (index < myProperties.size())
            return myProperties[index];
        index -= myProperties.size();
        if (myTemplate)
            for (const ObjectProperty& property : *myTemplate)
                if (!HasOwnProperty(property.myName) && index-- == 0)
                    return property;
        return EMPTY;
    }

    // ---- Attributes and deformers ----

    const Node* NodeAttribute::GetNode() const
    {
        for (int i = 0; i < GetDstObjectCount(); ++i)
            if (const Node* node = GetDstObject(i)->As<Node>())
                return node;
        return nullptr;
    }

    bool LodGroup::GetThreshold(int aIndex, double& aOut) const
    {
        if (aIndex < 0 || aIndex >= static_cast<int>(myThresholds.size()))
            return false;
        aOut = myThresholds[static_cast<size_t>(aIndex)];
        return true;
    }

    const Cluster* Skin::GetCluster(int aIndex) const
    {
        return aIndex >= 0 && aIndex < static_cast<int>(myClusters.size()) ? myClusters[static_cast<size_t>(aIndex)] : nullptr;
    }

    int Geometry::GetDeformerCount(DeformerType aType) const
    {
        if (aType == DeformerType::Unknown)
            return static_cast<int>(myDeformers.size());
        return static_cast<int>(std::count_if(myDeformers.begin(), myDeformers.end(),
                                              [aType](const Deformer* aDeformer) { return aDeformer->GetDeformerType() == aType; }));
    }

    const Deformer* Geometry::GetDeformer(int aIndex, DeformerType aType) const
    {
        if (aIndex < 0)
            return nullptr;
        for (const Deformer* deformer : myDeformers)
            if ((aType == DeformerType::Unknown || deformer->GetDeformerType() == aType) && aIndex-- == 0)
                return deformer;
        return nullptr;
    }

    // ---- Animation ----

    Time AnimCurve::KeyGetTime(int aIndex) const
    {
        return aIndex >= 0 && aIndex < KeyGetCount() ? Time(myKeys[static_cast<size_t>(aIndex)].time) : Time(0);
    }

    double AnimCurve::KeyGetValue(int aIndex) const
    {
        return aIndex >= 0 && aIndex < KeyGetCount() ? myKeys[static_cast<size_t>(aIndex)].value : 0.0;
    }

    Interpolation AnimCurve::KeyGetInterpolation(int aIndex) const
    {
        return aIndex >= 0 && aIndex < KeyGetCount() ? myKeys[static_cast<size_t>(aIndex)].interpolation : Interpolation::Constant;
    }

    const std::string& AnimCurveNode::GetChannelName(int aChannel) const
    {
        return aChannel >= 0 && aChannel < GetChannelsCount() ? myChannels[static_cast<size_t>(aChannel)].name : EMPTY_STRING;
    }

    const AnimCurve* AnimCurveNode::GetCurve(int aChannel) const
    {
        return aChannel >= 0 && aChannel < GetChannelsCount() ? myChannels[static_cast<size_t>(aChannel)].curve : nullptr;
    }

    double AnimCurveNode::GetChannelValue(int aChannel) const
    {
        return aChannel >= 0 && aChannel < GetChannelsCount() ? myChannels[static_cast<size_t>(aChannel)].value : 0.0;
    }

    const AnimCurveNode* AnimLayer::GetCurveNode(int aIndex) const
    {
        return aIndex >= 0 && aIndex < GetCurveNodeCount() ? myCurveNodes[static_cast<size_t>(aIndex)] : nullptr;
    }

    const AnimCurveNode* AnimLayer::FindCurveNode(const Object* aObject, std::string_view aProperty) const
    {
        const auto found = myByTarget.find(aObject);
        if (found == myByTarget.end())
            return nullptr;
        for (const AnimCurveNode* curveNode : found->second)
            if (curveNode->GetTargetProperty() == aProperty)
                return curveNode;
        return nullptr;
    }

    const AnimLayer* AnimStack::GetLayer(int aIndex) const
    {
        return aIndex >= 0 && aIndex < GetLayerCount() ? myLayers[static_cast<size_t>(aIndex)] : nullptr;
    }

    // ---- Nodes ----

    int Node::GetChildCount(bool aRecursive) const
    {
        if (!aRecursive)
            return static_cast<int>(myChildren.size());
        int count = 0;
        std::vector<const Node*> pending(myChildren.begin(), myChildren.end());
        while (!pending.empty())
        {
            const Node* node = pending.back();
            pending.pop_back();
            ++count;
            pending.insert(pending.end(), node->myChildren.begin(), node->myChildren.end());
        }
        return count;
    }

    const Node* Node::GetChild(int aIndex) const
    {
        return aIndex >= 0 && aIndex < static_cast<int>(myChildren.size()) ? myChildren[static_cast<size_t>(aIndex)] : nullptr;
    }

    Node* Node::GetChild(int aIndex)
    {
        return aIndex >= 0 && aIndex < static_cast<int>(myChildren.size()) ? myChildren[static_cast<size_t>(aIndex)] : nullptr;
    }

    const Mesh* Node::GetMesh() const { return myAttribute ? myAttribute->As<Mesh>() : nullptr; }

    Mesh* Node::GetMesh()
    {
        // The scene owns its attributes; a node only hands out what the scene lets it change.
        return const_cast<Mesh*>(static_cast<const Node*>(this)->GetMesh());
    }

    const LodGroup* Node::GetLodGroup() const { return myAttribute ? myAttribute->As<LodGroup>() : nullptr; }

    const Material* Node::GetMaterial(int aIndex) const
    {
        return aIndex >= 0 && aIndex < static_cast<int>(myMaterials.size()) ? myMaterials[static_cast<size_t>(aIndex)] : nullptr;
    }

    AMatrix Node::GetGeometricTransform() const
    {
        return AMatrix(myGeometricTranslation, myGeometricRotation, myGeometricScaling);
    }

    RotationOrder Node::GetRotationOrder() const { return myValues.order; }
    InheritType Node::GetInheritType() const { return myValues.inherit; }

    // ---- Scene look-ups ----

    const Node* Scene::GetNode(int aIndex) const
    {
        return aIndex >= 0 && aIndex < GetNodeCount() ? myNodes[static_cast<size_t>(aIndex)] : nullptr;
    }

    const Node* Scene::FindNodeByName(std::string_view aName) const
    {
        const auto found = myNodesByName.find(aName);
        return found == myNodesByName.end() ? nullptr : found->second;
    }

    const Material* Scene::GetMaterial(int aIndex) const
    {
        return aIndex >= 0 && aIndex < GetMaterialCount() ? myMaterials[static_cast<size_t>(aIndex)] : nullptr;
    }

    int Scene::GetMaterialIndex(const Material* aMaterial) const
    {
        const auto found = std::find(myMaterials.begin(), myMaterials.end(), aMaterial);
        return found == myMaterials.end() ? -1 : static_cast<int>(found - myMaterials.begin());
    }

    const AnimStack* Scene::GetAnimStack(int aIndex) const
    {
        return aIndex >= 0 && aIndex < GetAnimStackCount() ? myAnimStacks[static_cast<size_t>(aIndex)] : nullptr;
    }

    const TakeInfo* Scene::GetTake(int aIndex) const
    {
        return aIndex >= 0 && aIndex < GetTakeCount() ? &myTakes[static_cast<size_t>(aIndex)] : nullptr;
    }

    const TakeInfo* Scene::GetTakeInfo(std::string_view aName) const
    {
        for (const TakeInfo& take : myTakes)
            if (take.name == aName)
                return &take;
        const AnimStack* stack = nullptr;
        for (const AnimStack* candidate : myAnimStacks)
            if (candidate->GetName() == aName)
            {
                stack = candidate;
                break;
            }
        if (!stack)
            return nullptr;

        // Made once per name and kept, so the pointer stays valid for the scene's life.
        std::lock_guard lock(myFallbackMutex);
        for (const auto& take : myFallbackTakes)
            if (take->name == aName)
                return take.get();
        auto take = std::make_unique<TakeInfo>();
        take->name = std::string(aName);
        take->localTimeSpan = stack->HasLocalTimeSpan() ? stack->GetLocalTimeSpan() : mySettings.GetTimelineDefaultTimeSpan();
        take->referenceTimeSpan = take->localTimeSpan;
        myFallbackTakes.push_back(std::move(take));
        return myFallbackTakes.back().get();
    }
}
