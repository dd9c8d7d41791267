#include "Screens/TransitionState.h"

#include "Camera/CameraController.h"
#include "Spine/GameContext.h"

#include "mire/core/Engine.h"
#include "mire/graphics/GraphicsEngine.h"
#include "mire/graphics/GraphicsStateStack.h"
#include "mire/graphics/RenderStates.h"
#include "mire/texture/TextureManager.h"

TransitionState::TransitionState(StateStack* aStateStack, GameContext& aContext)
    : myStateStack(aStateStack)
    , myContext(&aContext)
{
    Vela::Engine& engine = *Vela::Engine::GetInstance();
    mySpriteData.myColorTexture = engine.myTextureManager->GetTexture(TEXTURE);
    // Sized once: the overlay keeps covering the render target it was made for.
    const float width = static_cast<float>(engine.myConfiguration.myRenderWidth);
    const float height = static_cast<float>(engine.myConfiguration.myRenderHeight);
    mySprite.myPivot = { 0.5f, 0.5f };
    mySprite.mySize = { width, height };
    mySprite.myPosition = { width * 0.5f, height * 0.5f };
    mySprite.myColor = { 1.0f, 1.0f, 1.0f, 1.0f };
}

void TransitionState::Update(const UpdateContext& aContext)
{
    float& alpha = mySprite.myColor.a;
    if (myReveal)
    {
        alpha -= alpha * aContext.deltaTime * mySpeed;
    }
    if (myCover)
    {
        alpha += (1.0f - alpha) * aContext.deltaTime * mySpeed;
    }
}

void TransitionState::Render(uint32_t aPass)
{
    if (aPass != 1)
    {
        return;
    }
    Vela::GraphicsEngine& graphics = *Vela::Engine::GetInstance()->myGraphicsEngine;
    Vela::GraphicsStateStack& states = *graphics.GetGraphicsStateStack();
    states.Push();
    states.SetCamera(myContext->cameraController->GetOrthographicCamera());
    states.SetDepthStencilState(Vela::DepthStencilState_ReadOnlyLessEqual);
    states.SetBlendState(Vela::BlendState_AlphaBlend);
    {
        Vela::SpriteBatchScope batch = graphics.GetSpriteDrawer()->BeginBatch(mySpriteData);
        batch.Draw(mySprite);
    }
    states.SetBlendState(Vela::BlendState_Disabled);
    states.Pop();
}

bool TransitionState::OnInput(InputAction, const InputEvent&)
{
    return false;
}

void TransitionState::Cover(const Vela::Vector3<float>& aColor, float aSpeed)
{
    SetCover();
    StartFade();
    SetColor(aColor.x, aColor.y, aColor.z);
    mySpeed = aSpeed;
}

void TransitionState::Reveal(float aSpeed)
{
    SetReveal();
    StartFade();
    mySpeed = aSpeed;
}

void TransitionState::StartFade()
{
    if (myReveal)
    {
        mySprite.myColor.a = 1.0f;
    }
    if (myCover)
    {
        mySprite.myColor.a = 0.0f;
    }
}

void TransitionState::SetColor(float aRed, float aGreen, float aBlue)
{
    mySprite.myColor.r = aRed;
    mySprite.myColor.g = aGreen;
    mySprite.myColor.b = aBlue;
}

bool TransitionState::IsFinished() const
{
    if (myReveal)
    {
        return mySprite.myColor.a <= REVEAL_FINISHED_ALPHA;
    }
    if (myCover)
    {
        return mySprite.myColor.a >= COVER_FINISHED_ALPHA;
    }
    return true;
}
