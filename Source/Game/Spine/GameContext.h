#pragma once
// What the game hands to its screens, menus and level objects.
#include <deque>

class CameraController;
class CollisionManager;
class InputMapper;
class LevelLoader;
class MovableBox;
class Player;

// The game's services, one instance inside the Game.
struct GameContext
{
    CollisionManager* collisionManager = nullptr;
    LevelLoader* levelLoader = nullptr;
    CameraController* cameraController = nullptr;
    // Set by the game screen's constructor, which owns the player; so it is set before the game starts.
    Player* player = nullptr;
    // The live boxes of the current level, made by each level build; the game screen updates them.
    std::deque<MovableBox>* movableBoxes = nullptr;
};

// What every per-frame update gets.
struct UpdateContext
{
    InputMapper* inputMapper = nullptr; // set just before the first level is built
    float deltaTime = 0.0f;             // seconds
};
