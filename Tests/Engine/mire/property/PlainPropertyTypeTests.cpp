#include "PropertyTestSupport.h"

using namespace Vela;
using nlohmann::json;
using VelaTest::ExpectJsonError;
using VelaTest::Read;
using VelaTest::Write;
using TypeError = json::type_error;
using OutOfRange = json::out_of_range;

TEST(PlainPropertyTypes, RoundTripThroughJson)
{
    const std::pair<const char*, json> cases[] = {
        { "Bool", true },
        { "Int", -42 },
        { "Float", 1.5 },
        { "Float2", { 1.0, -2.0 } },
        { "Float3", { 1.0, 2.0, 3.5 } },
        { "Float4", { 1.0, 2.0, 3.0, 4.0 } },
        { "Color", { 0.25, 0.5, 0.75, 1.0 } },
        { "StringId", "levels/Level 1" },
        { "Pose", nullptr },
        { "Collider - Box", { { "isActive", true }, { "offsetSize", { 1.0, 2.0 } }, { "position", { 3.0, 4.0 } } } },
        { "Button", { { "function_path", "StartGame" }, { "height", 2.0 }, { "layer_path", "Main" }, { "width", 1.0 }, { "x", 1.0 }, { "y", 2.0 }, { "z", 3.0 } } },
    };
    for (const auto& [typeName, written] : cases)
    {
        const Property value = Read(typeName, written);
        EXPECT_EQ(Write(value), written) << typeName;
        const Property again = Read(typeName, Write(value));
        EXPECT_EQ(Write(again), written) << typeName;
        const Property copy(value);
        EXPECT_EQ(Write(copy), written) << typeName;
    }
}

TEST(PlainPropertyTypes, ValuesLandInTheRightFields)
{
    EXPECT_EQ(*Read("Color", { 0.1, 0.2, 0.3, 0.4 }).Get<Color>(), Color(0.1f, 0.2f, 0.3f, 0.4f));
    EXPECT_EQ(*Read("Float4", { 1, 2, 3, 4 }).Get<Vector4<float>>(), Vector4<float>(1, 2, 3, 4));
    EXPECT_EQ(*Read("Float3", { 1, 2, 3, 4 }).Get<Vector3<float>>(), Vector3<float>(1, 2, 3));
    EXPECT_EQ(*Read("Float2", { 1, true }).Get<Vector2<float>>(), Vector2<float>(1, 1));
    EXPECT_EQ(*Read("StringId", "Orb").Get<StringId>(), StringRegistry::RegisterOrGetString("Orb"));

    const Property button = Read("Button", { { "height", 5 }, { "width", 6 }, { "x", 1 }, { "y", 2 }, { "z", 3 } });
    const Button& read = *button.Get<Button>();
    EXPECT_EQ(read.height, 5.0f);
    EXPECT_EQ(read.width, 6.0f);
    EXPECT_EQ(read.z, 3.0f);
    EXPECT_TRUE(read.functionPath.IsEmpty());
    EXPECT_TRUE(read.layerPath.IsEmpty());
    EXPECT_EQ(Write(button)["function_path"], "");
    EXPECT_EQ(Write(button)["layer_path"], "");
}

TEST(PlainPropertyTypes, NumbersConvertLikeTheJsonLibrary)
{
    EXPECT_EQ(*Read("Int", 2.9).Get<int32_t>(), 2);
    EXPECT_EQ(*Read("Int", -2.9).Get<int32_t>(), -2);
    EXPECT_EQ(*Read("Int", true).Get<int32_t>(), 1);
    EXPECT_EQ(*Read("Int", 7u).Get<int32_t>(), 7);
    EXPECT_EQ(*Read("Float", false).Get<float>(), 0.0f);
    EXPECT_EQ(*Read("Float", 3).Get<float>(), 3.0f);
    EXPECT_FALSE(*Read("Bool", false).Get<bool>());
}

TEST(PlainPropertyTypes, WrongShapesRaiseTheLibrarysErrors)
{
    ExpectJsonError<TypeError>("Int", "2", 302, "type must be number, but is string");
    ExpectJsonError<TypeError>("Float", nullptr, 302, "type must be number, but is null");
    ExpectJsonError<TypeError>("Bool", 1, 302, "type must be boolean, but is number");
    ExpectJsonError<TypeError>("StringId", 5, 302, "type must be string, but is number");
    ExpectJsonError<TypeError>("Float3", { { "x", 1 } }, 305, "cannot use operator[] with a numeric argument with object");
    ExpectJsonError<TypeError>("Color", 1.0, 305, "cannot use operator[] with a numeric argument with number");
    ExpectJsonError<TypeError>("Float2", nullptr, 305, "cannot use operator[] with a numeric argument with null");
    ExpectJsonError<TypeError>("Float3", { 1, 2, "3" }, 302, "type must be number, but is string");
    ExpectJsonError<TypeError>("Button", json::array(), 305, "cannot use operator[] with a string argument with array");
    ExpectJsonError<TypeError>("Button", { { "height", 1 }, { "width", 1 }, { "x", 1 }, { "y", 1 }, { "z", 1 }, { "layer_path", 3 } }, 302,
                               "type must be string, but is number");
    ExpectJsonError<TypeError>("Collider - Box", { 1, 2, 99, 0, 3, 4 }, 302, "type must be boolean, but is number");
    ExpectJsonError<TypeError>("Collider - Box", { { "offsetSize", { 1, 2 } }, { "isActive", "yes" }, { "position", { 1, 2 } } }, 302,
                               "type must be boolean, but is string");
}

TEST(PlainPropertyTypes, AnIntOutsideThe32BitRangeIsRejectedNotCast)
{
    ExpectJsonError<OutOfRange>("Int", 1e20, 406, "number overflow");
    ExpectJsonError<OutOfRange>("Int", -1e20, 406, "number overflow");
    ExpectJsonError<OutOfRange>("Int", 2147483648.0, 406, "number overflow");
    ExpectJsonError<OutOfRange>("Int", 2147483648u, 406, "number overflow");
    ExpectJsonError<OutOfRange>("Int", int64_t(-2147483649), 406, "number overflow");
    ExpectJsonError<OutOfRange>("Int", json::parse("18446744073709551615"), 406, "number overflow");
    // The ends of the range, and fractions inside it, still read.
    EXPECT_EQ(*Read("Int", 2147483647).Get<int32_t>(), 2147483647);
    EXPECT_EQ(*Read("Int", int64_t(-2147483648)).Get<int32_t>(), -2147483647 - 1);
    EXPECT_EQ(*Read("Int", 2147483647.5).Get<int32_t>(), 2147483647);
    EXPECT_EQ(*Read("Int", -2147483648.5).Get<int32_t>(), -2147483647 - 1);
}

TEST(PlainPropertyTypes, ShortArraysAndMissingKeysAreRejectedNotOverread)
{
    ExpectJsonError<OutOfRange>("Float4", { 1, 2, 3 }, 401, "array index 3 is out of range");
    ExpectJsonError<OutOfRange>("Float2", json::array(), 401, "array index 0 is out of range");
    ExpectJsonError<OutOfRange>("Collider - Box", { 1, 2, 99, false, 3 }, 401, "array index 5 is out of range");
    ExpectJsonError<OutOfRange>("Collider - Box", { { "offsetSize", { 1, 2 } } }, 403, "key 'position' not found");
    ExpectJsonError<OutOfRange>("Collider - Box", { { "offsetSize", { 1 } }, { "position", { 1, 2 } } }, 401, "array index 1 is out of range");
    ExpectJsonError<OutOfRange>("Button", { { "height", 1 }, { "x", 1 }, { "y", 1 }, { "z", 1 } }, 403, "key 'width' not found");
}

TEST(PlainPropertyTypes, BoxColliderForms)
{
    const Property object = Read("Collider - Box", { { "offsetSize", { 1, 2 } }, { "position", { 3, 4 } } });
    const BoxColliderProperty& fromObject = *object.Get<BoxColliderProperty>();
    EXPECT_TRUE(fromObject.isActive);
    EXPECT_EQ(fromObject.offsetSize, Vector2<float>(1, 2));
    EXPECT_EQ(fromObject.position, Vector2<float>(3, 4));

    const Property older = Read("Collider - Box", { 1, 2, 99, false, 3, 4 });
    const BoxColliderProperty& fromArray = *older.Get<BoxColliderProperty>();
    EXPECT_FALSE(fromArray.isActive);
    EXPECT_EQ(fromArray.offsetSize, Vector2<float>(1, 2));
    EXPECT_EQ(fromArray.position, Vector2<float>(3, 4));

    for (const json& other : { json(nullptr), json(5), json("box") })
    {
        EXPECT_EQ(*Read("Collider - Box", other).Get<BoxColliderProperty>(), BoxColliderProperty{}) << other.dump();
    }

    // The writer's keys come out sorted.
    EXPECT_EQ(Write(older).dump(), R"({"isActive":false,"offsetSize":[1.0,2.0],"position":[3.0,4.0]})");
}

TEST(PlainPropertyTypes, EmptyTextAndPoseReadAsNothing)
{
    const Property text = Read("StringId", "");
    EXPECT_TRUE(text.Get<StringId>()->IsEmpty());
    EXPECT_EQ(Write(text), "");

    for (const json& anything : { json(5), json("x"), json::array({ 1, 2 }), json::object() })
    {
        const Property pose = Read("Pose", anything);
        EXPECT_EQ(*pose.Get<PoseAndMotion>(), PoseAndMotion{});
        EXPECT_TRUE(Write(pose).is_null());
    }
}

TEST(PlainPropertyTypes, ReadingOverALiveValueReplacesIt)
{
    Property value = Read("Float3", { 1, 2, 3 });
    value.GetType()->ReadJson(value.GetStorage(), { 4, 5, 6 });
    EXPECT_EQ(*value.Get<Vector3<float>>(), Vector3<float>(4, 5, 6));

    // A failed read may leave the leading components assigned; the value stays usable.
    EXPECT_THROW(value.GetType()->ReadJson(value.GetStorage(), { 7, 8, "x" }), TypeError);
    EXPECT_EQ(*value.Get<Vector3<float>>(), Vector3<float>(7, 8, 6));
}
