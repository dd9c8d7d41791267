#include "Screens/GameState.h"

#include "Camera/CameraController.h"
#include "Effects/FlipbookEffects.h"
#include "Levels/LevelData.h"
#include "Levels/LevelLoader.h"
#include "Menus/InGameMenuState.h"
#include "Puzzles/MovableBox.h"
#include "Screens/StateStack.h"
#include "Spine/GameContext.h"
#include "World/CollisionManager.h"

#include "mire/core/Engine.h"
#include "mire/drawers/SpriteDrawer.h"
#include "mire/graphics/GraphicsEngine.h"
#include "mire/graphics/GraphicsStateStack.h"
#include "mire/graphics/RenderStates.h"

GameState::GameState(StateStack* aStateStack, GameContext& aContext)
    : myContext(&aContext)
    , myPlayer(aContext, aStateStack)
    , myStateStack(aStateStack)
{
    mySprite.myPivot = { 0.5f, 0.5f };
    aContext.player = &myPlayer;
}

void GameState::Update(const UpdateContext& aContext)
{
    myPlayer.Update(aContext);
    // Written after the player's update: its decisions this frame used last frame's probes.
    CollisionManager& collision = *myContext->collisionManager;
    myPlayer.SetGrounded(collision.IsOverlappingAny(myPlayer.GetGroundCollider()));
    myPlayer.SetHurtBoxBlocked(collision.IsOverlappingAny(myPlayer.GetHurtBox()));

    if (std::deque<MovableBox>* boxes = myContext->movableBoxes)
    {
        for (MovableBox& box : *boxes)
        {
            box.Update(aContext);
        }
        for (MovableBox& box : *boxes)
        {
            box.SetGravityFactor(myBoxGravityFactor);
        }
    }
}

void GameState::Render(uint32_t aPass)
{
    Vela::GraphicsEngine& graphics = *Vela::Engine::GetInstance()->myGraphicsEngine;
    if (aPass == 0)
    {
        if (myPlayer.GetModelInstance().GetModel())
        {
            myPlayer.Render();
        }
        myPlayer.GetEffects().Render(*graphics.GetSpriteDrawer());
        return;
    }
    if (aPass == 1)
    {
        Vela::GraphicsStateStack& states = *graphics.GetGraphicsStateStack();
        states.Push();
        states.SetCamera(myContext->cameraController->GetOrthographicCamera());
        states.SetDepthStencilState(Vela::DepthStencilState_ReadOnlyLessEqual);
        states.Pop();
    }
}

bool GameState::OnInput(InputAction anAction, const InputEvent&)
{
    if (anAction != InputAction::Pause)
    {
        return false;
    }
    myStateStack->Push(StateId::InGameMenu);
    static_cast<InGameMenuState*>(myStateStack->GetState(StateId::InGameMenu))->ShowMain();
    return true;
}
