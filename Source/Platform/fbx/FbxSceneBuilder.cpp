#include "Platform/fbx/FbxSceneBuilder.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <unordered_set>
#include <type_traits>
#include <variant>
#include <span>

namespace Vela::Fbx
{
    namespace
    {
        // Concrete kinds for file objects that the scene only needs to carry.
        class OtherAttribute : public NodeAttribute
        {
        public:
            explicit OtherAttribute(AttributeType aType) : NodeAttribute(ObjectClass::NodeAttribute, aType) {}
        };

        class OtherGeometry : public Geometry
        {
        public:
            explicit OtherGeometry(AttributeType aType) : Geometry(ObjectClass::Geometry, aType) {}
        };

        class OtherDeformer : public Deformer
        {
        public:
            explicit OtherDeformer(DeformerType aType) : Deformer(ObjectClass::Deformer, aType) {}
        };

        class PlainObject : public Object
        {
        public:
            explicit PlainObject(ObjectClass aClass) : Object(aClass) {}
        };

        std::string_view StringAt(const Record& aRecord, size_t aIndex)
        {
            const Property* property = aRecord.GetProperty(aIndex);
            return property ? property->AsString() : std::string_view();
        }

        // "Name\0\1Class" in binary files, "Class::Name" in ASCII ones; namespaces (':') stay.
        std::string ObjectName(const Record& aRecord)
        {
            const std::string_view full = StringAt(aRecord, 1);
            const size_t binarySeparator = full.find(std::string_view("\0\1", 2));
            if (binarySeparator != std::string_view::npos)
                return std::string(full.substr(0, binarySeparator));
            const size_t asciiSeparator = full.find("::");
            if (asciiSeparator != std::string_view::npos)
                return std::string(full.substr(asciiSeparator + 2));
            return std::string(full);
        }

        std::string_view ChildString(const Record& aRecord, std::string_view aName)
        {
            const Record* child = aRecord.Find(aName);
            return child ? StringAt(*child, 0) : std::string_view();
        }

        const Property* ChildValue(const Record& aRecord, std::string_view aName)
        {
            const Record* child = aRecord.Find(aName);
            return child ? child->GetProperty(0) : nullptr;
        }

        void ChildDoubles(const Record& aRecord, std::string_view aName, std::vector<double>& someOut)
        {
            someOut.clear();
            if (const Property* value = ChildValue(aRecord, aName))
                value->ToDoubles(someOut);
        }

        // A child's numbers as doubles: the stored array itself when it holds doubles (large arrays are
        // not copied), else converted into someScratch.
        const std::vector<double>& ChildDoublesView(const Record& aRecord, std::string_view aName, std::vector<double>& someScratch)
        {
            someScratch.clear();
            const Property* value = ChildValue(aRecord, aName);
            if (!value)
                return someScratch;
            if (const std::vector<double>* held = std::get_if<std::vector<double>>(&value->GetValue()))
                return *held;
            value->ToDoubles(someScratch);
            return someScratch;
        }

        // Calls aRead with a child's number array as it is held, without a converted copy (a large
        // array of whole numbers in a text file is held as integers); a scalar number reads as one
        // element, anything else as none.
        template <class Read>
        void ReadChildNumbers(const Record& aRecord, std::string_view aName, Read&& aRead)
        {
            const Property* value = ChildValue(aRecord, aName);
            if (!value)
            {
                aRead(std::span<const double>());
                return;
            }
            std::visit(
                [&](const auto& aHeld) {
                    using Held = std::decay_t<decltype(aHeld)>;
                    if constexpr (std::is_same_v<Held, std::string> || std::is_same_v<Held, std::string_view>)
                        aRead(std::span<const double>());
                    else if constexpr (std::is_arithmetic_v<Held>)
                        aRead(std::span<const Held>(&aHeld, 1));
                    else
                        aRead(std::span<const typename Held::value_type>(aHeld));
                },
                value->GetValue());
        }

        // One value per whole group of numbers (a trailing partial group is dropped), sized once and filled
        // in place: large arrays pay no per-element growth checks.
        template <size_t GROUP, class Value, class Make>
        void FillGroups(const std::vector<double>& someNumbers, std::vector<Value>& someOut, Make aMake)
        {
            const size_t count = someNumbers.size() / GROUP;
            someOut.resize(count);
            Value* values = someOut.data();
            const double* numbers = someNumbers.data();
            for (size_t i = 0; i < count; ++i)
                values[i] = aMake(numbers + i * GROUP);
        }

        void ChildInts(const Record& aRecord, std::string_view aName, std::vector<int32_t>& someOut)
        {
            someOut.clear();
            if (const Property* value = ChildValue(aRecord, aName))
                value->ToInt32s(someOut);
        }

        MappingMode ParseMapping(std::string_view aText)
        {
            if (aText == "ByPolygonVertex")
                return MappingMode::ByPolygonVertex;
            if (aText == "ByVertex" || aText == "ByVertice" || aText == "ByControlPoint")
                return MappingMode::ByControlPoint;
            if (aText == "ByPolygon")
                return MappingMode::ByPolygon;
            if (aText == "ByEdge")
                return MappingMode::ByEdge;
            if (aText == "AllSame")
                return MappingMode::AllSame;
            return MappingMode::None;
        }

        ReferenceMode ParseReference(std::string_view aText)
        {
            if (aText == "IndexToDirect" || aText == "Index")
                return ReferenceMode::IndexToDirect;
            return ReferenceMode::Direct;
        }

        AttributeType AttributeTypeOf(std::string_view aSubType)
        {
            struct Entry { std::string_view name; AttributeType type; };
            static constexpr Entry ENTRIES[] = {
                {"Null", AttributeType::Null}, {"Marker", AttributeType::Marker},
                {"LimbNode", AttributeType::Skeleton}, {"Limb", AttributeType::Skeleton},
                {"Root", AttributeType::Skeleton}, {"Effector", AttributeType::Skeleton},
                {"Mesh", AttributeType::Mesh}, {"Nurbs", AttributeType::Nurbs}, {"Patch", AttributeType::Patch},
                {"Camera", AttributeType::Camera}, {"CameraStereo", AttributeType::CameraStereo},
                {"CameraSwitcher", AttributeType::CameraSwitcher}, {"Light", AttributeType::Light},
                {"OpticalReference", AttributeType::OpticalReference}, {"OpticalMarker", AttributeType::OpticalMarker},
                {"NurbsCurve", AttributeType::NurbsCurve}, {"TrimNurbsSurface", AttributeType::TrimNurbsSurface},
                {"Boundary", AttributeType::Boundary}, {"NurbsSurface", AttributeType::NurbsSurface},
                {"Shape", AttributeType::Shape}, {"LodGroup", AttributeType::LodGroup},
                {"SubDiv", AttributeType::SubDiv}, {"CachedEffect", AttributeType::CachedEffect}, {"Line", AttributeType::Line},
            };
            for (const Entry& entry : ENTRIES)
                if (entry.name == aSubType)
                    return entry.type;
            return AttributeType::Unknown;
        }

        Skeleton::SkeletonType SkeletonTypeOf(std::string_view aSubType)
        {
            if (aSubType == "Root")
                return Skeleton::SkeletonType::Root;
            if (aSubType == "Limb")
                return Skeleton::SkeletonType::Limb;
            if (aSubType == "Effector")
                return Skeleton::SkeletonType::Effector;
            return Skeleton::SkeletonType::LimbNode;
        }

        bool IsSkeletonType(std::string_view aSubType)
        {
            return aSubType == "LimbNode" || aSubType == "Limb" || aSubType == "Root" || aSubType == "Effector";
        }

        AMatrix MatrixFrom(const std::vector<double>& someValues)
        {
            AMatrix result;
            if (someValues.size() < 16)
                return result;
            // Stored column after column for column vectors, which is our row-vector row order.
            for (int row = 0; row < 4; ++row)
                for (int column = 0; column < 4; ++column)
                    result.Set(row, column, someValues[static_cast<size_t>(row * 4 + column)]);
            return result;
        }

        // Key attribute data are floats; ASCII files write their bit patterns as integers.
        void ReadFloatBits(const Property* aProperty, std::vector<double>& someOut)
        {
            someOut.clear();
            if (!aProperty)
                return;
            const Property::Type type = aProperty->GetType();
            if (type == Property::Type::Int32Array || type == Property::Type::Int64Array)
            {
                std::vector<int64_t> bits;
                aProperty->ToInt64s(bits);
                someOut.reserve(bits.size());
                for (int64_t value : bits)
                    someOut.push_back(std::bit_cast<float>(static_cast<uint32_t>(value)));
                return;
            }
            aProperty->ToDoubles(someOut);
        }


        // Positions of a property list's names: searched one by one while the list is short, then through
        // an open-addressed table of positions, so that a long list (a damaged object's, or a rig's node
        // with hundreds of attributes) still loads in linear time.
        class PropertyIndex
        {
        public:
            static constexpr size_t NONE = SIZE_MAX;

            // aExpected: how many properties the list may come to hold, so that the table is sized once.
            PropertyIndex(std::vector<ObjectProperty>& someProperties, size_t aExpected) : myProperties(someProperties), myExpected(aExpected) {}

            size_t Find(std::string_view aName)
            {
                if (mySlots.empty())
                {
                    if (myProperties.size() <= LINEAR_LIMIT)
                    {
                        for (size_t i = 0; i < myProperties.size(); ++i)
                            if (myProperties[i].GetName() == aName)
                                return i;
                        return NONE;
                    }
                    Rebuild();
                }
                for (size_t slot = SlotOf(aName);; slot = (slot + 1) & myMask)
                {
                    const uint32_t entry = mySlots[slot];
                    if (entry == EMPTY)
                        return NONE;
                    if (myProperties[entry].GetName() == aName)
                        return entry;
                }
            }

            // The last property of the list was just appended.
            void Added()
            {
                if (mySlots.empty())
                    return;
                if (myProperties.size() * 2 > mySlots.size())
                    Rebuild();
                else
                    Insert(myProperties.size() - 1);
            }

            // The property at aPosition emptied, to be filled again under the same name: the table stands.
            ObjectProperty& Reset(size_t aPosition) { return myProperties[aPosition] = ObjectProperty(); }

        private:
            static constexpr size_t LINEAR_LIMIT = 8;
            static constexpr uint32_t EMPTY = UINT32_MAX;

            // Eight characters a step: names are short, and a byte-by-byte hash costs more than the rest.
            size_t SlotOf(std::string_view aName) const
            {
                constexpr uint64_t MULTIPLIER = 0x9e3779b97f4a7c15ull;
                uint64_t hash = aName.size() * MULTIPLIER;
                size_t i = 0;
                for (; i + 8 <= aName.size(); i += 8)
                {
                    uint64_t word;
                    std::memcpy(&word, aName.data() + i, 8);
                    hash = (hash ^ word) * MULTIPLIER;
                    hash ^= hash >> 29;
                }
                uint64_t tail = 0;
                std::memcpy(&tail, aName.data() + i, aName.size() - i);
                hash = (hash ^ tail) * MULTIPLIER;
                return static_cast<size_t>(hash ^ (hash >> 32)) & myMask;
            }

            void Insert(size_t aPosition)
            {
                size_t slot = SlotOf(myProperties[aPosition].GetName());
                while (mySlots[slot] != EMPTY)
                    slot = (slot + 1) & myMask;
                mySlots[slot] = static_cast<uint32_t>(aPosition);
            }

            // At most half full, so probes stay short and always end.
            void Rebuild()
            {
                size_t capacity = 32;
                while (capacity < std::max(myProperties.size(), myExpected) * 2)
                    capacity *= 2;
                mySlots.assign(capacity, EMPTY);
                myMask = capacity - 1;
                for (size_t i = 0; i < myProperties.size(); ++i)
                    Insert(i);
            }

            std::vector<ObjectProperty>& myProperties;
            size_t myExpected;
            std::vector<uint32_t> mySlots;
            size_t myMask = 0;
        };
    }

    // ---- Entry points ----

    void SceneBuilder::Reset(Scene& aScene)
    {
        aScene.myObjects.clear();
        aScene.myTemplates.clear();
        aScene.myKeptTexts.clear();
        aScene.myFileBytes.reset();
        aScene.myFileSize = 0;
        aScene.mySources.clear();
        aScene.myNodes.clear();
        aScene.myNodesByName.clear();
        aScene.myMaterials.clear();
        aScene.myAnimStacks.clear();
        aScene.myTakes.clear();
        {
            std::lock_guard lock(aScene.myFallbackMutex);
            aScene.myFallbackTakes.clear();
        }
        aScene.mySettings = GlobalSettings();
        aScene.myConversion = AMatrix();
        aScene.myInverseConversion = AMatrix();
        aScene.Touch();

        auto root = std::make_unique<Node>();
        root->myName = "RootNode";
        root->myScene = &aScene;
        aScene.myRoot = root.get();
        aScene.mySources.push_back(root.get());
        aScene.myObjects.push_back(std::move(root));
    }

    bool SceneBuilder::Build(const Document& aDocument, Scene& aScene, std::string& aError)
    {
        Reset(aScene);
        aScene.myFileBytes = aDocument.source;
        aScene.myFileSize = aDocument.source ? aDocument.sourceSize : 0;
        SceneBuilder builder(aDocument, aScene);
        builder.myById[0] = aScene.myRoot;
        builder.ReadSettings();
        const Record* objects = aDocument.root.Find("Objects");
        if (!objects)
        {
            aError = "The file has no Objects section.";
            return false;
        }
        builder.ReadTemplates();
        builder.ReadObjects(*objects);
        builder.ReadConnections();
        builder.ReadTakes();
        builder.Finish();
        aScene.Touch();
        return true;
    }

    // ---- Properties ----

    std::string_view SceneBuilder::Keep(std::string_view aText)
    {
        const auto* text = reinterpret_cast<const std::byte*>(aText.data());
        const std::span<const std::byte> file(myScene.myFileBytes.get(), myScene.myFileSize);
        if (aText.empty() || (std::less_equal<>()(file.data(), text) && std::less_equal<>()(text + aText.size(), file.data() + file.size())))
            return aText;
        return myScene.myKeptTexts.emplace_back(aText);
    }

    void SceneBuilder::ReadProperties70(const Record* aRecord, std::vector<ObjectProperty>& someOut)
    {
        if (!aRecord)
            return;
        // Reserved first: each property is filled in place, so the list must not move meanwhile.
        someOut.reserve(someOut.size() + aRecord->children.size());
        PropertyIndex positions(someOut, someOut.size() + aRecord->children.size());
        for (const Record& entry : aRecord->children)
        {
            if (entry.name != "P" || entry.properties.empty())
                continue;
            const std::string_view name = entry.properties[0].AsString();
            if (name.empty())
                continue;
            // A later entry of the same name replaces the earlier one. Filled where it stays.
            const size_t position = positions.Find(name);
            ObjectProperty& property = position == PropertyIndex::NONE ? someOut.emplace_back() : positions.Reset(position);
            property.myName = Keep(name);
            property.myTypeName = Keep(StringAt(entry, 1));
            const auto values = std::span(entry.properties).subspan(std::min<size_t>(4, entry.properties.size()));
            for (const Property& value : values)
            {
                if (value.IsNumber())
                    property.myNumbers.push_back(value.AsDouble());
                else if (value.IsString() && property.myText.empty())
                    property.myText = Keep(value.AsString());
            }
            if (position == PropertyIndex::NONE)
                positions.Added();
        }
    }

    void SceneBuilder::ReadTemplates()
    {
        const Record* definitions = myDocument.root.Find("Definitions");
        if (!definitions)
            return;
        for (const Record* type : definitions->FindAll("ObjectType"))
        {
            const std::string_view typeName = StringAt(*type, 0);
            if (typeName.empty() || myTemplates.count(typeName))
                continue;
            // An object type may list several templates (e.g. Lambert and Phong); the first one serves.
            const Record* first = type->Find("PropertyTemplate");
            if (!first)
                continue;
            // Read when an object of the type first needs it: files list templates for types they hold none of.
            myTemplates.emplace(typeName, Template{first->Find("Properties70"), nullptr});
        }
    }

    void SceneBuilder::ApplyTemplate(Object& aObject, std::string_view aRecordName)
    {
        // Shared, not copied: a file's template lists run to dozens of entries and most objects override few.
        const auto found = myTemplates.find(aRecordName);
        if (found == myTemplates.end())
            return;
        Template& defaults = found->second;
        if (!defaults.read)
        {
            auto properties = std::make_unique<std::vector<ObjectProperty>>();
            ReadProperties70(defaults.entries, *properties);
            defaults.read = properties.get();
            myScene.myTemplates.push_back(std::move(properties));
        }
        aObject.myTemplate = defaults.read;
    }

    void SceneBuilder::CopyTemplateIn(Object& aObject)
    {
        if (!aObject.myTemplate)
            return;
        const std::vector<ObjectProperty>& defaults = *aObject.myTemplate;
        aObject.myTemplate = nullptr;
        // Reserved first: the names viewed below must not move while the template's are added.
        aObject.myProperties.reserve(aObject.myProperties.size() + defaults.size());
        std::unordered_set<std::string_view> own;
        for (const ObjectProperty& property : aObject.myProperties)
            own.insert(property.myName);
        for (const ObjectProperty& property : defaults)
            if (!own.count(property.myName))
                aObject.myProperties.push_back(property);
    }

    // ---- Settings ----

    void SceneBuilder::ReadSettings()
    {
        GlobalSettings& settings = myScene.mySettings;
        const Record* global = myDocument.root.Find("GlobalSettings");
        if (!global)
            return;
        std::vector<ObjectProperty> properties;
        ReadProperties70(global->Find("Properties70"), properties);
        auto find = [&properties](std::string_view aName) -> const ObjectProperty* {
            for (const ObjectProperty& property : properties)
                if (property.GetName() == aName)
                    return &property;
            return nullptr;
        };
        auto integer = [&find](std::string_view aName, int64_t aDefault) {
            const ObjectProperty* property = find(aName);
            return property ? property->GetInt(0, aDefault) : aDefault;
        };
        auto number = [&find](std::string_view aName, double aDefault) {
            const ObjectProperty* property = find(aName);
            return property ? property->GetDouble(0, aDefault) : aDefault;
        };

        const int64_t up = integer("UpAxis", 1), front = integer("FrontAxis", 2), coord = integer("CoordAxis", 0);
        const int64_t upSign = integer("UpAxisSign", 1), frontSign = integer("FrontAxisSign", 1), coordSign = integer("CoordAxisSign", 1);
        const bool axesValid = up >= 0 && up <= 2 && front >= 0 && front <= 2 && coord >= 0 && coord <= 2 &&
                               up != front && up != coord && front != coord;
        if (axesValid)
            settings.myAxisSystem = AxisSystem(static_cast<int>(up), upSign < 0 ? -1 : 1, static_cast<int>(front), frontSign < 0 ? -1 : 1,
                                               static_cast<int>(coord), coordSign < 0 ? -1 : 1);
        else
            std::printf("FBX: invalid axis settings, using Y up\n");

        auto unit = [](double aValue) { return std::isfinite(aValue) && aValue > 0.0 ? aValue : 1.0; };
        settings.myUnit = SystemUnit(unit(number("UnitScaleFactor", 1.0)));
        settings.myOriginalUnit = SystemUnit(unit(number("OriginalUnitScaleFactor", settings.myUnit.GetScaleFactor())));

        const int64_t mode = integer("TimeMode", 0);
        settings.myTimeMode = mode >= 0 && mode <= 18 ? static_cast<TimeMode>(mode) : TimeMode::Default;
        settings.myCustomFrameRate = number("CustomFrameRate", 0.0);
        settings.myTimeSpan.start = Time(integer("TimeSpanStart", 0));
        settings.myTimeSpan.stop = Time(integer("TimeSpanStop", 0));
    }

    // ---- Objects ----

    Object* SceneBuilder::Adopt(std::unique_ptr<Object> aObject)
    {
        Object* object = aObject.get();
        object->myScene = &myScene;
        myScene.myObjects.push_back(std::move(aObject));
        myScene.mySources.push_back(object);
        return object;
    }

    void SceneBuilder::ReadObjects(const Record& aObjects)
    {
        for (const Record& record : aObjects.children)
        {
            const Property* idProperty = record.GetProperty(0);
            if (!idProperty || !idProperty->IsNumber())
                continue;
            const uint64_t id = static_cast<uint64_t>(idProperty->AsInt64());
            if (id == 0 || myById.count(id))
            {
                std::printf("FBX: skipped object with a duplicate id (%.*s)\n", static_cast<int>(record.name.size()), record.name.data());
                continue;
            }
            Object* object = MakeObject(record);
            if (!object)
                continue;
            object->myId = id;
            myById.emplace(id, object);
        }
    }

    Object* SceneBuilder::MakeObject(const Record& aRecord)
    {
        const std::string_view subType = StringAt(aRecord, 2);
        std::unique_ptr<Object> made;
        const std::string_view kind = aRecord.name;

        if (kind == "Model")
            made = std::make_unique<Node>();
        else if (kind == "NodeAttribute")
        {
            if (subType == "Null")
                made = std::make_unique<NullAttribute>();
            else if (IsSkeletonType(subType))
            {
                auto skeleton = std::make_unique<Skeleton>();
                skeleton->mySkeletonType = SkeletonTypeOf(subType);
                made = std::move(skeleton);
            }
            else if (subType == "LodGroup")
                made = std::make_unique<LodGroup>();
            else
                made = std::make_unique<OtherAttribute>(AttributeTypeOf(subType));
        }
        else if (kind == "Geometry")
        {
            if (subType == "Mesh")
                made = std::make_unique<Mesh>();
            else
                made = std::make_unique<OtherGeometry>(AttributeTypeOf(subType));
        }
        else if (kind == "Material")
            made = std::make_unique<Material>();
        else if (kind == "Texture")
            made = std::make_unique<FileTexture>();
        else if (kind == "LayeredTexture")
            made = std::make_unique<LayeredTexture>();
        else if (kind == "Video")
            made = std::make_unique<Video>();
        else if (kind == "Deformer")
        {
            if (subType == "Skin")
                made = std::make_unique<Skin>();
            else if (subType == "Cluster")
                made = std::make_unique<Cluster>();
            else if (subType == "BlendShape")
                made = std::make_unique<OtherDeformer>(DeformerType::BlendShape);
            else if (subType == "VertexCacheDeformer")
                made = std::make_unique<OtherDeformer>(DeformerType::VertexCache);
            else
                made = std::make_unique<OtherDeformer>(DeformerType::Unknown);
        }
        else if (kind == "AnimationStack")
            made = std::make_unique<AnimStack>();
        else if (kind == "AnimationLayer")
            made = std::make_unique<AnimLayer>();
        else if (kind == "AnimationCurveNode")
            made = std::make_unique<AnimCurveNode>();
        else if (kind == "AnimationCurve")
            made = std::make_unique<AnimCurve>();
        else if (kind == "Pose")
            made = std::make_unique<PlainObject>(ObjectClass::Pose);
        else
            made = std::make_unique<PlainObject>(ObjectClass::Object);

        made->myName = ObjectName(aRecord);
        ReadProperties70(aRecord.Find("Properties70"), made->myProperties);
        const size_t ownCount = made->myProperties.size();
        ApplyTemplate(*made, kind);
        if (auto* attribute = made->As<NodeAttribute>())
            attribute->myTypeName = std::string(subType);

        Object* object = Adopt(std::move(made));
        switch (object->GetClass())
        {
        case ObjectClass::Node: ReadNode(static_cast<Node&>(*object), aRecord); break;
        case ObjectClass::Mesh: ReadMesh(static_cast<Mesh&>(*object), aRecord); break;
        case ObjectClass::Cluster: ReadCluster(static_cast<Cluster&>(*object), aRecord); break;
        case ObjectClass::AnimCurve: ReadCurve(static_cast<AnimCurve&>(*object), aRecord); break;
        case ObjectClass::AnimCurveNode: ReadCurveNode(static_cast<AnimCurveNode&>(*object)); break;
        case ObjectClass::LodGroup: ReadLodGroup(static_cast<LodGroup&>(*object)); break;
        case ObjectClass::FileTexture: ReadTexture(static_cast<FileTexture&>(*object), aRecord); break;
        case ObjectClass::AnimStack: ReadStack(static_cast<AnimStack&>(*object), ownCount); break;
        case ObjectClass::Material: static_cast<Material&>(*object).myShadingModel = std::string(ChildString(aRecord, "ShadingModel")); break;
        default: break;
        }
        return object;
    }

    void SceneBuilder::ReadNode(Node& aNode, const Record& aRecord)
    {
        aNode.myTypeName = std::string(StringAt(aRecord, 2));
        auto vector = [&aNode](std::string_view aName, const Vector4& aDefault) {
            const ObjectProperty* property = aNode.FindProperty(aName);
            return property ? property->GetVector(aDefault) : aDefault;
        };
        auto integer = [&aNode](std::string_view aName, int64_t aDefault) {
            const ObjectProperty* property = aNode.FindProperty(aName);
            return property ? property->GetInt(0, aDefault) : aDefault;
        };
        const Vector4 one(1.0, 1.0, 1.0);
        Node::TransformValues& values = aNode.myValues;
        values.translation = vector("Lcl Translation", {});
        values.rotation = vector("Lcl Rotation", {});
        values.scaling = vector("Lcl Scaling", one);
        values.preRotation = vector("PreRotation", {});
        values.postRotation = vector("PostRotation", {});
        values.rotationOffset = vector("RotationOffset", {});
        values.rotationPivot = vector("RotationPivot", {});
        values.scalingOffset = vector("ScalingOffset", {});
        values.scalingPivot = vector("ScalingPivot", {});
        const int64_t order = integer("RotationOrder", 0);
        values.order = order >= 0 && order <= 5 ? static_cast<RotationOrder>(order) : RotationOrder::XYZ;
        const int64_t inherit = integer("InheritType", 0);
        values.inherit = inherit >= 0 && inherit <= 2 ? static_cast<InheritType>(inherit) : InheritType::RrSs;
        // Pre/post rotation and rotation order apply whatever "RotationActive" says: exporters
        // that write them mean them, and independent readers agree.
        values.hasPreRotation = !(values.preRotation == Vector4());
        values.hasPostRotation = !(values.postRotation == Vector4());
        values.preRotationMatrix = AMatrix::Rotation(values.preRotation);
        values.postRotationInverse = AMatrix::Rotation(values.postRotation).Transpose();  // a rotation's inverse
        values.hasPivots = !(values.rotationOffset == Vector4() && values.rotationPivot == Vector4() &&
                             values.scalingOffset == Vector4() && values.scalingPivot == Vector4());
        aNode.myGeometricTranslation = vector("GeometricTranslation", {});
        aNode.myGeometricRotation = vector("GeometricRotation", {});
        aNode.myGeometricScaling = vector("GeometricScaling", one);
    }

    void SceneBuilder::ReadMesh(Mesh& aMesh, const Record& aRecord)
    {
        std::vector<double> scratch;
        const std::vector<double>& points = ChildDoublesView(aRecord, "Vertices", scratch);
        FillGroups<3>(points, aMesh.myControlPoints, [](const double* aNumbers) { return Vector4(aNumbers[0], aNumbers[1], aNumbers[2], 0.0); });

        // The last corner of each polygon is stored as ~index; a final polygon without the
        // marker is closed anyway. Whole numbers are read where the array holds them.
        auto readCorners = [&aMesh](const auto* someCorners, size_t aCount) {
            aMesh.myPolygonVertices.resize(aCount);
            int* polygonVertices = aMesh.myPolygonVertices.data();
            size_t polygonCount = 0;
            for (size_t corner = 0; corner < aCount; ++corner)
                polygonCount += someCorners[corner] < 0 ? 1 : 0;
            aMesh.myPolygonStarts.reserve(polygonCount + 1);
            bool polygonOpen = false;
            for (size_t corner = 0; corner < aCount; ++corner)
            {
                if (!polygonOpen)
                {
                    aMesh.myPolygonStarts.push_back(static_cast<int>(corner));
                    polygonOpen = true;
                }
                const int32_t value = static_cast<int32_t>(someCorners[corner]);
                polygonOpen = value >= 0;
                polygonVertices[corner] = value < 0 ? ~value : value;
            }
        };
        const Property* cornerValues = ChildValue(aRecord, "PolygonVertexIndex");
        if (const auto* held32 = cornerValues ? std::get_if<std::vector<int32_t>>(&cornerValues->GetValue()) : nullptr)
            readCorners(held32->data(), held32->size());
        else if (const auto* held64 = cornerValues ? std::get_if<std::vector<int64_t>>(&cornerValues->GetValue()) : nullptr)
            readCorners(held64->data(), held64->size());
        else
        {
            std::vector<int32_t> converted;
            ChildInts(aRecord, "PolygonVertexIndex", converted);
            readCorners(converted.data(), converted.size());
        }

        auto common = [](LayerElement& aElement, const Record& aElementRecord, std::initializer_list<std::string_view> someIndexNames) {
            aElement.myName = std::string(ChildString(aElementRecord, "Name"));
            aElement.myMappingMode = ParseMapping(ChildString(aElementRecord, "MappingInformationType"));
            aElement.myReferenceMode = ParseReference(ChildString(aElementRecord, "ReferenceInformationType"));
            for (std::string_view indexName : someIndexNames)
                if (const Property* indices = ChildValue(aElementRecord, indexName))
                {
                    indices->ToInt32s(aElement.myIndices);
                    break;
                }
        };
        // Normals stored per corner mostly repeat at every corner of a control point; with
        // aShareRepeats each distinct one is kept once and indexed, a fraction of the memory of a
        // copy per corner.
        auto vectors = [&common, &aMesh](const Record& aElementRecord, std::string_view aArray, std::string_view aWArray,
                                         std::initializer_list<std::string_view> someIndexNames, bool aShareRepeats) {
            auto element = std::make_unique<LayerElementOf<Vector4>>();
            common(*element, aElementRecord, someIndexNames);
            std::vector<double> wScratch;
            const std::vector<double>& w = ChildDoublesView(aElementRecord, aWArray, wScratch);
            ReadChildNumbers(aElementRecord, aArray, [&](auto someValues) {
                const size_t count = someValues.size() / 3;
                const bool share = aShareRepeats && element->myMappingMode == MappingMode::ByPolygonVertex &&
                                   element->myReferenceMode == ReferenceMode::Direct;
                const auto* numbers = someValues.data();
                const double* ws = w.data();
                const size_t wCount = w.size();
                auto valueAt = [&](size_t aIndex) {
                    return Vector4(static_cast<double>(numbers[aIndex * 3]), static_cast<double>(numbers[aIndex * 3 + 1]),
                                   static_cast<double>(numbers[aIndex * 3 + 2]), aIndex < wCount ? ws[aIndex] : 0.0);
                };
                if (!share)
                {
                    element->myValues.resize(count);
                    Vector4* values = element->myValues.data();
                    for (size_t index = 0; index < count; ++index)
                        values[index] = valueAt(index);
                    return;
                }
                constexpr int NONE = -1;
                element->myReferenceMode = ReferenceMode::IndexToDirect;
                element->myIndices.resize(count);
                // Each control point's latest kept value.
                std::vector<int> latest(aMesh.myControlPoints.size(), NONE);
                // Smooth normals keep about one per control point.
                std::vector<Vector4>& kept = element->myValues;
                kept.reserve(std::min(count, aMesh.myControlPoints.size()));
                int* indices = element->myIndices.data();
                int* latestOf = latest.data();
                const size_t pointCount = latest.size();
                const int* cornerPoints = aMesh.myPolygonVertices.data();
                const size_t cornerCount = aMesh.myPolygonVertices.size();
                for (size_t index = 0; index < count; ++index)
                {
                    const Vector4 value = valueAt(index);
                    const int controlPoint = index < cornerCount ? cornerPoints[index] : NONE;
                    const bool known = controlPoint >= 0 && static_cast<size_t>(controlPoint) < pointCount;
                    int keptIndex = known ? latestOf[controlPoint] : NONE;
                    if (keptIndex == NONE || std::memcmp(&kept[static_cast<size_t>(keptIndex)], &value, sizeof(Vector4)) != 0)
                    {
                        keptIndex = static_cast<int>(kept.size());
                        kept.push_back(value);
                        if (known)
                            latestOf[controlPoint] = keptIndex;
                    }
                    indices[index] = keptIndex;
                }
            });
            return element;
        };

        for (const Record& child : aRecord.children)
        {
            if (child.name == "LayerElementNormal")
                aMesh.myNormals.push_back(vectors(child, "Normals", "NormalsW", {"NormalsIndex", "NormalIndex"}, true));
            else if (child.name == "LayerElementTangent")
                aMesh.myTangents.push_back(vectors(child, "Tangents", "TangentsW", {"TangentsIndex", "TangentIndex"}, false));
            else if (child.name == "LayerElementBinormal")
                aMesh.myBinormals.push_back(vectors(child, "Binormals", "BinormalsW", {"BinormalsIndex", "BinormalIndex"}, false));
            else if (child.name == "LayerElementUV")
            {
                auto element = std::make_unique<LayerElementUV>();
                common(*element, child, {"UVIndex", "UVsIndex"});
                FillGroups<2>(ChildDoublesView(child, "UV", scratch), element->myValues,
                           [](const double* aNumbers) { return Vector2{aNumbers[0], aNumbers[1]}; });
                aMesh.myUVs.push_back(std::move(element));
            }
            else if (child.name == "LayerElementColor")
            {
                auto element = std::make_unique<LayerElementVertexColor>();
                common(*element, child, {"ColorIndex", "ColorsIndex"});
                FillGroups<4>(ChildDoublesView(child, "Colors", scratch), element->myValues,
                           [](const double* aNumbers) { return Color{aNumbers[0], aNumbers[1], aNumbers[2], aNumbers[3]}; });
                aMesh.myColors.push_back(std::move(element));
            }
            else if (child.name == "LayerElementMaterial")
            {
                auto element = std::make_unique<LayerElementMaterial>();
                common(*element, child, {"Materials"});
                aMesh.myMaterials.push_back(std::move(element));
            }
        }
    }

    void SceneBuilder::ReadCluster(Cluster& aCluster, const Record& aRecord)
    {
        ChildInts(aRecord, "Indexes", aCluster.myIndices);
        ChildDoubles(aRecord, "Weights", aCluster.myWeights);
        const size_t count = std::min(aCluster.myIndices.size(), aCluster.myWeights.size());
        aCluster.myIndices.resize(count);
        aCluster.myWeights.resize(count);
        std::vector<double> values;
        ChildDoubles(aRecord, "Transform", values);
        aCluster.myTransform = MatrixFrom(values);
        ChildDoubles(aRecord, "TransformLink", values);
        aCluster.myTransformLink = MatrixFrom(values);
        // The file stores the mesh relative to the bone at binding time; callers expect the mesh's
        // own global transform at binding time, which is the bone's global times that relative one.
        aCluster.myTransform = aCluster.myTransformLink * aCluster.myTransform;
    }

    void SceneBuilder::ReadCurve(AnimCurve& aCurve, const Record& aRecord)
    {
        if (const Property* value = ChildValue(aRecord, "Default"))
            aCurve.myDefault = value->AsDouble();
        std::vector<int64_t> times;
        if (const Property* value = ChildValue(aRecord, "KeyTime"))
            value->ToInt64s(times);
        std::vector<double> values;
        ChildDoubles(aRecord, "KeyValueFloat", values);
        std::vector<int32_t> flags;
        ChildInts(aRecord, "KeyAttrFlags", flags);
        std::vector<double> data;
        ReadFloatBits(ChildValue(aRecord, "KeyAttrDataFloat"), data);
        std::vector<int32_t> refCounts;
        ChildInts(aRecord, "KeyAttrRefCount", refCounts);

        const size_t count = std::min(times.size(), values.size());
        aCurve.myKeys.resize(count);
        // Attribute j serves refCounts[j] consecutive keys; without counts, one key each.
        size_t attribute = 0;
        int32_t usedOfAttribute = 0;
        for (size_t k = 0; k < count; ++k)
        {
            AnimCurve::Key& key = aCurve.myKeys[k];
            key.time = times[k];
            key.value = values[k];
            if (!refCounts.empty())
            {
                while (attribute < refCounts.size() && usedOfAttribute >= refCounts[attribute])
                {
                    ++attribute;
                    usedOfAttribute = 0;
                }
                ++usedOfAttribute;
            }
            else
                attribute = k;
            if (attribute >= flags.size())
            {
                key.interpolation = Interpolation::Linear;
                continue;
            }
            const uint32_t flag = static_cast<uint32_t>(flags[attribute]);
            if (flag & 0x2u)
                key.interpolation = Interpolation::Constant;
            else if (flag & 0x8u)
                key.interpolation = Interpolation::Cubic;
            else
                key.interpolation = Interpolation::Linear;
            key.constantNext = (flag & 0x100u) != 0;
            const size_t base = attribute * 4;
            if (base + 1 < data.size())
            {
                key.rightSlope = std::isfinite(data[base]) ? data[base] : 0.0;
                key.nextLeftSlope = std::isfinite(data[base + 1]) ? data[base + 1] : 0.0;
            }
            if (base + 2 < data.size())
            {
                // Two weights packed as 16-bit fixed point (1/10000) in the float's bits.
                const uint32_t packed = std::bit_cast<uint32_t>(static_cast<float>(data[base + 2]));
                if (flag & 0x1000000u)
                    key.rightWeight = std::clamp((packed & 0xFFFFu) / 10000.0, 0.0, 1.0);
                if (flag & 0x2000000u)
                    key.nextLeftWeight = std::clamp((packed >> 16) / 10000.0, 0.0, 1.0);
            }
        }
        std::stable_sort(aCurve.myKeys.begin(), aCurve.myKeys.end(),
                         [](const AnimCurve::Key& aLeft, const AnimCurve::Key& aRight) { return aLeft.time < aRight.time; });
        ReadExtrapolation(aRecord.Find("Pre-Extrapolation"), aCurve.myPreExtrapolation);
        ReadExtrapolation(aRecord.Find("Post-Extrapolation"), aCurve.myPostExtrapolation);
    }

    void SceneBuilder::ReadExtrapolation(const Record* aRecord, AnimCurve::ExtrapolationMode& aOut)
    {
        if (!aRecord)
            return;
        // The type is a letter, written as a string or (in binary files) as its character code.
        char letter = 'C';
        if (const Property* type = ChildValue(*aRecord, "Type"))
            letter = type->IsString() ? (type->AsString().empty() ? 'C' : type->AsString()[0]) : static_cast<char>(type->AsInt64());
        switch (letter)
        {
        case 'R': aOut.type = AnimCurve::Extrapolation::Repetition; break;
        case 'M': aOut.type = AnimCurve::Extrapolation::MirrorRepetition; break;
        case 'K': aOut.type = AnimCurve::Extrapolation::KeepSlope; break;
        default: aOut.type = AnimCurve::Extrapolation::Constant; break;
        }
        if (const Property* repetitions = ChildValue(*aRecord, "Repetition"))
            aOut.repetitions = repetitions->AsInt64();
    }

    void SceneBuilder::ReadCurveNode(AnimCurveNode& aCurveNode)
    {
        for (int i = 0; i < aCurveNode.GetPropertyCount(); ++i)
        {
            const ObjectProperty& property = aCurveNode.GetPropertyAt(i);
            if (property.GetName().size() > 2 && property.GetName().compare(0, 2, "d|") == 0)
                aCurveNode.myChannels.push_back({std::string(property.GetName().substr(2)), property.GetDouble(0, 0.0), nullptr});
        }
    }

    void SceneBuilder::ReadLodGroup(LodGroup& aGroup)
    {
        for (int level = 0;; ++level)
        {
            const ObjectProperty* threshold = aGroup.FindProperty("Thresholds|Level" + std::to_string(level));
            if (!threshold)
                break;
            aGroup.myThresholds.push_back(threshold->GetDouble(0, 0.0));
        }
        const ObjectProperty* percentage = aGroup.FindProperty("ThresholdsUsedAsPercentage");
        aGroup.myThresholdsAsPercentage = percentage && percentage->GetInt(0, 0) != 0;
    }

    void SceneBuilder::ReadTexture(FileTexture& aTexture, const Record& aRecord)
    {
        aTexture.myFileName = std::string(ChildString(aRecord, "FileName"));
        if (aTexture.myFileName.empty())
            aTexture.myFileName = std::string(ChildString(aRecord, "Filename"));
        aTexture.myRelativeFileName = std::string(ChildString(aRecord, "RelativeFilename"));
    }

    void SceneBuilder::ReadStack(AnimStack& aStack, size_t aOwnCount)
    {
        // Only the stack's own values make a time span, not the template's defaults.
        for (size_t i = 0; i < aOwnCount && i < aStack.myProperties.size(); ++i)
        {
            const ObjectProperty& property = aStack.myProperties[i];
            if (property.GetNumberCount() == 0)
                continue;
            if (property.GetName() == "LocalStart")
            {
                aStack.myLocalSpan.start = Time(property.GetInt(0, 0));
                aStack.myHasLocalSpan = true;
            }
            else if (property.GetName() == "LocalStop")
            {
                aStack.myLocalSpan.stop = Time(property.GetInt(0, 0));
                aStack.myHasLocalSpan = true;
            }
        }
    }

    // ---- Connections ----

    void SceneBuilder::ConnectObjects(Object& aChild, Object& aParent)
    {
        if (Node* parentNode = aParent.As<Node>())
        {
            if (Node* childNode = aChild.As<Node>())
            {
                // The first parent wins; cycles of a damaged file are cut once all links are read.
                if (childNode == myScene.myRoot || childNode->myParent)
                    return;
                childNode->myParent = parentNode;
                parentNode->myChildren.push_back(childNode);
            }
            else if (const NodeAttribute* attribute = aChild.As<NodeAttribute>())
            {
                if (!parentNode->myAttribute)
                    parentNode->myAttribute = attribute;
            }
            else if (const Material* material = aChild.As<Material>())
                parentNode->myMaterials.push_back(material);
        }
        else if (Geometry* geometry = aParent.As<Geometry>())
        {
            if (const Deformer* deformer = aChild.As<Deformer>())
                geometry->myDeformers.push_back(deformer);
        }
        else if (Skin* skin = aParent.As<Skin>())
        {
            if (const Cluster* cluster = aChild.As<Cluster>())
                skin->myClusters.push_back(cluster);
        }
        else if (Cluster* cluster = aParent.As<Cluster>())
        {
            if (const Node* link = aChild.As<Node>(); link && !cluster->myLink)
                cluster->myLink = link;
        }
        else if (AnimStack* stack = aParent.As<AnimStack>())
        {
            if (const AnimLayer* layer = aChild.As<AnimLayer>())
                stack->myLayers.push_back(layer);
        }
        else if (AnimLayer* layer = aParent.As<AnimLayer>())
        {
            if (const AnimCurveNode* curveNode = aChild.As<AnimCurveNode>())
                layer->myCurveNodes.push_back(curveNode);
        }
    }

    void SceneBuilder::ConnectProperty(Object& aChild, Object& aParent, std::string_view aProperty)
    {
        // Links hang sources on the property itself, so the object gets its own copy of the defaults.
        CopyTemplateIn(aParent);
        ObjectProperty* property = nullptr;
        for (ObjectProperty& candidate : aParent.myProperties)
            if (candidate.myName == aProperty)
            {
                property = &candidate;
                break;
            }
        if (!property)
        {
            ObjectProperty made;
            made.myName = Keep(aProperty);
            aParent.myProperties.push_back(std::move(made));
            property = &aParent.myProperties.back();
        }
        property->mySources.push_back(&aChild);

        if (AnimCurveNode* curveNode = aChild.As<AnimCurveNode>())
        {
            if (!curveNode->myTarget)
            {
                curveNode->myTarget = &aParent;
                curveNode->myTargetProperty = aProperty;
            }
        }
        else if (AnimCurveNode* parentCurveNode = aParent.As<AnimCurveNode>())
        {
            if (const AnimCurve* curve = aChild.As<AnimCurve>())
            {
                const std::string_view channel = aProperty.size() > 2 && aProperty.compare(0, 2, "d|") == 0 ? aProperty.substr(2) : aProperty;
                auto found = std::find_if(parentCurveNode->myChannels.begin(), parentCurveNode->myChannels.end(),
                                          [&channel](const AnimCurveNode::Channel& aChannel) { return aChannel.name == channel; });
                if (found == parentCurveNode->myChannels.end())
                {
                    parentCurveNode->myChannels.push_back({std::string(channel), curve->GetDefaultValue(), curve});
                }
                else if (!found->curve)
                    found->curve = curve;
            }
        }
    }

    void SceneBuilder::ReadConnections()
    {
        const Record* connections = myDocument.root.Find("Connections");
        if (!connections)
            return;
        for (const Record& link : connections->children)
        {
            if (link.name != "C" || link.properties.size() < 3)
                continue;
            const std::string_view type = link.properties[0].AsString();
            if (!link.properties[1].IsNumber() || !link.properties[2].IsNumber())
                continue;
            const auto child = myById.find(static_cast<uint64_t>(link.properties[1].AsInt64()));
            const auto parent = myById.find(static_cast<uint64_t>(link.properties[2].AsInt64()));
            if (child == myById.end() || parent == myById.end() || child->second == parent->second)
                continue;
            if (type == "OO")
            {
                child->second->myDestinations.push_back(parent->second);
                parent->second->mySources.push_back(child->second);
                ConnectObjects(*child->second, *parent->second);
            }
            else if (type == "OP" && link.properties.size() >= 4)
            {
                const std::string_view property = link.properties[3].AsString();
                if (property.empty())
                    continue;
                child->second->myDestinations.push_back(parent->second);
                ConnectProperty(*child->second, *parent->second, property);
            }
        }
    }

    void SceneBuilder::ReadTakes()
    {
        const Record* takes = myDocument.root.Find("Takes");
        if (!takes)
            return;
        for (const Record* take : takes->FindAll("Take"))
        {
            TakeInfo info;
            info.name = std::string(StringAt(*take, 0));
            auto span = [take](std::string_view aName, TimeSpan& aOut) {
                const Record* times = take->Find(aName);
                if (!times || times->properties.size() < 2)
                    return false;
                aOut.start = Time(times->properties[0].AsInt64());
                aOut.stop = Time(times->properties[1].AsInt64());
                return true;
            };
            const bool hasLocal = span("LocalTime", info.localTimeSpan);
            const bool hasReference = span("ReferenceTime", info.referenceTimeSpan);
            if (!hasLocal && hasReference)
                info.localTimeSpan = info.referenceTimeSpan;
            else if (hasLocal && !hasReference)
                info.referenceTimeSpan = info.localTimeSpan;
            if (!hasLocal && !hasReference)
                info.localTimeSpan = info.referenceTimeSpan = myScene.mySettings.GetTimelineDefaultTimeSpan();
            myScene.myTakes.push_back(std::move(info));
        }
    }

    void SceneBuilder::CutCycles()
    {
        // Walks up from every node once; meeting a node of the walk in progress means a cycle,
        // which is cut at the link that closes it.
        enum class State { Unseen, InProgress, Done };
        std::unordered_map<const Node*, State> states;
        std::vector<Node*> path;
        for (const auto& object : myScene.myObjects)
        {
            Node* start = object->As<Node>();
            if (!start || states[start] != State::Unseen)
                continue;
            path.clear();
            for (Node* node = start; node; node = node->myParent)
            {
                State& state = states[node];
                if (state == State::Done)
                    break;
                if (state == State::InProgress)
                {
                    Node* closing = path.back();
                    auto& siblings = closing->myParent->myChildren;
                    siblings.erase(std::remove(siblings.begin(), siblings.end(), closing), siblings.end());
                    closing->myParent = nullptr;
                    std::printf("FBX: cut a cycle in the node hierarchy at %s\n", closing->GetName().c_str());
                    break;
                }
                state = State::InProgress;
                path.push_back(node);
            }
            for (Node* node : path)
                states[node] = State::Done;
        }
    }

    void SceneBuilder::Finish()
    {
        CutCycles();

        // Nodes typed Null or as skeleton in the file but without an attribute object get one,
        // so the walk can tell markers and bones from plain groups.
        std::vector<Node*> needAttribute;
        for (const auto& object : myScene.myObjects)
            if (Node* node = object->As<Node>(); node && node != myScene.myRoot && !node->myAttribute &&
                                                 (node->myTypeName == "Null" || IsSkeletonType(node->myTypeName)))
                needAttribute.push_back(node);
        for (Node* node : needAttribute)
        {
            std::unique_ptr<NodeAttribute> attribute;
            if (node->myTypeName == "Null")
                attribute = std::make_unique<NullAttribute>();
            else
            {
                auto skeleton = std::make_unique<Skeleton>();
                skeleton->mySkeletonType = SkeletonTypeOf(node->myTypeName);
                attribute = std::move(skeleton);
            }
            attribute->myName = node->myName;
            attribute->myTypeName = node->myTypeName;
            attribute->myDestinations.push_back(node);
            node->myAttribute = attribute.get();
            Adopt(std::move(attribute));
        }

        for (const auto& object : myScene.myObjects)
        {
            if (const Node* node = object->As<Node>(); node && node != myScene.myRoot)
            {
                myScene.myNodes.push_back(node);
                myScene.myNodesByName.emplace(std::string_view(node->GetName()), node);
            }
            else if (const Material* material = object->As<Material>())
                myScene.myMaterials.push_back(material);
            else if (const AnimStack* stack = object->As<AnimStack>())
                myScene.myAnimStacks.push_back(stack);
        }

        for (const auto& object : myScene.myObjects)
            if (AnimLayer* layer = object->As<AnimLayer>())
                for (const AnimCurveNode* curveNode : layer->myCurveNodes)
                    if (curveNode->GetTargetObject())
                        layer->myByTarget[curveNode->GetTargetObject()].push_back(curveNode);

        // Evaluation animates from the first stack's base layer.
        const AnimStack* stack = myScene.GetAnimStack(0);
        const AnimLayer* baseLayer = stack ? stack->GetLayer(0) : nullptr;
        if (!baseLayer)
            return;
        static constexpr const char* ANIMATED[3] = {"Lcl Translation", "Lcl Rotation", "Lcl Scaling"};
        for (const auto& object : myScene.myObjects)
            if (Node* node = object->As<Node>())
                for (int i = 0; i < 3; ++i)
                    node->myCurveNodes[i] = baseLayer->FindCurveNode(node, ANIMATED[i]);
    }
}
