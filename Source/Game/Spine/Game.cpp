#include "Spine/Game.h"

#include "Levels/LevelData.h"
#include "Player/Player.h"
#include "Screens/TransitionState.h"
#include "Sound/SoundManager.h"
#include "Spine/GameGlobals.h"

#include "mire/animation/AnimationPlayer.h"
#include "mire/audio/AudioClock.h"
#include "mire/core/Engine.h"
#include "mire/core/WindowsWindow.h"
#include "mire/math/MathFunctions.h"
#include "mire/stringRegistry/StringRegistry.h"

#include "Platform/window/MessageQueue.h"

#include <cstdio>

using namespace Vela::Literals;

namespace
{
    // The order in which the stack registers for the game's actions.
    constexpr InputAction OBSERVED_ACTIONS[] = {
        InputAction::KeyM,      InputAction::OpenOptions, InputAction::StartGame, InputAction::Pause,    InputAction::CloseMenu,
        InputAction::KeyQ,      InputAction::Click,       InputAction::Skip,      InputAction::Crouch,   InputAction::Jump,
        InputAction::MoveLeft,  InputAction::MoveRight,   InputAction::Interact,  InputAction::Confirm,  InputAction::MenuDown,
        InputAction::MenuLeft,  InputAction::MenuRight,   InputAction::MenuUp,    InputAction::Back,
    };
    static_assert(std::size(OBSERVED_ACTIONS) == INPUT_ACTION_COUNT);

    constexpr float PLAYER_START_CAMERA_DISTANCE = 1000.0f;
    constexpr float RESPAWN_CAMERA_DISTANCE = 800.0f;
    constexpr float RESPAWN_FADE_SPEED = 1.5f;
    // Every level starts with a white reveal at the fade's first speed, whatever the last fade used.
    constexpr float LEVEL_START_FADE_SPEED = 2.0f;

    void CopyRenderSize()
    {
        const Vela::EngineConfiguration& configuration = Vela::Engine::GetInstance()->myConfiguration;
        GameGlobals::renderWidth = static_cast<float>(configuration.myRenderWidth);
        GameGlobals::renderHeight = static_cast<float>(configuration.myRenderHeight);
    }

    void Register(CollisionManager& aCollision, Collider& aCollider, Observers::ColliderObserver* anObserver)
    {
        aCollision.AddDynamic(&aCollider);
        if (anObserver)
        {
            aCollider.AddObserver(anObserver);
        }
    }

    // A level started from inside the update is carried out once the update has finished with the
    // objects that the level build destroys.
    class DeferredLevelStarts
    {
    public:
        explicit DeferredLevelStarts(StateStack& aStack) : myStack(aStack) { myStack.SetDeferLevelStarts(true); }
        ~DeferredLevelStarts()
        {
            myStack.SetDeferLevelStarts(false);
            myStack.RunDeferredLevelStart();
        }
        DeferredLevelStarts(const DeferredLevelStarts&) = delete;
        DeferredLevelStarts& operator=(const DeferredLevelStarts&) = delete;

    private:
        StateStack& myStack;
    };
}

Game::Game(Vela::InputManager* anInputManager)
    : myContext{ &myCollisionManager, &myLevelLoader, &myCameraController, nullptr }
    , myCollisionManager(SIGHT_OCCLUDER_RADIUS, &myContext)
    , myLevelLoader(&myContext, this)
    , myStateStack(&myContext, &myInputMapper)
    , myInputManager(anInputManager)
    , myInputMapper(anInputManager)
{
}

Game::~Game() = default;

void Game::Init()
{
    CopyRenderSize();
    Vela::Engine::GetInstance()->myWindow->SetFullscreen(true);
    myCameraController.ResizeOrthographic();
    SoundManager::GetInstance().RegisterSounds();
    myLevelLoader.SetCurrentLevel("level_0"_sid);
    myStateStack.Push(StateId::Logo);
    myInputMapper.InstallDefaultBindings();
    for (InputAction action : OBSERVED_ACTIONS)
    {
        myInputMapper.AddObserver(&myStateStack, action);
    }

    myCameraController.Init();
    Player& player = *myContext.player;
    myCameraController.SetTarget(&player.GetModelTransform());
    myCameraController.SetDefaultTarget(&player.GetModelTransform());

    myCamera.SetTransform(myCameraController.GetPerspectiveCamera().GetTransform());
    myCamera.SetPerspectiveProjection(90.0f, { GameGlobals::renderWidth, GameGlobals::renderHeight }, 0.5f, 5000.0f);
    myUpdateContext.inputMapper = &myInputMapper;
    ClearAndLoad();
}

void Game::Update(float aDeltaTime)
{
    const DeferredLevelStarts deferred(myStateStack);

    CopyRenderSize();
    myCameraController.Update();
    myUpdateContext.deltaTime = aDeltaTime;
    myInputMapper.Update();
    // Under a test's stepped audio clock the sounds move on by the game's step; the device's own clock otherwise.
    Vela::AudioClock::Advance(aDeltaTime);
    SoundManager::GetInstance().Update();
    if (myStateStack.Update(myUpdateContext))
    {
        Vela::Platform::PostQuitMessage(0);
    }

    if (myStateStack.TopId() == static_cast<int>(StateId::Game))
    {
        myCollisionManager.Update();
    }
    // Asked again: the collision pass may just have put a fade on top (a death box).
    if (myStateStack.TopId() == static_cast<int>(StateId::Transition))
    {
        RespawnUnderFade();
    }

    for (Glomp& glomp : someGlomps)
    {
        glomp.Update(aDeltaTime);
        glomp.SetGrounded(myCollisionManager.IsOverlappingAny(glomp.GetGroundCollider()));
    }
    for (Eyecorn& eyecorn : someEyecorns)
    {
        eyecorn.Update(aDeltaTime);
    }
    for (Orb& orb : someOrbs)
    {
        orb.Update(myUpdateContext);
    }
    for (Socket& socket : someSockets)
    {
        socket.Update(myUpdateContext);
    }
    for (EndTrigger& trigger : someEndTriggers)
    {
        trigger.Update(myUpdateContext);
    }

    if (myInputMapper.IsDown(InputAction::MoveLeft))
    {
        myCameraController.SetLookDirection(-1.0f);
    }
    if (myInputMapper.IsDown(InputAction::MoveRight))
    {
        myCameraController.SetLookDirection(1.0f);
    }
}

void Game::RespawnUnderFade()
{
    TransitionState& fade = static_cast<TransitionState&>(*myStateStack.Top());
    Player& player = *myContext.player;
    if (fade.IsRevealing())
    {
        AnimFlags& flags = player.GetAnimFlags();
        if (flags.dead)
        {
            flags.dead = false;
            player.Respawn();
            for (Glomp& glomp : someGlomps)
            {
                glomp.ResetToSpawn();
            }
        }
        player.GetAnimatedModel().SetPose(Vela::AnimationPlayer().GetPose());
        if (fade.IsFinished())
        {
            myStateStack.Pop();
            player.SetLocked(false);
        }
    }
    // Still the same fade object, also when it was popped just above.
    if (fade.IsCovering() && fade.IsFinished())
    {
        fade.Reveal(RESPAWN_FADE_SPEED);
        const Vela::Vector3<float> position = player.GetPosition();
        myCameraController.SetPosition({ position.x, position.y, position.z - RESPAWN_CAMERA_DISTANCE });
    }
    player.Update(myUpdateContext);
}

void Game::ClearAndLoad()
{
    SoundManager& sound = SoundManager::GetInstance();
    sound.StopAllOneShots(false);
    sound.StopAllLooping(true);
    printf("ClearAndLoad start - active audio: %d\n", sound.CountActiveSounds());

    ClearLiveObjects();
    LevelData* level = myLevelLoader.GetCurrentLevel();
    Player& player = *myContext.player;
    // The player's hurt box outlives the objects that observed it in the last build.
    player.GetHurtBox().observers.clear();
    if (level)
    {
        BuildMovableBoxes(*level);
        BuildFloors(*level);
    }
    myCollisionManager.Clear();
    myCollisionManager.Rebuild(LevelDynamics());

    // The last level's rooms, zones and exit leave nothing behind.
    myCameraController.ResetForLevel();
    myCameraController.SetTarget(&player.GetModelTransform());
    const Vela::Vector3<float> position = player.GetPosition();
    myCameraController.SetPosition({ position.x, position.y, position.z - PLAYER_START_CAMERA_DISTANCE });

    if (level)
    {
        BuildCameraZones(*level);
        BuildOrbs(*level);
        BuildEndTriggers(*level);
        BuildSockets(*level);
        BuildEnemies(*level);
    }
    RunRevealFade();

    Vela::RotationFromEulerDegrees(player.GetModelTransform(), { 0.0f, 90.0f, 0.0f });
    player.Init();
    // After Init, which unlocks: the player waits for the reveal to finish.
    player.SetLocked(true);

    myIsLoaded = true;
    printf("ClearAndLoad done - active audio: %d\n", sound.CountActiveSounds());
}

void Game::ClearLiveObjects()
{
    someGlomps.clear();
    someEyecorns.clear();
    someCameraColliders.clear();
    someOrbs.clear();
    someSockets.clear();
    someEndTriggers.clear();
    someMovableBoxes.clear();
    someFloors.clear();
    someStairs.clear();
    myContext.movableBoxes = &someMovableBoxes;
}

std::vector<Collider*> Game::LevelDynamics()
{
    std::vector<Collider*> colliders;
    for (MovableBox& box : someMovableBoxes)
    {
        colliders.push_back(&box.GetCollider());
    }
    for (BreakableFloor& floor : someFloors)
    {
        if (floor.GetCollider())
        {
            colliders.push_back(floor.GetCollider());
        }
    }
    return colliders;
}

void Game::BuildCameraZones(LevelData& aLevel)
{
    someCameraColliders.reserve(aLevel.cameraColliders.size());
    for (const CameraCollider& record : aLevel.cameraColliders)
    {
        CameraCollider& zone = someCameraColliders.emplace_back();
        zone.Init({ record.GetCollider().halfWidth, record.GetCollider().halfHeight }, record.GetBasePoint());
        zone.SetCameraController(&myCameraController);
        zone.SetPosition(record.GetOffset());
        zone.SetFovZoom(record.GetFovZoom());
        zone.SetCameraSpeed(record.GetCameraSpeed());
        zone.SetFovZoomSpeed(record.GetFovZoomSpeed());
        zone.SetIsRoom(record.IsRoom());
    }
    for (CameraCollider& zone : someCameraColliders)
    {
        Register(myCollisionManager, zone.GetCollider(), &zone);
    }
}

void Game::BuildOrbs(LevelData& aLevel)
{
    for (Orb& record : aLevel.orbs)
    {
        Orb& orb = someOrbs.emplace_back(myContext.player, &myContext, myInputManager);
        orb.GetModelInstance() = record.GetModelInstance();
        orb.SetCollider(record.GetCollider());
        orb.Init();
    }
    for (Orb& orb : someOrbs)
    {
        Register(myCollisionManager, orb.GetCollider(), &orb);
    }
}

void Game::BuildEndTriggers(LevelData& aLevel)
{
    // The stairs are copied so that the exit turns this build's stair, not the level's record.
    someStairs.assign(aLevel.stairs.begin(), aLevel.stairs.end());
    RotatingStairRecord* stair = nullptr;
    for (RotatingStairRecord& record : someStairs)
    {
        if (record.name == "Stair"_sid && record.effect)
        {
            stair = &record;
        }
    }
    for (EndTrigger& record : aLevel.endTriggers)
    {
        EndTrigger& trigger = someEndTriggers.emplace_back();
        const Collider& zone = record.GetCollider();
        trigger.Init({ zone.halfWidth, zone.halfHeight }, record.GetBasePoint());
        trigger.GetCollider().active = zone.active;
        trigger.GetCollider().name = zone.name;
        trigger.SetNextScene(record.GetNextScene());
        trigger.SetContext(&myContext);
        trigger.SetPlayer(myContext.player);
        trigger.SetStateStack(&myStateStack);
        trigger.SetStair(stair);
    }
    for (EndTrigger& trigger : someEndTriggers)
    {
        Register(myCollisionManager, trigger.GetCollider(), &trigger);
    }
}

void Game::BuildSockets(LevelData& aLevel)
{
    for (Socket& record : aLevel.sockets)
    {
        Socket& socket = someSockets.emplace_back();
        socket.GetModelInstance() = record.GetModelInstance();
        socket.Init();
        socket.SetCollider(record.GetCollider());
        socket.SetOrb(someOrbs.empty() ? nullptr : &someOrbs.front());
        socket.SetTarget(someEndTriggers.empty() ? nullptr : &someEndTriggers.front().GetCollider());
    }
    for (Socket& socket : someSockets)
    {
        Register(myCollisionManager, socket.GetCollider(), &socket);
    }
}

void Game::BuildMovableBoxes(const LevelData& aLevel)
{
    for (const BoxRecord& record : aLevel.boxes)
    {
        MovableBox& box = someMovableBoxes.emplace_back(&myContext);
        box.GetAnimatedModel() = record.animatedModel; // its translation is the authored position
        box.GetShader() = record.shader;
        box.GetClips() = record.clips;
        box.GetCollider() = record.collider;
        box.GetCollider().observers.clear();
        box.SetBoxType(record.boxType);
        box.Init();
        if (box.GetBoxType() == MovableBox::LIGHT)
        {
            box.GetCollider().type = ColliderType::Box;
        }
        else if (box.GetBoxType() == MovableBox::HEAVY)
        {
            box.GetCollider().type = ColliderType::HeavyBox;
        }
    }
}

void Game::BuildFloors(LevelData& aLevel)
{
    for (FloorRecord& record : aLevel.floors)
    {
        someFloors.emplace_back(&record);
    }
    // The floors' own colliders join the collision manager in its rebuild; here only the observers.
    for (BreakableFloor& floor : someFloors)
    {
        floor.Register();
    }
}

void Game::BuildEnemies(LevelData& aLevel)
{
    Player* player = myContext.player;
    auto placeEnemy = [this](Enemy& anEnemy, EnemyTemplate& aTemplate) {
        SetUpGlomp(anEnemy, aTemplate);
        anEnemy.Init();
        anEnemy.InitEnemyBox(aTemplate.collider);
        const Vela::Vector3<float> position = anEnemy.GetPosition();
        anEnemy.SetSightOccluders(myCollisionManager.AddSightOccluders({ position.x, position.y }));
    };
    for (EnemyTemplate& enemy : aLevel.enemyTemplates)
    {
        if (enemy.kind == "glomp"_sid)
        {
            Glomp& glomp = someGlomps.emplace_back(player, &myStateStack, &myContext);
            glomp.SetParameters(enemy.GetParameter(0), enemy.GetParameter(1));
            placeEnemy(glomp, enemy);
        }
        else if (enemy.kind == "eyecorn"_sid)
        {
            Eyecorn& eyecorn = someEyecorns.emplace_back(player, &myStateStack, &myContext);
            eyecorn.SetParameters(enemy.GetParameter(0), enemy.GetParameter(1), enemy.GetParameter(2), enemy.GetParameter(3),
                                  enemy.GetParameter(4), enemy.GetParameter(5));
            placeEnemy(eyecorn, enemy);
        }
    }

    for (Glomp& glomp : someGlomps)
    {
        if (glomp.GetEnemyBox())
        {
            Register(myCollisionManager, *glomp.GetEnemyBox(), &glomp);
        }
        Register(myCollisionManager, glomp.GetGroundCollider(), &glomp);
    }
    for (Eyecorn& eyecorn : someEyecorns)
    {
        if (eyecorn.GetEnemyBox())
        {
            Register(myCollisionManager, *eyecorn.GetEnemyBox(), nullptr);
        }
    }
}

void Game::RunRevealFade()
{
    myStateStack.Push(StateId::Transition);
    TransitionState& fade = static_cast<TransitionState&>(*myStateStack.GetState(StateId::Transition));
    fade.Reveal(LEVEL_START_FADE_SPEED);
    fade.SetColor(1.0f, 1.0f, 1.0f);
}

void Game::SetUpGlomp(Enemy& anEnemy, EnemyTemplate& aTemplate)
{
    anEnemy.GetModelInstance() = aTemplate.model;
    anEnemy.GetAnimatedModel() = aTemplate.animatedModel;
    if (Glomp* glomp = dynamic_cast<Glomp*>(&anEnemy))
    {
        glomp->SetSpawnPosition(anEnemy.GetPosition());
    }
    anEnemy.TakeClips(aTemplate.clips);
}
