#include "Screens/LogoState.h"

#include "Menus/MenuSupport.h"
#include "Screens/StateStack.h"
#include "Spine/GameContext.h"

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
    if (myPhase < 0 || myPhase > LAST_PHASE)
        return;
    // Each logo fades in, then out; the odd phases are the fades out.
    struct Phase
    {
        float LogoState::*alpha;
        float rate; // alpha per second
    };
    static constexpr Phase PHASES[LAST_PHASE + 1] = {
        { &LogoState::myFirstAlpha, 0.25f },   { &LogoState::myFirstAlpha, -0.5f },
        { &LogoState::mySecondAlpha, 1.0f / 3.0f }, { &LogoState::mySecondAlpha, -0.5f },
        { &LogoState::myThirdAlpha, 1.0f / 3.0f },  { &LogoState::myThirdAlpha, -0.5f },
    };
    const Phase& phase = PHASES[myPhase];
    float& alpha = this->*phase.alpha;
    alpha += aContext.deltaTime * phase.rate;
    myCurrentLogo->myInstance.myColor.a = alpha;
    const bool fadingIn = phase.rate > 0.0f;
    if (fadingIn ? alpha < 1.0f : alpha > 0.0f)
        return;

    if (myPhase == LAST_PHASE)
    {
        GoToMainMenu();
        return;
    }
    ++myPhase;
    if (myPhase == 2)
        myCurrentLogo = &mySecondLogo;
    else if (myPhase == 4)
        myCurrentLogo = &myThirdLogo;
}

void LogoState::Render(uint32_t aPass)
{
    DrawScreenPass(aPass, myContext->cameraController, [this](Vela::SpriteDrawer& aDrawer, Vela::GraphicsStateStack&) {
        DrawSingleSprite(aDrawer, myBackground);
        DrawSingleSprite(aDrawer, *myCurrentLogo);
    });
}

bool LogoState::OnInput(InputAction anAction, const InputEvent&)
{
    if (anAction != InputAction::Skip)
        return false;
    GoToMainMenu();
    return true;
}
