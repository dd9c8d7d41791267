#include "Screens/EndingState.h"

#include "Menus/MainMenuState.h"
#include "Menus/MenuSupport.h"
#include "Screens/StateStack.h"
#include "Sound/SoundManager.h"
#include "Spine/GameContext.h"

namespace
{
    const Vela::Vector2<float> CANVAS_CENTRE{ UI_CANVAS_SIZE.x / 2.0f, UI_CANVAS_SIZE.y / 2.0f };
    constexpr const char* INTRO_PAGE = "sprites/UI/T_UI_Book_Pages_Intro.DDS";
    constexpr float OUTRO_PAGE_TIME = 6.0f;
    constexpr float BOOK_BACK_TIME = 11.0f;
    constexpr float RETURN_TIME = 20.0f;
}

EndingState::EndingState(StateStack* aStateStack, GameContext& aContext)
    : myStateStack(aStateStack), myContext(&aContext)
{
    myBackground = MakeUISprite("sprites/UI/T_UI_Book_Background.DDS", CANVAS_CENTRE, UI_CANVAS_SIZE);
    myPage = MakeUISprite(INTRO_PAGE, CANVAS_CENTRE);
}

void EndingState::Reset()
{
    SoundManager::GetInstance().StopMusic();
    myPhase = 0;
    myTimer = 0.0f;
    myPage = MakeUISprite(INTRO_PAGE, CANVAS_CENTRE);
}

void EndingState::ReturnToMainMenu()
{
    SoundManager& soundManager = SoundManager::GetInstance();
    soundManager.PlayOneShot("Book_Open");
    myStateStack->Clear();
    // The last level's own loops would keep sounding under the title music.
    soundManager.StopAllLooping(true);
    myStateStack->Push(StateId::MainMenu);
    if (auto* mainMenu = static_cast<MainMenuState*>(myStateStack->GetState(StateId::MainMenu)))
        mainMenu->ResetPage();
}

void EndingState::Update(const UpdateContext& aContext)
{
    myTimer += aContext.deltaTime;
    if (OUTRO_PAGE_TIME < myTimer && myTimer < BOOK_BACK_TIME && myPhase == 0)
    {
        myPhase = 1;
        myPage = MakeUISprite("sprites/UI/T_UI_Book_Pages_Outro.DDS", CANVAS_CENTRE);
        SoundManager::GetInstance().PlayOneShot("Page_Flip_3");
    }
    else if (BOOK_BACK_TIME < myTimer && myTimer < RETURN_TIME && myPhase == 1)
    {
        myPhase = 2;
        myPage = MakeUISprite("sprites/UI/T_UI_Book_Back.DDS", { CANVAS_CENTRE.x + 350.0f, CANVAS_CENTRE.y });
        SoundManager::GetInstance().PlayOneShot("Book_Close");
    }
    if (myTimer > RETURN_TIME)
        ReturnToMainMenu();
}

void EndingState::Render(uint32_t aPass)
{
    DrawScreenPass(aPass, myContext->cameraController, [this](Vela::SpriteDrawer& aDrawer, Vela::GraphicsStateStack&) {
        DrawSingleSprite(aDrawer, myBackground);
        DrawSingleSprite(aDrawer, myPage);
    });
}

bool EndingState::OnInput(InputAction, const InputEvent&)
{
    return false;
}
