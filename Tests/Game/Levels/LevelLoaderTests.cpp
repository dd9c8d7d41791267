// The level loader's two threads: the ready flag that keeps every level but "level_0" out until the
// worker has published, the join on destruction, and a broken level file on the worker. The worker is
// held inside its first model load by the model factory's device lookup, so every step is ordered
// without timing.
#include "Levels/LevelData.h"
#include "Levels/LevelLoader.h"
#include "Spine/GameContext.h"
#include "World/CollisionManager.h"

#include "Support/GameTestSupport.h"

#include "mire/model/ModelFactory.h"
#include "mire/stringRegistry/StringRegistry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

using namespace VelaTest;
using namespace Vela::Literals;

namespace
{
    // Stops every thread but the main one when it passes, until opened.
    class ThreadGate
    {
    public:
        void Pass()
        {
            if (std::this_thread::get_id() == myMainThread)
            {
                return;
            }
            std::unique_lock lock(myMutex);
            myArrived = true;
            myChanged.notify_all();
            myChanged.wait(lock, [this] { return myOpen; });
        }
        // The worker always comes: its first model load asks for the device.
        bool WaitForArrival()
        {
            std::unique_lock lock(myMutex);
            myChanged.wait(lock, [this] { return myArrived; });
            return myArrived;
        }
        void Open()
        {
            std::lock_guard lock(myMutex);
            myOpen = true;
            myChanged.notify_all();
        }

    private:
        const std::thread::id myMainThread = std::this_thread::get_id();
        std::mutex myMutex;
        std::condition_variable myChanged;
        bool myArrived = false;
        bool myOpen = false;
    };

    FixtureObject Mesh()
    {
        FixtureObject mesh;
        mesh.definition = "SM_Level_Mesh";
        return mesh;
    }

    class LevelLoaderTest : public testing::Test
    {
    protected:
        void SetUp() override
        {
            Vela::Settings::SetAssetRootsForTesting(myRoot.Path() / "engine", myRoot.Path(), myRoot.Path() / "cooked");
            WriteEveryKindDefinitions(myRoot.Path());
            PlaceFixtureModel(myRoot.Path());
            for (const char* level : { "levels/Main Levels/Level 0 Tutorial", "levels/Main Levels/Level 1", "levels/Main Levels/Level 2",
                                       "levels/Main Levels/Level 4 Final Level" })
            {
                WriteFixtureLevel(myRoot.Path(), level, { Mesh() });
            }
            // No device: every model load asks for one, and the worker waits at the gate when it does.
            Vela::ModelFactory::DestroyInstance();
            Vela::ModelFactoryServices services;
            services.myGetDevice = [this]() -> Vela::Gfx::Device* {
                myGate.Pass();
                return nullptr;
            };
            Vela::ModelFactory::SetServices(services);
            myContext.collisionManager = &myCollisions;
            // These levels hold one mesh each; the tests that are about complete levels turn it back on.
            LevelLoader::SetMainLevelCheckForTesting(false);
        }

        void TearDown() override
        {
            LevelLoader::SetMainLevelCheckForTesting(true);
            myGate.Open();
            myLoader.reset();
            Vela::ModelFactory::DestroyInstance();
            Vela::ModelFactory::SetServices(Vela::GetEngineModelFactoryServices());
            Vela::Settings::SetAssetRootsForTesting({}, {}, {});
        }

        void StartLoader()
        {
            myLoader = std::make_unique<LevelLoader>(&myContext, nullptr);
            myContext.levelLoader = myLoader.get();
        }

        void WaitUntilReady()
        {
            myLoader->WaitUntilReady();
            ASSERT_TRUE(myLoader->IsReady());
        }

        // Spins (no sleep) until the worker has published: the ready flag is its completion gate.
        void WaitForWorker()
        {
            while (!myLoader->IsReady())
            {
                std::this_thread::yield();
            }
        }

        // Levels 0, 1 and 4 complete (player, orb, socket, exit and the rest), level 2 without its folder,
        // level 3 a single mesh; the check of the main levels on.
        void WriteMainLevelsForTheCheck()
        {
            for (const char* level : { "levels/Main Levels/Level 0 Tutorial", "levels/Main Levels/Level 1", "levels/Main Levels/Level 4 Final Level" })
            {
                std::filesystem::remove_all(myRoot.Path() / (std::string(level) + ".leveldata"));
                WriteFixtureLevel(myRoot.Path(), level, EveryKindObjects());
            }
            std::filesystem::remove_all(myRoot.Path() / "levels/Main Levels/Level 2.leveldata");
            WriteFixtureLevel(myRoot.Path(), "levels/Main Levels/Level 3", { Mesh() });
            LevelLoader::SetMainLevelCheckForTesting(true);
            myGate.Open();
        }

        TempDirectory myRoot;
        ThreadGate myGate;
        GameContext myContext;
        CollisionManager myCollisions{ 1500.0f, &myContext };
        std::unique_ptr<LevelLoader> myLoader;
    };
}

TEST_F(LevelLoaderTest, OnlyLevelZeroCanBeSelectedBeforeTheWorkerHasPublished)
{
    StartLoader();
    ASSERT_TRUE(myGate.WaitForArrival());
    EXPECT_FALSE(myLoader->IsReady());
    ASSERT_NE(myLoader->FindLevel("level_1"_sid), nullptr) << "level_1 was loaded at once";

    myLoader->SetCurrentLevel("level_1"_sid);
    EXPECT_EQ(myLoader->GetCurrentLevel(), nullptr) << "refused before the ready flag";
    myLoader->SetCurrentLevel("level_0"_sid);
    EXPECT_EQ(myLoader->GetCurrentLevelKey(), "level_0"_sid);
    EXPECT_EQ(myLoader->GetCurrentLevel(), myLoader->FindLevel("level_0"_sid));
    EXPECT_EQ(myLoader->GetCurrentLevel()->opaqueMeshes.size(), 1u);
    EXPECT_EQ(myLoader->FindLevel("level_2"_sid), nullptr) << "the worker's levels are not published yet";

    myGate.Open();
    WaitUntilReady();
    myLoader->SetCurrentLevel("level_1"_sid);
    EXPECT_EQ(myLoader->GetCurrentLevelKey(), "level_1"_sid);
    EXPECT_EQ(myLoader->GetCurrentLevel(), myLoader->FindLevel("level_1"_sid));
    myLoader->SetCurrentLevel("no_such_level"_sid);
    EXPECT_EQ(myLoader->GetCurrentLevelKey(), "level_1"_sid) << "an unknown key is ignored";

    // Every key of the table is there, a level without files as an empty one.
    for (const char* key : { "level_2", "level_3", "level_4", "gym", "scene", "mr", "selke", "orlos" })
    {
        ASSERT_NE(myLoader->FindLevel(Vela::StringRegistry::RegisterOrGetString(key)), nullptr) << key;
    }
    EXPECT_EQ(myLoader->FindLevel("level_2"_sid)->opaqueMeshes.size(), 1u);
    EXPECT_TRUE(myLoader->FindLevel("level_3"_sid)->opaqueMeshes.empty());
}

TEST_F(LevelLoaderTest, DestroyingTheLoaderWhileTheWorkerLoadsWaitsForIt)
{
    StartLoader();
    ASSERT_TRUE(myGate.WaitForArrival());

    // The publish gate marks the worker's end; the destructor must not return before it. A loader
    // that did not wait would also leave the worker writing into a freed object, which the sanitizer
    // builds report.
    std::atomic<bool> published = false;
    LevelLoader::SetPublishGateForTesting([&published] { published = true; });
    std::atomic<bool> destroying = false;
    bool publishedWhenDestroyed = false;
    std::thread destroyer([&] {
        destroying = true;
        destroying.notify_all();
        myLoader.reset();
        publishedWhenDestroyed = published;
    });
    destroying.wait(false);
    EXPECT_FALSE(published) << "the worker is still held";
    myGate.Open();
    destroyer.join();
    LevelLoader::SetPublishGateForTesting(nullptr);
    EXPECT_TRUE(publishedWhenDestroyed);
}

TEST_F(LevelLoaderTest, ABrokenLevelFileOnTheWorkerIsReportedAndLeavesThatLevelEmpty)
{
    myRoot.Write("levels/Main Levels/Level 3.leveldata/" + FixtureUuid(0), "{ this is not JSON");
    myGate.Open();
    testing::internal::CaptureStderr();
    StartLoader();
    WaitUntilReady();
    const std::string errors = testing::internal::GetCapturedStderr();

    EXPECT_NE(errors.find("levels/Main Levels/Level 3"), std::string::npos) << errors;
    LevelData* broken = myLoader->FindLevel("level_3"_sid);
    ASSERT_NE(broken, nullptr);
    EXPECT_TRUE(broken->opaqueMeshes.empty());
    ASSERT_NE(myLoader->FindLevel("level_4"_sid), nullptr);
    EXPECT_EQ(myLoader->FindLevel("level_4"_sid)->opaqueMeshes.size(), 1u) << "the levels after it still load";
}

TEST_F(LevelLoaderTest, AMainLevelThatIsMissingOrUnfinishableFailsAndCannotBeSelected)
{
    WriteMainLevelsForTheCheck();
    testing::internal::CaptureStderr();
    StartLoader();
    WaitForWorker();
    const std::string errors = testing::internal::GetCapturedStderr();

    const std::optional<std::string> missing = myLoader->GetLoadFailure("level_2"_sid);
    ASSERT_TRUE(missing.has_value());
    EXPECT_EQ(*missing, "Level \"levels/Main Levels/Level 2\" failed to load and cannot be played: it has no objects (its \".leveldata\" folder is missing or empty)");
    const std::optional<std::string> unfinishable = myLoader->GetLoadFailure("level_3"_sid);
    ASSERT_TRUE(unfinishable.has_value());
    EXPECT_NE(unfinishable->find("it lacks a player template with a model, an orb with a collider, a socket with a collider, an exit with a collider"),
              std::string::npos) << *unfinishable;
    // Each said on standard error as it was found.
    EXPECT_NE(errors.find(*missing + "\n"), std::string::npos) << errors;
    EXPECT_NE(errors.find(*unfinishable + "\n"), std::string::npos) << errors;

    // The workspace scenes may be absent; complete main levels load.
    for (const char* key : { "level_0", "level_1", "level_4", "gym", "scene", "mr", "selke", "orlos" })
    {
        EXPECT_FALSE(myLoader->GetLoadFailure(Vela::StringRegistry::RegisterOrGetString(key)).has_value()) << key;
    }

    myLoader->SetCurrentLevel("level_4"_sid);
    ASSERT_EQ(myLoader->GetCurrentLevelKey(), "level_4"_sid);
    myLoader->SetCurrentLevel("level_2"_sid);
    myLoader->SetCurrentLevel("level_3"_sid);
    EXPECT_EQ(myLoader->GetCurrentLevelKey(), "level_4"_sid) << "a failed level is never made current";
}

TEST_F(LevelLoaderTest, AFirstLevelThatFailsEndsTheStartWithItsReason)
{
    WriteMainLevelsForTheCheck();
    std::filesystem::remove_all(myRoot.Path() / "levels/Main Levels/Level 1.leveldata");
    try
    {
        StartLoader();
        ADD_FAILURE() << "a missing level 1 was accepted";
    }
    catch (const std::runtime_error& anError)
    {
        EXPECT_STREQ(anError.what(), "Level \"levels/Main Levels/Level 1\" failed to load: it has no objects (its \".leveldata\" folder is missing or empty)");
    }
}

TEST_F(LevelLoaderTest, AMissingDefinitionOrModelFileIsNamedWithItsLevelAndObject)
{
    WriteMainLevelsForTheCheck();
    // Level 1 keeps its objects, one of which names a model that is not there.
    WriteFixtureDefinition(myRoot.Path(), "SM_Lost_Mesh", { FixtureProperty("Model", "Model", FixtureModel("models/Lost.fbx")) });
    std::vector<FixtureObject> level1 = EveryKindObjects();
    FixtureObject lost;
    lost.definition = "SM_Lost_Mesh";
    lost.name = "Lost Rock";
    level1.push_back(lost);
    WriteFixtureLevel(myRoot.Path(), "levels/Main Levels/Level 1", level1);

    testing::internal::CaptureStdout();
    StartLoader();
    WaitForWorker();
    std::string lines = testing::internal::GetCapturedStdout();
    EXPECT_NE(lines.find("Level \"levels/Main Levels/Level 1\", object \"Lost Rock\": its model file \"models/Lost.fbx\" was not found\n"), std::string::npos)
        << lines;
    EXPECT_FALSE(myLoader->GetLoadFailure("level_1"_sid).has_value()) << "a missing rock leaves the level finishable";
    myLoader.reset();

    // Without Orb.kvo the orb has no model or collider: the tutorial cannot be finished, and both are said.
    std::filesystem::remove(myRoot.Path() / "definitions/Orb.kvo");
    testing::internal::CaptureStdout();
    EXPECT_THROW(StartLoader(), std::runtime_error);
    lines = testing::internal::GetCapturedStdout();
    EXPECT_NE(lines.find("Level \"levels/Main Levels/Level 0 Tutorial\", object \"Orb\": its definition file \"Orb.kvo\" was not found\n"),
              std::string::npos) << lines;
}
