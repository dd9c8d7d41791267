#pragma once
// The running game: the collision manager, the level loader, the cameras, the screen stack, the
// input mapper and the live objects of the current level. Created by the program entry, which calls
// Init once and then Update and Render every frame. Main thread only.
#include "Camera/CameraCollider.h"
#include "Camera/CameraController.h"
#include "Enemies/Eyecorn.h"
#include "Enemies/Glomp.h"
#include "Input/InputMapper.h"
#include "Levels/LevelData.h"
#include "Levels/LevelLoader.h"
#include "Puzzles/BreakableFloor.h"
#include "Puzzles/EndTrigger.h"
#include "Puzzles/MovableBox.h"
#include "Puzzles/Orb.h"
#include "Puzzles/Socket.h"
#include "Screens/StateStack.h"
#include "Spine/GameContext.h"
#include "World/AABB.h"
#include "World/CollisionManager.h"

#include "mire/graphics/Camera.h"

#include <deque>
#include <vector>

namespace Vela
{
    class InputManager;
}
struct EnemyTemplate;

class Game
{
public:
    static constexpr float SIGHT_OCCLUDER_RADIUS = 1500.0f;

    explicit Game(Vela::InputManager* anInputManager);
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    void Init();
    void Update(float aDeltaTime);
    void Render();
    // Replaces the live objects with new ones built from the records of the level the loader made
    // current, so nothing of an earlier play of the level survives. Runs under the loader's lock:
    // nothing here may take it again.
    void ClearAndLoad();
    // Copies the template's models and clips into the enemy (either kind).
    void SetUpGlomp(Enemy& anEnemy, EnemyTemplate& aTemplate);
    // The six planes of the camera's view, normals inwards.
    Frustum BuildViewFrustum(const Vela::Camera& aCamera) const;

    bool IsLoaded() const { return myIsLoaded; }
    GameContext& GetContext() { return myContext; }
    CollisionManager& GetCollisionManager() { return myCollisionManager; }
    LevelLoader& GetLevelLoader() { return myLevelLoader; }
    CameraController& GetCameraController() { return myCameraController; }
    StateStack& GetStateStack() { return myStateStack; }
    InputMapper& GetInputMapper() { return myInputMapper; }
    std::deque<Glomp>& GetGlomps() { return someGlomps; }
    std::deque<Eyecorn>& GetEyecorns() { return someEyecorns; }
    std::vector<CameraCollider>& GetCameraColliders() { return someCameraColliders; }
    std::deque<Orb>& GetOrbs() { return someOrbs; }
    std::deque<Socket>& GetSockets() { return someSockets; }
    std::deque<EndTrigger>& GetEndTriggers() { return someEndTriggers; }
    std::deque<BreakableFloor>& GetFloors() { return someFloors; }
    std::deque<MovableBox>& GetMovableBoxes() { return someMovableBoxes; }
    // The level's rotating stairs as this build shows them (the exit turns its stair).
    std::vector<RotatingStairRecord>& GetStairs() { return someStairs; }

private:
    // The steps of ClearAndLoad, in their order.
    void ClearLiveObjects();
    void BuildCameraZones(LevelData& aLevel);
    void BuildOrbs(LevelData& aLevel);
    void BuildEndTriggers(LevelData& aLevel);
    void BuildSockets(LevelData& aLevel);
    void BuildMovableBoxes(const LevelData& aLevel);
    void BuildFloors(LevelData& aLevel);
    void BuildEnemies(LevelData& aLevel);
    // The live colliders that the collision manager's rebuild takes as the level's dynamics.
    std::vector<Collider*> LevelDynamics();
    void RunRevealFade();
    void RespawnUnderFade();
    // The world pass's passes, in their order; Render draws the player and the screens between the
    // grass and the transparent pass.
    void RenderOpaquePass(LevelData* aLevel, const Frustum& aFrustum);
    void RenderGrassPass(LevelData& aLevel, const Frustum& aFrustum);
    // Sets the alpha blending that stays on to the end of the frame, then draws the level's glass far to near.
    void RenderTransparentPass(LevelData* aLevel, const Frustum& aFrustum);
    // The eyecorns' scanner planes, the orbs' glow and the sockets' effects.
    void RenderOverlayPass();

    bool myIsLoaded = false;
    Vela::Camera myCamera;
    GameContext myContext;
    CollisionManager myCollisionManager;
    LevelLoader myLevelLoader;
    CameraController myCameraController;
    StateStack myStateStack;
    Vela::InputManager* myInputManager = nullptr;
    InputMapper myInputMapper;
    UpdateContext myUpdateContext;
    // The level's live objects are built in place and never moved (a deque never relocates what it
    // holds): their colliders, the collision manager, the sockets and the exits point at them.
    std::deque<Glomp> someGlomps;
    std::deque<Eyecorn> someEyecorns;
    std::deque<MovableBox> someMovableBoxes;
    std::vector<CameraCollider> someCameraColliders;
    std::deque<Orb> someOrbs;
    std::deque<Socket> someSockets;
    std::deque<EndTrigger> someEndTriggers;
    std::deque<BreakableFloor> someFloors;
    std::vector<RotatingStairRecord> someStairs;
};
