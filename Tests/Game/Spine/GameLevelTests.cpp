// Rebuilding the live objects of a level: the same objects every time, each collider observed only by
// objects of the current build, a level start asked for inside an update carried out after it, and a
// fade put on top by the collision pass taking over the player in the same frame.
#include "SpineFixtures.h"

#include "Levels/LevelData.h"
#include "Player/Player.h"
#include "Screens/TransitionState.h"
#include "Spine/Game.h"

#include "Support/GameTestSupport.h"

#include "mire/input/InputManager.h"
#include "mire/stringRegistry/StringRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

using namespace VelaTest;
using namespace Vela::Literals;

namespace
{
    struct BuildCounts
    {
        size_t glomps, eyecorns, zones, orbs, sockets, triggers, floors, dynamics;
        std::vector<size_t> observersPerDynamic;
        bool operator==(const BuildCounts&) const = default;
    };

    class GameLevelTest : public testing::Test
    {
    protected:
        Game& TheGame() { return myGame->GetGame(); }

        BuildCounts Count()
        {
            Game& game = TheGame();
            BuildCounts counts{ game.GetGlomps().size(), game.GetEyecorns().size(), game.GetCameraColliders().size(), game.GetOrbs().size(),
                                game.GetSockets().size(), game.GetEndTriggers().size(), game.GetFloors().size(),
                                game.GetCollisionManager().GetDynamics().size(), {} };
            for (const Collider* collider : game.GetCollisionManager().GetDynamics())
            {
                counts.observersPerDynamic.push_back(collider->observers.size());
            }
            return counts;
        }

        // Every object that may observe a collider in the current build.
        std::set<const Observers::ColliderObserver*> LiveObservers()
        {
            Game& game = TheGame();
            std::set<const Observers::ColliderObserver*> live{ game.GetContext().player };
            auto add = [&live](auto& someObjects) {
                for (auto& object : someObjects)
                    live.insert(&object);
            };
            add(game.GetGlomps());
            add(game.GetEyecorns());
            add(game.GetCameraColliders());
            add(game.GetOrbs());
            add(game.GetSockets());
            add(game.GetEndTriggers());
            add(game.GetFloors());
            add(game.GetMovableBoxes());
            return live;
        }

        TempDirectory myRoot;
        std::unique_ptr<HeadlessGame> myGame = [this] {
            WriteLevel0(myRoot.Path(), EveryKindObjects());
            return std::make_unique<HeadlessGame>(myRoot.Path());
        }();
    };

    // Starts a level from inside the input dispatch and looks at the stack right after asking.
    class LevelStarter : public Observers::InputObserver
    {
    public:
        explicit LevelStarter(StateStack& aStack) : myStack(aStack) {}
        bool OnInput(InputAction anAction, const InputEvent&) override
        {
            if (anAction != InputAction::Jump)
                return false;
            myStatesBefore = myStack.GetStates();
            myStack.StartLevel("level_0"_sid);
            myStatesRightAfter = myStack.GetStates();
            return true;
        }
        StateStack& myStack;
        std::vector<int> myStatesBefore;
        std::vector<int> myStatesRightAfter;
    };

    // Catches the player in the collision pass as a death box does: locks it, puts it elsewhere and
    // covers the screen.
    class CatchInCollisionPass : public Observers::ColliderObserver
    {
    public:
        CatchInCollisionPass(StateStack& aStack, Player& aPlayer, Vela::Vector3<float> aPlace)
            : myStack(aStack), myPlayer(aPlayer), myPlace(aPlace)
        {
        }
        void OnCollision(Vela::Vector2<float>, float, Collider*, Collider*) override
        {
            if (myStack.TopId() == int(StateId::Transition))
                return;
            myPlayer.SetLocked(true);
            myPlayer.SetPosition(myPlace);
            myStack.Push(StateId::Transition);
            TransitionState& fade = static_cast<TransitionState&>(*myStack.GetState(StateId::Transition));
            fade.SetCover();
            fade.StartFade();
        }
        StateStack& myStack;
        Player& myPlayer;
        Vela::Vector3<float> myPlace;
    };
}

TEST_F(GameLevelTest, RebuildingGivesTheSameObjectsObservedOnlyByTheCurrentBuild)
{
    ASSERT_TRUE(myGame->IsStarted());
    const BuildCounts first = Count();
    EXPECT_EQ(first.glomps, 1u);
    EXPECT_EQ(first.eyecorns, 1u);
    EXPECT_EQ(first.zones, 1u);
    EXPECT_EQ(first.orbs, 1u);
    EXPECT_EQ(first.sockets, 1u);
    EXPECT_EQ(first.triggers, 1u);
    EXPECT_EQ(first.floors, 2u);

    for (int rebuild = 0; rebuild < 2; ++rebuild)
    {
        TheGame().GetStateStack().StartLevel("level_0"_sid);
        EXPECT_EQ(Count(), first) << "rebuild " << rebuild;
    }

    // Observers are objects of this build only, one per registration.
    const std::set<const Observers::ColliderObserver*> live = LiveObservers();
    for (const Collider* collider : TheGame().GetCollisionManager().GetDynamics())
    {
        for (const Observers::ColliderObserver* observer : collider->observers)
        {
            EXPECT_TRUE(live.count(observer)) << "a collider of type " << int(collider->type) << " is observed by a destroyed object";
        }
    }
    Glomp& glomp = TheGame().GetGlomps().front();
    EXPECT_EQ(glomp.GetEnemyBox()->observers, (std::vector<Observers::ColliderObserver*>{ &glomp }));
    for (BreakableFloor& floor : TheGame().GetFloors())
    {
        EXPECT_EQ(floor.GetCollider()->observers, (std::vector<Observers::ColliderObserver*>{ &floor }));
    }

    // Play on: the collision pass tells every observer of its contacts (AddressSanitizer catches a stale one).
    for (int frame = 0; frame < 120; ++frame)
    {
        ASSERT_TRUE(myGame->RunFrame());
    }
    EXPECT_EQ(TheGame().GetStateStack().TopId(), int(StateId::Game)) << "the reveal fade has ended";
}

TEST_F(GameLevelTest, LevelStartAskedForDuringAnUpdateRunsWhenTheUpdateEnds)
{
    ASSERT_TRUE(myGame->IsStarted());
    LevelStarter starter(TheGame().GetStateStack());
    TheGame().GetInputMapper().AddObserver(&starter, InputAction::Jump);
    TransitionState& fade = static_cast<TransitionState&>(*TheGame().GetStateStack().GetState(StateId::Transition));
    ASSERT_TRUE(myGame->RunFrame());
    ASSERT_LT(fade.GetAlpha(), 1.0f);

    Vela::InputManager& input = myGame->GetInputManager();
    input.UpdateEvents(Vela::Platform::MESSAGE_KEYDOWN, 0x20, 0);
    input.Update();
    ASSERT_TRUE(myGame->RunFrame());

    ASSERT_FALSE(starter.myStatesBefore.empty()) << "the jump reached the observer";
    EXPECT_EQ(starter.myStatesRightAfter, starter.myStatesBefore) << "nothing changed while the update ran";
    EXPECT_EQ(TheGame().GetStateStack().GetStates(), (std::vector<int>{ int(StateId::Game), int(StateId::Transition) }));
    EXPECT_FALSE(TheGame().GetStateStack().HasDeferredLevelStart());
    EXPECT_EQ(fade.GetAlpha(), 1.0f) << "the level was rebuilt after the fade's update";
    EXPECT_EQ(TheGame().GetGlomps().size(), 1u);
}

TEST_F(GameLevelTest, AFadePushedByTheCollisionPassTakesOverThePlayerInTheSameFrame)
{
    ASSERT_TRUE(myGame->IsStarted());
    StateStack& stack = TheGame().GetStateStack();
    for (int frame = 0; frame < 300 && stack.TopId() == int(StateId::Transition); ++frame)
    {
        ASSERT_TRUE(myGame->RunFrame());
    }
    stack.Clear();
    stack.Push(StateId::Game);

    // Of the player's own type, so only the collision pass meets it, not the game screen's probes.
    Player& player = *TheGame().GetContext().player;
    const Vela::Vector3<float> place{ 1234.0f, 567.0f, 0.0f };
    CatchInCollisionPass catcher(stack, player, place);
    Collider trap;
    trap.SetBox(player.GetHurtBox().x, player.GetHurtBox().y, 50.0f, 50.0f);
    trap.type = ColliderType::Player;
    trap.isTrigger = true;
    trap.AddObserver(&catcher);
    TheGame().GetCollisionManager().AddDynamic(&trap);

    ASSERT_TRUE(myGame->RunFrame());
    TheGame().GetCollisionManager().GetDynamics().pop_back();
    ASSERT_EQ(stack.TopId(), int(StateId::Transition)) << "the collision pass caught the player";
    // With the fade on top after the collision pass, the game updates the player in the same frame.
    const Vela::Vector3<float> shown = player.GetModelTransform().GetTranslation();
    EXPECT_FLOAT_EQ(shown.x, place.x);
    EXPECT_FLOAT_EQ(shown.y, place.y);
}
