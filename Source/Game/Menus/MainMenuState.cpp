#include "Menus/MainMenuState.h"

#include "Input/InputMapper.h"
#include "Menus/MenuSupport.h"
#include "Screens/StateStack.h"
#include "Sound/SoundManager.h"
#include "Spine/GameContext.h"

#include "mire/graphics/GraphicsServices.h"
#include "mire/texture/TextureManager.h"

#include "Platform/window/MessageQueue.h"

#include <cstdio>

namespace
{
    constexpr const char* PAGES_TEXTURE = "sprites/UI/T_UI_Book_Pages.DDS";
    constexpr const char* MAIN_BUTTON_KEYS[MainMenuState::MAIN_BUTTON_COUNT] = { "play", "levelselect", "options", "credits", "quit" };
    constexpr const char* LEVEL_KEYS[MainMenuState::LEVEL_COUNT] = { "level_0", "level_1", "level_2", "level_3", "level_4" };
    const Vela::Vector4<float> NO_HIGHLIGHT{ 0.0f, 0.0f, 0.0f, 0.0f };
    const Vela::Vector4<float> SELECTED_HIGHLIGHT{ 1.0f, 0.5f, 0.0f, 0.0f };

    Vela::Texture* LoadTexture(const char* aPath)
    {
        Vela::TextureManager* textureManager = Vela::GraphicsServices::GetTextureManager();
        return textureManager ? textureManager->GetTexture(aPath) : nullptr;
    }

    // The rows of the options page, top to bottom.
    UISlider* OptionsRowSlider(OptionsPanel& aPanel, int32_t aRow)
    {
        constexpr const char* ROW_SLIDERS[] = { "main", "sfx", "music" };
        if (aRow < 0 || aRow > 2)
            return nullptr;
        return &aPanel.GetElements().GetSlider(ROW_SLIDERS[aRow]);
    }
}

MainMenuState::MainMenuState(StateStack* aStateStack, GameContext& aContext)
    : myStateStack(aStateStack), myContext(&aContext)
{
    const Vela::Vector2<float> renderSize{ Vela::GraphicsServices::GetRenderWidth(), Vela::GraphicsServices::GetRenderHeight() };
    const Vela::Vector2<float> centre{ renderSize.x / 2.0f, renderSize.y / 2.0f };
    myBackground = MakeUISprite("sprites/UI/T_UI_Book_Background.DDS", centre, renderSize);
    myPage = MakeUISprite(PAGES_TEXTURE, centre);

    myPagesTexture = LoadTexture(PAGES_TEXTURE);
    myFrontTexture = LoadTexture("sprites/UI/T_UI_Book_Front.DDS");
    myBackTexture = LoadTexture("sprites/UI/T_UI_Book_Back.DDS");
    myLevelSelectTexture = LoadTexture("sprites/UI/T_UI_Book_Page_Level_Select.DDS");

    myLevelSelectPanel = std::make_unique<LevelSelectPanel>(aStateStack, aContext);
    myOptionsPanel = std::make_unique<OptionsPanel>(aStateStack, aContext);
    myCreditsPanel = std::make_unique<CreditsPanel>(aStateStack, aContext);

    UIElementRegistry& registry = GetRegistry();
    registry.AddButtonScaled("play", { 490.0f, 735.0f }, "sprites/UI/T_UI_Menu_NewGame.DDS", [this] { OnPlayPressed(); });
    registry.AddButtonScaled("levelselect", { 500.0f, 590.0f }, "sprites/UI/T_UI_Menu_LevelSelect.DDS", [this] { OnLevelSelectPressed(); });
    registry.AddButtonScaled("options", { 505.0f, 445.0f }, "sprites/UI/T_UI_Menu_options.DDS", [this] { OnOptionsPressed(); });
    registry.AddButtonScaled("credits", { 500.0f, 305.0f }, "sprites/UI/T_UI_Menu_Credits.DDS", [this] { OnCreditsPressed(); });
    registry.AddButtonScaled("quit", { 485.0f, 165.0f }, "sprites/UI/T_UI_Menu_Quit.DDS", [this] { OnQuitPressed(); });

    myShader = MakeHighlightShader();
    registry.SetButtonShader(myShader.get());
    BuildSelectionMap();
}

MainMenuState::~MainMenuState() = default;

void MainMenuState::BuildSelectionMap()
{
    for (int32_t i = 0; i < MAIN_BUTTON_COUNT; ++i)
        mySelectionMap[i] = &GetRegistry().GetButton(MAIN_BUTTON_KEYS[i]);
    for (int32_t i = 0; i < LEVEL_COUNT; ++i)
        mySelectionMap[SELECTION_FIRST_LEVEL + i] = &myLevelSelectPanel->GetElements().GetButton(LEVEL_KEYS[i]);
    mySelectionMap[SELECTION_FULLSCREEN] = &myOptionsPanel->GetElements().GetButton("FullscreenToggle");
    mySelectionMap[SELECTION_CREDITS_BACK] = &myCreditsPanel->GetElements().GetButton("Back");
}

bool MainMenuState::IsSelectionShown(int32_t aSelection) const
{
    const auto selected = mySelectionMap.find(aSelection);
    if (selected == mySelectionMap.end() || !IsShownButton(selected->second))
        return false;
    if (aSelection < MAIN_BUTTON_COUNT)
        return true;
    if (aSelection < SELECTION_FULLSCREEN)
        return myOpenPanel == myLevelSelectPanel.get();
    if (aSelection == SELECTION_FULLSCREEN)
        return myOpenPanel == myOptionsPanel.get();
    return myOpenPanel == myCreditsPanel.get();
}

void MainMenuState::SetPageTexture(Vela::Texture* aTexture)
{
    myPage.mySharedData.myColorTexture = aTexture;
}

void MainMenuState::SetMainButtonsHidden(bool aHidden)
{
    for (const char* key : MAIN_BUTTON_KEYS)
        GetRegistry().GetButton(key).SetHidden(aHidden);
}

void MainMenuState::OnPlayPressed()
{
    myStateStack->Clear();
    myStateStack->Push(StateId::Opening);
}

void MainMenuState::OnLevelSelectPressed()
{
    myOpenPanel = myLevelSelectPanel.get();
    // Every visit starts from the first level, so the first MenuDown always wraps to the last.
    myLevelIndex = 0;
    SetPageTexture(myLevelSelectTexture);
    SoundManager::GetInstance().PlayOneShot("Page_Flip_1");
}

void MainMenuState::OnOptionsPressed()
{
    myOpenPanel = myOptionsPanel.get();
    myOptionsRow = 0;
    myOptionsPanel->RefreshToggle();
    SetPageTexture(myPagesTexture);
    SoundManager::GetInstance().PlayOneShot("Page_Flip_2");
}

void MainMenuState::OnCreditsPressed()
{
    myOpenPanel = myCreditsPanel.get();
    SetPageTexture(myBackTexture);
    SetMainButtonsHidden(true);
    SoundManager::GetInstance().PlayOneShot("Book_Close");
}

void MainMenuState::OnQuitPressed()
{
    ResetPage();
    SetMainButtonsHidden(true);
    SoundManager::GetInstance().PlayOneShot("Book_Close");
    SetPageTexture(myFrontTexture);
    Vela::Platform::PostQuitMessage(0);
}

void MainMenuState::ResetPage()
{
    SetPageTexture(myPagesTexture);
    mySelection = myMainIndex;
    myOpenPanel = nullptr;
}

void MainMenuState::Navigate(int32_t aDelta)
{
    if (!myOpenPanel)
    {
        myMainIndex = WrapIndex(myMainIndex + aDelta, MAIN_BUTTON_COUNT);
        mySelection = myMainIndex;
        std::printf("main menu: %d\n", myMainIndex);
    }
    else if (myOpenPanel == myLevelSelectPanel.get())
    {
        // The level buttons run bottom to top: "down" goes to the lower level number.
        myLevelIndex = WrapIndex(myLevelIndex - aDelta, LEVEL_COUNT);
        mySelection = myLevelIndex + SELECTION_FIRST_LEVEL;
        std::printf("Stage: %d\n", myLevelIndex);
    }
    else if (myOpenPanel == myOptionsPanel.get())
    {
        myOptionsRow = WrapIndex(myOptionsRow + aDelta, OPTIONS_ROW_COUNT);
        mySelection = myOptionsRow == 3 ? SELECTION_FULLSCREEN : SELECTION_SLIDER_ROW;
        std::printf("Options: %d\n", myOptionsRow);
    }
}

void MainMenuState::OnDirection(float aDelta)
{
    if (myOpenPanel != myOptionsPanel.get())
        return;
    if (UISlider* slider = OptionsRowSlider(*myOptionsPanel, myOptionsRow))
        slider->Step(aDelta);
}

void MainMenuState::Update(const UpdateContext& aContext)
{
    if (myOpenPanel)
    {
        myOpenPanel->Update(aContext);
        myOpenPanel->UpdateLayout();
    }

    if (InputMapper* inputMapper = aContext.inputMapper)
    {
        if (inputMapper->IsPressed(InputAction::MenuDown))
            Navigate(1);
        else if (inputMapper->IsPressed(InputAction::MenuUp))
            Navigate(-1);
        else if (inputMapper->IsPressed(InputAction::MenuRight))
            OnDirection(mySliderStep);
        else if (inputMapper->IsPressed(InputAction::MenuLeft))
            OnDirection(-mySliderStep);
    }

    for (auto& [key, button] : GetRegistry().GetButtons())
        button->SetHighlightColor(NO_HIGHLIGHT);
    // The page's sliders are not the stack's to refresh: without this they would keep showing a
    // volume that the pause menu has changed since.
    myOptionsPanel->GetElements().RefreshSliders();
    for (auto& [key, slider] : myOptionsPanel->GetElements().GetSliders())
        slider->SetKnobHighlight(0.5f);

    const auto selected = mySelectionMap.find(mySelection);
    if (selected != mySelectionMap.end())
        selected->second->SetHighlightColor(SELECTED_HIGHLIGHT);

    if (myOpenPanel == myOptionsPanel.get())
    {
        if (UISlider* slider = OptionsRowSlider(*myOptionsPanel, myOptionsRow))
            slider->SetKnobHighlight(1.0f);
    }
}

void MainMenuState::Render(uint32_t aPass)
{
    DrawScreenPass(aPass, myContext->cameraController, [this](Vela::SpriteDrawer& aDrawer, Vela::GraphicsStateStack& aStates) {
        DrawSingleSprite(aDrawer, myBackground);
        DrawSingleSprite(aDrawer, myPage);
        GetRegistry().RenderHighlighted(aDrawer, aStates);
        if (myOpenPanel)
            myOpenPanel->Render(aDrawer, aStates);
    });
}

bool MainMenuState::OnInput(InputAction anAction, const InputEvent& anEvent)
{
    switch (anAction)
    {
    case InputAction::StartGame:
        myStateStack->Clear();
        myStateStack->Push(StateId::Game);
        return true;
    case InputAction::OpenOptions:
        myStateStack->Push(StateId::Options);
        return true;
    case InputAction::Click:
    {
        // The open page gets the click only when the left page did not take it, so a button that
        // opens a page never also clicks what that page shows under the mouse.
        const Vela::Vector2<float> mouse{ anEvent.x, anEvent.y };
        if (!GetRegistry().OnClick(mouse) && myOpenPanel)
            myOpenPanel->OnClick(mouse);
        return true;
    }
    case InputAction::Confirm:
    {
        const int32_t confirmed = mySelection;
        if (mySelectionMap.contains(confirmed))
        {
            // A button the player cannot see, hidden or on a page that is not open, does nothing.
            if (!IsSelectionShown(confirmed))
                return true;
            mySelectionMap.at(confirmed)->myCallback();
        }
        switch (confirmed)
        {
        case 1: mySelection = SELECTION_FIRST_LEVEL; break;
        case 2:
            mySelection = SELECTION_SLIDER_ROW;
            myOptionsRow = 0;
            break;
        case 3: mySelection = SELECTION_CREDITS_BACK; break;
        case SELECTION_FULLSCREEN: break;
        default: mySelection = myMainIndex; break;
        }
        return true;
    }
    case InputAction::Back:
        if (myOpenPanel == myCreditsPanel.get())
            myCreditsPanel->OnBackPressed();
        else if (myOpenPanel)
            ResetPage();
        return true;
    case InputAction::MenuDown:
    case InputAction::MenuUp:
    case InputAction::MenuRight:
    case InputAction::MenuLeft:
        SoundManager::GetInstance().PlayOneShot("UI_Hover");
        return true;
    default:
        return false;
    }
}
