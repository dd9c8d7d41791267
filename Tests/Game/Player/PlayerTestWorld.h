#pragma once
// A small world for the player and the puzzle objects without a window: a collision manager with
// hand-placed level boxes, the real input mapper fed with key messages, and a player standing on a
// model whose first mesh is as tall as the game's player (feet at the origin, half height 48.1).
#include "Input/InputMapper.h"
#include "Levels/LevelData.h"
#include "Player/Player.h"
#include "Puzzles/MovableBox.h"
#include "Sound/SoundManager.h"
#include "Spine/GameContext.h"
#include "World/CollisionManager.h"

#include "Support/GameTestHarness.h"

#include "mire/input/InputManager.h"
#include "mire/model/Model.h"
#include "Platform/window/VirtualKeys.h"
#include "Platform/window/WindowTypes.h"

#include <memory>
#include <vector>

namespace PlayerTest
{
    constexpr float PLAYER_HALF_HEIGHT = 48.1f;
    constexpr float DT = VelaTest::FIXED_STEP;

    inline std::shared_ptr<Vela::Model> MakePlayerModel()
    {
        Vela::MeshData mesh;
        mesh.myBounds.myHalfExtents = { 20.0f, PLAYER_HALF_HEIGHT, 20.0f };
        mesh.myBounds.myCentre = { 0.0f, PLAYER_HALF_HEIGHT, 0.0f };
        auto model = std::make_shared<Vela::Model>();
        model->Init({ mesh }, "player");
        return model;
    }

    inline Collider MakeBox(ColliderType aType, float aCentreX, float aCentreY, float aHalfWidth, float aHalfHeight)
    {
        Collider box;
        box.type = aType;
        box.x = aCentreX;
        box.y = aCentreY;
        box.halfWidth = aHalfWidth;
        box.halfHeight = aHalfHeight;
        box.isTrigger = aType == ColliderType::DeathBox || aType == ColliderType::CheckPoint;
        return box;
    }

    class World
    {
    public:
        World()
        {
            myContext.collisionManager = &myCollision;
            myContext.player = &myPlayer;
            myMapper.InstallDefaultBindings();
            myUpdate.inputMapper = &myMapper;
            myUpdate.deltaTime = DT;
            static const bool registered = (SoundManager::GetInstance().RegisterSounds(), true);
            (void)registered;
        }

        // A floor whose top is at y = 0 from x = -2000 to 2000.
        void AddFloor() { myCollision.AddStatic(MakeBox(ColliderType::Level, 0.0f, -50.0f, 2000.0f, 50.0f)); }
        void AddStatic(const Collider& aCollider) { myCollision.AddStatic(aCollider); }

        // Spawns the player with its feet at (x, y) as a level selection and build do.
        void Spawn(float anX, float aY)
        {
            myTemplate.model.Init(MakePlayerModel());
            myTemplate.model.GetTransform().SetTranslation({ anX, aY, 0.0f });
            myPlayer.SpawnFromLevel(myTemplate, myTemplate.clips);
            myPlayer.BindAnimationSet(myTemplate.clips);
            myPlayer.Init();
        }

        void Press(uint8_t aKey) { VelaTest::PressKey(myInput, aKey); }
        void Release(uint8_t aKey) { VelaTest::ReleaseKey(myInput, aKey); }
        void PressMouse() { myInput.UpdateEvents(Vela::Platform::MESSAGE_LBUTTONDOWN, 0, 0); }

        // One play-screen frame: the player, its ground probes, then the boxes.
        void Frame()
        {
            myMapper.Update();
            myPlayer.Update(myUpdate);
            myPlayer.SetGrounded(myCollision.IsOverlappingAny(myPlayer.GetGroundCollider()));
            myPlayer.SetHurtBoxBlocked(myCollision.IsOverlappingAny(myPlayer.GetHurtBox()));
            for (MovableBox* box : someBoxes)
            {
                box->Update(myUpdate);
                box->SetGravityFactor(100.0f);
            }
            myInput.Update();
        }
        void Frames(int aCount)
        {
            for (int frame = 0; frame < aCount; ++frame)
                Frame();
        }

        // A light box with its bottom at (x, y) and half size 40 x 40, as the level build sets it up.
        MovableBox& AddBox(float anX, float aY, BoxWeight aType = MovableBox::LIGHT)
        {
            auto box = std::make_unique<MovableBox>(&myContext);
            box->GetAnimatedModel().GetTransform().SetTranslation({ anX, aY, 0.0f });
            box->GetCollider().halfWidth = 40.0f;
            box->GetCollider().halfHeight = 40.0f;
            box->SetBoxType(aType);
            box->Init();
            box->GetCollider().type = aType == MovableBox::LIGHT ? ColliderType::Box : ColliderType::HeavyBox;
            myCollision.AddDynamic(&box->GetCollider());
            someBoxes.push_back(box.get());
            someOwnedBoxes.push_back(std::move(box));
            return *someBoxes.back();
        }

        GameContext myContext;
        CollisionManager myCollision{ 1500.0f, &myContext };
        Vela::InputManager myInput{ nullptr };
        InputMapper myMapper{ &myInput };
        UpdateContext myUpdate;
        PlayerTemplate myTemplate;
        Player myPlayer{ myContext, nullptr };
        std::vector<std::unique_ptr<MovableBox>> someOwnedBoxes;
        std::vector<MovableBox*> someBoxes;
    };
}
