#include "LogoState.h"

#include "GameContext.h"
#include "MenuSupport.h"
#include "StateStack.h"

#include "mire/graphics/GraphicsServices.h"

namespace
{
    // A logo at a whole-pixel fraction of its texture size.
    UISprite MakeLogo(const char* aTexturePath, const Vela::Vector2<float>& aCentre, uint32_t aDivisor)
    {
        const Vela::Vector2<float> size = GetTextureSize(aTexturePath);
        const Vela::Vector2<float> reduced{ static_cast<float>(static_cast<uint32_t>(size.x) / aDivisor),
                                            static_cast<float>(static_cast<uint32_t>(size.y) / aDivisor) };
        UISprite logo = MakeUISprite(aTexturePath, aCentre, reduced);
        logo.myInstance.myColor.a = 0.0f;
        return logo;
    }
}

LogoState::LogoState(StateStack* aStateStack, GameContext& aContext)
    : myStateStack(aStateStack), myContext(&aContext)
{
    const Vela::Vector2<float> centre{ Vela::GraphicsServices::GetRenderWidth() / 2.0f, Vela::GraphicsServices::GetRenderHeight() / 2.0f };
    myFirstLogo = MakeLogo("sprites/UI/LOGO_VELA.png", centre, 1);
    myThirdLogo = MakeLogo("sprites/UI/LOGO_invert.png", centre, 4);
    mySecondLogo = MakeLogo("sprites/UI/LOGO_GLOMP.png", centre, 2);
    myBackground = MakeUISprite("sprites/UI/LOGO_background.png", centre);
    myCurrentLogo = &myFirstLogo;
}

void LogoState::GoToMainMenu()
{
    myStateStack->Clear();
    myStateStack->Push(StateId::MainMenu);
}

void LogoState::Update(const UpdateContext& aContext)
{
    const float dt = aContext.deltaTime;
    switch (myPhase)
    {
    case 0:
        myFirstAlpha += dt * 0.25f;
        myCurrentLogo->myInstance.myColor.a = myFirstAlpha;
        if (myFirstAlpha >= 1.0f)
            myPhase = 1;
        break;
    case 1:
        myFirstAlpha -= dt * 0.5f;
        myCurrentLogo->myInstance.myColor.a = myFirstAlpha;
        if (myFirstAlpha <= 0.0f)
        {
            myPhase = 2;
            myCurrentLogo = &mySecondLogo;
        }
        break;
    case 2:
        mySecondAlpha += dt / 3.0f;
        myCurrentLogo->myInstance.myColor.a = mySecondAlpha;
        if (mySecondAlpha >= 1.0f)
            myPhase = 3;
        break;
    case 3:
        mySecondAlpha -= dt * 0.5f;
        myCurrentLogo->myInstance.myColor.a = mySecondAlpha;
        if (mySecondAlpha <= 0.0f)
        {
            myPhase = 4;
            myCurrentLogo = &myThirdLogo;
        }
        break;
    case 4:
        myThirdAlpha += dt / 3.0f;
        myCurrentLogo->myInstance.myColor.a = myThirdAlpha;
        if (myThirdAlpha >= 1.0f)
            myPhase = 5;
        break;
    case 5:
        myThirdAlpha -= dt * 0.5f;
        myCurrentLogo->myInstance.myColor.a = myThirdAlpha;
        if (myThirdAlpha <= 0.0f)
            GoToMainMenu();
        break;
    default:
        break;
    }
}

void LogoState::Render(uint32_t aPass)
{
    if (aPass != 1)
        return;
    MenuRenderScope scope(myContext->cameraController);
    if (!scope)
        return;
    DrawSingleSprite(scope.GetSpriteDrawer(), myBackground);
    DrawSingleSprite(scope.GetSpriteDrawer(), *myCurrentLogo);
}

bool LogoState::OnInput(InputAction anAction, const InputEvent&)
{
    if (anAction != InputAction::Skip)
        return false;
    GoToMainMenu();
    return true;
}
