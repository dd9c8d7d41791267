#include "PropertyTestSupport.h"

#include <cstdlib>
#include <set>
#include <thread>

using namespace Vela;
using VelaTest::Read;
using VelaTest::TypeNamed;

namespace RegistryTestTypes
{
    struct Extra
    {
        int myValue = 0;
    };
    void ReadPropertyValue(Extra&, const nlohmann::json&) {}
    void WritePropertyValue(const Extra&, nlohmann::json&) {}
    bool DrawPropertyValueEditor(Extra&, const char*, const char*) { return false; }
}

TEST(PropertyRegistry, FindsEveryBuiltInTypeByItsExactName)
{
    const char* names[] = { "Bool", "Int", "Float", "Float2", "Float3", "Float4", "Color", "StringId", "Pose",
                            "Collider - Box", "Button", "Model", "Sprite", "Scene", "Animation Clip" };
    std::set<const PropertyTypeBase*> distinct;
    for (const char* name : names)
    {
        const PropertyTypeBase* type = TypeNamed(name);
        ASSERT_NE(type, nullptr) << name;
        EXPECT_STREQ(type->GetDisplayName(), name);
        EXPECT_EQ(type->GetTypeId(), StringRegistry::RegisterOrGetString(name));
        distinct.insert(type);
    }
    EXPECT_EQ(distinct.size(), std::size(names));

    EXPECT_EQ(TypeNamed("Float"), &PropertyType<float>::ourInstance);
    EXPECT_EQ(TypeNamed("Color"), &PropertyType<Color>::ourInstance);
    EXPECT_EQ(TypeNamed("Float4"), &PropertyType<Vector4<float>>::ourInstance);
    EXPECT_EQ(TypeNamed("Model"), &PropertyType<SceneModelValue>::ourInstance);

    EXPECT_EQ(TypeNamed("float"), nullptr);
    EXPECT_EQ(TypeNamed("Collider-Box"), nullptr);
    EXPECT_EQ(TypeNamed("Collider  - Box"), nullptr);
    EXPECT_EQ(PropertyTypeBase::FindType(StringId()), nullptr);
}

TEST(PropertyRegistry, FirstUseFinalisesOnceAndLateRegistrationsAbort)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // A fresh process: GetTypeId is the very first lookup there.
    EXPECT_EXIT(
        {
            const bool named = PropertyType<Color>::ourInstance.GetTypeId() == StringRegistry::RegisterOrGetString("Color");
            std::exit(named ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");

    // Two threads racing for the first lookup both see the finished map.
    EXPECT_EXIT(
        {
            const PropertyTypeBase* seen[2] = {};
            std::thread first([&] { seen[0] = TypeNamed("Float3"); });
            std::thread second([&] { seen[1] = TypeNamed("Float3"); });
            first.join();
            second.join();
            const bool same = seen[0] == &PropertyType<Vector3<float>>::ourInstance && seen[1] == seen[0];
            std::exit(same ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");

    EXPECT_DEATH(
        {
            TypeNamed("Int");
            new PropertyType<RegistryTestTypes::Extra>("Extra");
        },
        "");
}

TEST(PropertyRegistry, HoldsAtMost512Types)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            while (PropertyTypeBase::GetRegisteredCount() < MAX_PROPERTY_TYPES)
            {
                new PropertyType<RegistryTestTypes::Extra>("Extra");
            }
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_DEATH(
        {
            for (uint32_t i = 0; i <= MAX_PROPERTY_TYPES; ++i)
            {
                new PropertyType<RegistryTestTypes::Extra>("Extra");
            }
        },
        "");
}

TEST(Property, TypedAccessComparesTheTypeExactly)
{
    const Property integer = Read("Int", 7);
    const Property real = Read("Float", 2.5);
    EXPECT_EQ(integer.Get<float>(), nullptr);
    ASSERT_NE(integer.Get<int32_t>(), nullptr);
    EXPECT_EQ(*integer.Get<int32_t>(), 7);
    ASSERT_NE(real.Get<float>(), nullptr);
    EXPECT_EQ(*real.Get<float>(), 2.5f);

    const Property colour = Read("Color", { 0.1, 0.2, 0.3, 0.4 });
    EXPECT_EQ(colour.Get<Vector4<float>>(), nullptr);
    ASSERT_NE(colour.Get<Color>(), nullptr);
}

TEST(Property, EmptyPropertiesCopyAndDestroyAsEmpty)
{
    Property empty;
    Property copy(empty);
    Property moved(std::move(copy));
    EXPECT_EQ(copy.GetType(), nullptr);
    EXPECT_EQ(moved.GetType(), nullptr);

    Property value = Read("Int", 3);
    value = empty;
    EXPECT_EQ(value.GetType(), nullptr);
    EXPECT_EQ(value.Get<int32_t>(), nullptr);
}

TEST(Property, AssignmentReplacesTypeAndValueAndSelfAssignmentKeepsThem)
{
    Property value = Read("Int", 3);
    const Property other = Read("Float3", { 1, 2, 3 });
    value = other;
    ASSERT_NE(value.Get<Vector3<float>>(), nullptr);
    EXPECT_EQ(*value.Get<Vector3<float>>(), Vector3<float>(1, 2, 3));

    Property& alias = value;
    value = alias;
    value = std::move(alias);
    ASSERT_NE(value.Get<Vector3<float>>(), nullptr);
    EXPECT_EQ(*value.Get<Vector3<float>>(), Vector3<float>(1, 2, 3));

    Property model = Read("Model", { { "path", "a.fbx" } });
    const auto* handle = model.Get<SceneModelValue>();
    Property& modelAlias = model;
    model = modelAlias;
    model = std::move(modelAlias);
    EXPECT_EQ(handle->GetReferenceCount(), 1u);
    EXPECT_STREQ(model.Get<SceneModelValue>()->Get().path.GetString(), "a.fbx");
}

TEST(Property, StorageIsAlignedInContainers)
{
    std::vector<Property> values;
    for (int i = 0; i < 9; ++i)
    {
        values.push_back(Read("Int", i));
    }
    for (int i = 0; i < 9; ++i)
    {
        EXPECT_EQ(reinterpret_cast<uintptr_t>(values[i].GetStorage()) % 64, 0u);
        EXPECT_EQ(*values[i].Get<int32_t>(), i);
    }
}

TEST(Property, DefaultConstructGivesEachTypesDefault)
{
    alignas(64) unsigned char storage[64];
    TypeNamed("Color")->DefaultConstruct(storage);
    EXPECT_EQ(*reinterpret_cast<Color*>(storage), Color(0, 0, 0, 0));
    TypeNamed("Collider - Box")->DefaultConstruct(storage);
    EXPECT_FALSE(reinterpret_cast<BoxColliderProperty*>(storage)->isActive);

    const PropertyTypeBase* sprite = TypeNamed("Sprite");
    sprite->DefaultConstruct(storage);
    const auto* handle = reinterpret_cast<SceneSpriteValue*>(storage);
    EXPECT_EQ(handle->GetObject(), SceneSpriteValue().GetObject());
    EXPECT_EQ((*handle)->size, Vector2<float>(100, 100));
    EXPECT_EQ((*handle)->pivot, Vector2<float>(0.5f, 0.5f));
    sprite->Destroy(storage);
}
