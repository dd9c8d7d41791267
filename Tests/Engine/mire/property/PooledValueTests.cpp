#include "PropertyTestSupport.h"

#include <atomic>
#include <thread>
#include <vector>

using namespace Vela;
using nlohmann::json;
using VelaTest::ExpectJsonError;
using VelaTest::Read;
using VelaTest::Write;

namespace
{
    // Pools of private types start empty, whatever the other tests did.
    struct CountedValue
    {
        int myValue = 0;
    };
    struct TornDownValue
    {
        int myValue = 0;
    };

    size_t LiveModels() { return impl::StaticObjectPool<SceneModel>::Instance().GetLiveCount(); }

    StringId Id(const char* aText) { return StringRegistry::RegisterOrGetString(aText); }
}

TEST(StaticObjectPool, FillsBucketsInOrderAndReusesTheLastReleasedSlotFirst)
{
    using Pool = impl::StaticObjectPool<CountedValue>;
    std::vector<CopyOnWriteWrapper<CountedValue>> values;
    for (int i = 1; i < impl::POOL_BUCKET_SIZE; ++i)
    {
        values.emplace_back(CountedValue{ i });
    }
    const auto* firstBucket = values.front().GetBucket();
    EXPECT_EQ(values.front().GetObject(), &CopyOnWriteWrapper<CountedValue>().Get() + 1);
    EXPECT_EQ(values.back().GetBucket(), firstBucket);
    EXPECT_EQ(Pool::Instance().GetBucketCount(), 1u);

    // The 1024th allocation opens a second bucket at its slot 0, an ordinary slot.
    values.emplace_back(CountedValue{ 1024 });
    EXPECT_EQ(Pool::Instance().GetBucketCount(), 2u);
    EXPECT_NE(values.back().GetBucket(), firstBucket);
    EXPECT_EQ(values.back().GetReferenceCount(), 1u);
    values.emplace_back(CountedValue{ 1025 });
    EXPECT_EQ(values.back().GetObject(), values[values.size() - 2].GetObject() + 1);
    EXPECT_EQ(Pool::Instance().GetLiveCount(), 1025u);

    const CountedValue* released = values[10].GetObject();
    const CountedValue* releasedLast = values[20].GetObject();
    values[10] = CopyOnWriteWrapper<CountedValue>();
    values[20] = CopyOnWriteWrapper<CountedValue>();
    EXPECT_EQ(Pool::Instance().GetLiveCount(), 1023u);
    const CopyOnWriteWrapper<CountedValue> reused(CountedValue{ 7 });
    EXPECT_EQ(reused.GetObject(), releasedLast);
    const CopyOnWriteWrapper<CountedValue> reusedNext(CountedValue{ 8 });
    EXPECT_EQ(reusedNext.GetObject(), released);
    EXPECT_EQ(reusedNext->myValue, 8);
    EXPECT_EQ(Pool::Instance().GetBucketCount(), 2u);

    values.clear();
    EXPECT_EQ(Pool::Instance().GetLiveCount(), 2u);
}

TEST(StaticObjectPool, ReleasesAfterTeardownChangeNothing)
{
    using Pool = impl::StaticObjectPool<TornDownValue>;
    auto* survivor = new CopyOnWriteWrapper<TornDownValue>(TornDownValue{ 3 });
    CopyOnWriteWrapper<TornDownValue> defaultHandle;
    Pool::Instance().TearDown();
    EXPECT_TRUE(Pool::Instance().IsTornDown());
    delete survivor;
    const CopyOnWriteWrapper<TornDownValue> copyOfDefault(defaultHandle);
    Pool::Instance().TearDown();
    EXPECT_EQ(Pool::Instance().GetBucketCount(), 0u);
}

TEST(CopyOnWriteWrapper, DefaultObjectIsSharedAndNeverCounted)
{
    const SceneModelValue first;
    const SceneModelValue second(first);
    EXPECT_EQ(first.GetObject(), second.GetObject());
    EXPECT_EQ(first.GetReferenceCount(), impl::IMMORTAL_REFERENCE_COUNT);

    SceneModelValue written(second);
    written.MakeUnique().path = Id("Cube");
    EXPECT_NE(written.GetObject(), first.GetObject());
    EXPECT_EQ(written.GetReferenceCount(), 1u);
    EXPECT_EQ(first.GetReferenceCount(), impl::IMMORTAL_REFERENCE_COUNT);
    EXPECT_TRUE(first->path.IsEmpty());
}

TEST(CopyOnWriteWrapper, WritingACopyGivesItASlotOfItsOwn)
{
    const size_t before = LiveModels();
    {
        SceneModel model;
        model.path = Id("Player.fbx");
        const SceneModelValue original(model);
        SceneModelValue copy(original);
        EXPECT_EQ(copy.GetObject(), original.GetObject());
        EXPECT_EQ(original.GetReferenceCount(), 2u);

        copy.MakeUnique().TransparentFlag = true;
        EXPECT_NE(copy.GetObject(), original.GetObject());
        EXPECT_EQ(copy.GetReferenceCount(), 1u);
        EXPECT_EQ(original.GetReferenceCount(), 1u);
        EXPECT_FALSE(original->TransparentFlag);
        EXPECT_EQ(copy->path, Id("Player.fbx"));

        // Sole owner: written in place.
        const SceneModel* slot = copy.GetObject();
        copy.MakeUnique().path = Id("Other.fbx");
        EXPECT_EQ(copy.GetObject(), slot);
        EXPECT_EQ(LiveModels(), before + 2);
    }
    EXPECT_EQ(LiveModels(), before);
}

TEST(PooledPropertyTypes, MovingAPropertySharesTheObject)
{
    const size_t before = LiveModels();
    {
        Property source = Read("Model", { { "path", "Orb.fbx" } });
        const Property moved(std::move(source));
        ASSERT_NE(source.Get<SceneModelValue>(), nullptr);
        EXPECT_EQ(source.Get<SceneModelValue>()->GetObject(), moved.Get<SceneModelValue>()->GetObject());
        EXPECT_EQ(moved.Get<SceneModelValue>()->GetReferenceCount(), 2u);
        source = Property();
        EXPECT_EQ(moved.Get<SceneModelValue>()->GetReferenceCount(), 1u);
    }
    EXPECT_EQ(LiveModels(), before);
}

TEST(PooledPropertyTypes, EveryReadTakesAFreshSlot)
{
    const Property first = Read("Scene", json::object());
    const Property second = Read("Scene", json::object());
    EXPECT_NE(first.Get<SceneReferenceValue>()->GetObject(), SceneReferenceValue().GetObject());
    EXPECT_NE(first.Get<SceneReferenceValue>()->GetObject(), second.Get<SceneReferenceValue>()->GetObject());
    EXPECT_EQ(first.Get<SceneReferenceValue>()->GetReferenceCount(), 1u);

    Property reread = Read("Scene", { { "scene_path", "a.kvs" } });
    const auto* oldObject = reread.Get<SceneReferenceValue>()->GetObject();
    const size_t before = impl::StaticObjectPool<SceneReference>::Instance().GetLiveCount();
    reread.GetType()->ReadJson(reread.GetStorage(), { { "scene_path", "b.kvs" } });
    EXPECT_EQ(impl::StaticObjectPool<SceneReference>::Instance().GetLiveCount(), before);
    EXPECT_NE(reread.Get<SceneReferenceValue>()->GetObject(), oldObject);
    EXPECT_EQ(reread.Get<SceneReferenceValue>()->Get().scenePath, Id("b.kvs"));
}

TEST(PooledPropertyTypes, ReferencesRoundTrip)
{
    const std::pair<const char*, json> cases[] = {
        { "Scene", { { "scene_path", "levels/a.kvs" } } },
        { "Animation Clip", { { "clip_path", "anims/walk.kvac" } } },
        { "Sprite", { { "pivot", { 0.0, 1.0 } }, { "size", { 64.0, 32.0 } }, { "textures", { "c.dds", "n.dds", "", "fx.dds" } } } },
    };
    for (const auto& [typeName, written] : cases)
    {
        const Property value = Read(typeName, written);
        EXPECT_EQ(Write(value), written) << typeName;
        EXPECT_EQ(Write(Read(typeName, Write(value))), written) << typeName;
    }

    const Property clip = Read("Animation Clip", json::object());
    EXPECT_TRUE(clip.Get<AnimationClipValue>()->Get().clipPath.IsEmpty());
    EXPECT_EQ(Write(clip), json({ { "clip_path", "" } }));

    // Writing sets the keys and leaves the others of the target alone.
    json target = { { "kept", 1 } };
    clip.GetType()->WriteJson(clip.GetStorage(), target);
    EXPECT_EQ(target, json({ { "kept", 1 }, { "clip_path", "" } }));
}

TEST(PooledPropertyTypes, ModelReadsUpToFourMeshesOfSixSlots)
{
    const Property value = Read("Model", { { "textures", { { "a" }, { "b", "c" } } } });
    const SceneModel& model = value.Get<SceneModelValue>()->Get();
    EXPECT_TRUE(model.path.IsEmpty());
    EXPECT_FALSE(model.TransparentFlag);
    EXPECT_EQ(model.textures[0][0], Id("a"));
    EXPECT_EQ(model.textures[1][0], Id("b"));
    EXPECT_EQ(model.textures[1][1], Id("c"));
    int filled = 0;
    for (const auto& mesh : model.textures)
    {
        for (const StringId& slot : mesh)
        {
            filled += slot ? 1 : 0;
        }
    }
    EXPECT_EQ(filled, 3);

    const json many = { { "path", "m.fbx" }, { "TransparentFlag", true },
                        { "textures", { { "1", "2", "3", "4", "5", "6", "7" }, {}, {}, { "x" }, { "ignored" } } } };
    const Property big = Read("Model", many);
    const SceneModel& bigModel = big.Get<SceneModelValue>()->Get();
    EXPECT_EQ(bigModel.textures[0][5], Id("6"));
    EXPECT_EQ(bigModel.textures[3][0], Id("x"));
    EXPECT_TRUE(bigModel.TransparentFlag);

    const json written = Write(big);
    ASSERT_EQ(written["textures"].size(), 4u);
    for (const json& mesh : written["textures"])
    {
        EXPECT_EQ(mesh.size(), 6u);
    }
    EXPECT_EQ(written["textures"][1][0], "");
    EXPECT_EQ(written["path"], "m.fbx");
    EXPECT_EQ(written["TransparentFlag"], true);
    EXPECT_EQ(Write(Read("Model", written)), written);
}

TEST(PooledPropertyTypes, SpriteToleratesNonObjectsAndPrefersTheTextureList)
{
    for (const json& plain : { json(3), json(nullptr), json("x") })
    {
        const Property value = Read("Sprite", plain);
        const SceneSprite& sprite = value.Get<SceneSpriteValue>()->Get();
        EXPECT_TRUE(sprite.textures[0].IsEmpty());
        EXPECT_EQ(sprite.size, Vector2<float>(100, 100));
        EXPECT_EQ(sprite.pivot, Vector2<float>(0.5f, 0.5f));
    }
    const Property both = Read("Sprite", { { "texturePath", "first.dds" }, { "textures", { "second.dds" } } });
    EXPECT_EQ(both.Get<SceneSpriteValue>()->Get().textures[0], Id("second.dds"));
    const Property single = Read("Sprite", { { "texturePath", "only.dds" } });
    EXPECT_EQ(single.Get<SceneSpriteValue>()->Get().textures[0], Id("only.dds"));
    EXPECT_FALSE(Write(single).contains("texturePath"));
}

TEST(PooledPropertyTypes, FailedReadsGiveTheirSlotBack)
{
    using TypeError = json::type_error;
    const size_t models = LiveModels();
    const size_t scenes = impl::StaticObjectPool<SceneReference>::Instance().GetLiveCount();
    const size_t sprites = impl::StaticObjectPool<SceneSprite>::Instance().GetLiveCount();
    const size_t clips = impl::StaticObjectPool<AnimationClipReference>::Instance().GetLiveCount();

    ExpectJsonError<TypeError>("Scene", json::array(), 306, "cannot use value() with array");
    ExpectJsonError<TypeError>("Animation Clip", 4, 306, "cannot use value() with number");
    ExpectJsonError<TypeError>("Animation Clip", { { "clip_path", 4 } }, 302, "type must be string, but is number");
    ExpectJsonError<TypeError>("Model", "m.fbx", 306, "cannot use value() with string");
    ExpectJsonError<TypeError>("Model", { { "textures", { { 1 } } } }, 302, "type must be string, but is number");
    ExpectJsonError<TypeError>("Model", { { "TransparentFlag", 1 } }, 302, "type must be boolean, but is number");
    // "textures" is an array of meshes, each an array of names.
    ExpectJsonError<TypeError>("Model", { { "textures", "a.dds" } }, 302, "type must be array, but is string");
    ExpectJsonError<TypeError>("Model", { { "textures", { { "mesh", { "a.dds" } } } } }, 302, "type must be array, but is object");
    ExpectJsonError<TypeError>("Model", { { "textures", 3 } }, 302, "type must be array, but is number");
    ExpectJsonError<TypeError>("Model", { { "textures", json::array({ "a.dds" }) } }, 302, "type must be array, but is string");
    ExpectJsonError<TypeError>("Sprite", { { "size", 5 } }, 305, "cannot use operator[] with a numeric argument with number");
    ExpectJsonError<TypeError>("Sprite", { { "textures", { 5 } } }, 302, "type must be string, but is number");
    ExpectJsonError<json::out_of_range>("Sprite", { { "pivot", { 1 } } }, 401, "array index 1 is out of range");

    EXPECT_EQ(LiveModels(), models);
    EXPECT_EQ(impl::StaticObjectPool<SceneReference>::Instance().GetLiveCount(), scenes);
    EXPECT_EQ(impl::StaticObjectPool<SceneSprite>::Instance().GetLiveCount(), sprites);
    EXPECT_EQ(impl::StaticObjectPool<AnimationClipReference>::Instance().GetLiveCount(), clips);
}

TEST(PooledPropertyTypes, TwoThreadsCopyingAndDestroyingLeaveNothingBehind)
{
    const size_t models = LiveModels();
    const size_t sprites = impl::StaticObjectPool<SceneSprite>::Instance().GetLiveCount();
    {
        const Property sharedModel = Read("Model", { { "path", "shared.fbx" } });
        const Property sharedSprite = Read("Sprite", { { "texturePath", "shared.dds" } });
        std::atomic<bool> start{ false };
        auto work = [&](int aSeed) {
            while (!start.load())
            {
            }
            std::vector<Property> held;
            for (int i = 0; i < 20000; ++i)
            {
                switch ((i + aSeed) % 5)
                {
                case 0: held.push_back(sharedModel); break;
                case 1: held.push_back(sharedSprite); break;
                case 2: held.push_back(Read("Model", { { "path", "own.fbx" } })); break;
                case 3:
                    if (!held.empty())
                    {
                        if (auto* model = held.back().Get<SceneModelValue>())
                        {
                            model->MakeUnique().TransparentFlag = true;
                        }
                    }
                    break;
                default:
                    if (held.size() > 16)
                    {
                        held.erase(held.begin(), held.begin() + 8);
                    }
                    break;
                }
            }
        };
        std::thread first(work, 0);
        std::thread second(work, 2);
        start = true;
        first.join();
        second.join();
        EXPECT_EQ(sharedModel.Get<SceneModelValue>()->GetReferenceCount(), 1u);
        EXPECT_EQ(sharedSprite.Get<SceneSpriteValue>()->GetReferenceCount(), 1u);
        EXPECT_FALSE(sharedModel.Get<SceneModelValue>()->Get().TransparentFlag);
    }
    EXPECT_EQ(LiveModels(), models);
    EXPECT_EQ(impl::StaticObjectPool<SceneSprite>::Instance().GetLiveCount(), sprites);
}
