#include "Menus/InGameMenuState.h"

#include "Camera/CameraController.h"
#include "Input/InputMapper.h"
#include "Menus/MainMenuState.h"
#include "Menus/MenuSupport.h"
#include "Screens/StateStack.h"
#include "Sound/SoundManager.h"
#include "Spine/GameContext.h"
#include "Spine/GameGlobals.h"

#include "mire/input/InputManager.h"

#include "Platform/window/MessageQueue.h"

#include <cstdio>

namespace
{
    constexpr const char* MAIN_PAGE_BUTTONS[] = { "resume", "main", "options", "exit" };
    constexpr const char* OPTIONS_PAGE_BUTTONS[] = { "FullscreenToggle", "back" };
    // Options rows 0..2, top to bottom.
    constexpr const char* ROW_SLIDERS[] = { "master", "music", "sfx" };
    constexpr const char* SOUND_BAR_TEXTURE = "sprites/UI/T_UI_Sundbar.png";
    const Vela::Vector2<float> WIDGET_SCALE{ 0.7f, 0.7f };
    const Vela::Vector2<float> TEXTURE_SIZE{ 0.0f, 0.0f };
    const Vela::Vector4<float> HIGHLIGHT{ 0.7f, 0.0f, 0.0f, 0.0f };

    UISprite MakeScaledSprite(const char* aTexturePath, const Vela::Vector2<float>& aPosition, float aScale)
    {
        const Vela::Vector2<float> size = GetTextureSize(aTexturePath);
        return MakeUISprite(aTexturePath, aPosition, { size.x * aScale, size.y * aScale });
    }

    void SetSliderHidden(UISlider& aSlider, bool aHidden)
    {
        aSlider.SetHidden(aHidden);
        aSlider.SetFillHidden(aHidden);
    }
}

InGameMenuState::InGameMenuState(StateStack* aStateStack, GameContext& aContext)
    : myStateStack(aStateStack), myContext(&aContext)
{
    myBackground = MakeScaledSprite("sprites/UI/T_UI_Menu_BackgroundBox.DDS", { 800.0f, 450.0f }, 0.85f);
    myToggle = MakeScaledSprite("sprites/UI/T_UI_Fullscreen_Toogle.DDS", { 620.0f, 300.0f }, 0.7f);
    myToggle.myInstance.myIsHidden = true;
    myToggleFilled = MakeScaledSprite("sprites/UI/T_UI_Fullscreen_Toogle_Button.DDS", { 620.0f, 300.0f }, 0.7f);
    myToggleFilled.myInstance.myIsHidden = true;

    myRegistry.AddButton("resume", { 800.0f, 650.0f }, "sprites/UI/T_UI_Resume.DDS", [this] { OnResumePressed(); }, TEXTURE_SIZE, WIDGET_SCALE);
    myRegistry.AddButton("main", { 800.0f, 500.0f }, "sprites/UI/T_UI_Main_Menu.DDS", [this] { OnMainPressed(); }, TEXTURE_SIZE, WIDGET_SCALE);
    myRegistry.AddButton("options", { 800.0f, 350.0f }, "sprites/UI/T_UI_Options.DDS", [this] { OnOptionsPressed(); }, TEXTURE_SIZE, WIDGET_SCALE);
    myRegistry.AddButton("exit", { 800.0f, 200.0f }, "sprites/UI/T_UI_Exit.DDS", [this] { OnExitPressed(); }, TEXTURE_SIZE, WIDGET_SCALE);
    myRegistry.AddButton("back", { 800.0f, 175.0f }, "sprites/UI/T_UI_Back.DDS", [this] { OnBackPressed(); }, TEXTURE_SIZE, WIDGET_SCALE);
    myRegistry.AddButton("FullscreenToggle", { 820.0f, 300.0f }, "sprites/UI/T_UI_Fullscreen.DDS",
                         [this] { OnFullscreenTogglePressed(); }, TEXTURE_SIZE, WIDGET_SCALE);
    myRegistry.AddSlider("master", { 800.0f, 900.0f / 1.37f }, "sprites/UI/T_UI_Main_Volume.png", SOUND_BAR_TEXTURE,
                         UISliderKind_Master, &OnMasterVolumeChanged, TEXTURE_SIZE, WIDGET_SCALE);
    myRegistry.AddSlider("music", { 800.0f, 900.0f / 1.69f }, "sprites/UI/T_UI_Music.png", SOUND_BAR_TEXTURE,
                         UISliderKind_Music, &OnMusicVolumeChanged, TEXTURE_SIZE, WIDGET_SCALE);
    myRegistry.AddSlider("sfx", { 800.0f, 400.0f }, "sprites/UI/T_UI_SFX_Audio.png", SOUND_BAR_TEXTURE,
                         UISliderKind_Sfx, &OnSfxVolumeChanged, TEXTURE_SIZE, WIDGET_SCALE);

    myShader = MakeHighlightShader();
    myRegistry.SetButtonShader(myShader.get());

    for (int32_t i = 0; i < MAIN_BUTTON_COUNT; ++i)
        mySelectionMap[i] = &myRegistry.GetButton(MAIN_PAGE_BUTTONS[i]);
    mySelectionMap[SELECTION_FULLSCREEN] = &myRegistry.GetButton("FullscreenToggle");
    mySelectionMap[SELECTION_BACK] = &myRegistry.GetButton("back");
}

InGameMenuState::~InGameMenuState() = default;

bool InGameMenuState::IsOptionsPage()
{
    return !myRegistry.GetSlider("master").IsHidden();
}

void InGameMenuState::ShowPage(bool anOptionsPage)
{
    for (const char* key : MAIN_PAGE_BUTTONS)
        myRegistry.GetButton(key).SetHidden(anOptionsPage);
    for (const char* key : OPTIONS_PAGE_BUTTONS)
        myRegistry.GetButton(key).SetHidden(!anOptionsPage);
    for (const char* key : ROW_SLIDERS)
        SetSliderHidden(myRegistry.GetSlider(key), !anOptionsPage);
    myToggle.myInstance.myIsHidden = !anOptionsPage;
    myToggleFilled.myInstance.myIsHidden = !anOptionsPage || !IsWindowFullscreen();
}

// A page shown selects its first row, so Confirm never reaches a button of the other page.
void InGameMenuState::ShowMain()
{
    ShowPage(false);
    myMainIndex = 0;
    mySelection = myMainIndex;
}

void InGameMenuState::ShowOptions()
{
    ShowPage(true);
    myOptionsRow = 0;
    mySelection = SELECTION_SLIDER_ROW;
}

void InGameMenuState::Lock()
{
    myLocked = 1;
    myLockTimer = INPUT_LOCK_SECONDS;
}

void InGameMenuState::HideAllWidgets()
{
    for (auto& [key, button] : myRegistry.GetButtons())
        button->SetHidden(true);
    for (auto& [key, slider] : myRegistry.GetSliders())
        slider->SetHidden(true);
}

UISlider* InGameMenuState::GetRowSlider()
{
    if (!IsOptionsPage() || myOptionsRow < 0 || myOptionsRow > 2)
        return nullptr;
    return &myRegistry.GetSlider(ROW_SLIDERS[myOptionsRow]);
}

void InGameMenuState::OnResumePressed()
{
    myStateStack->Clear();
    myStateStack->Push(StateId::Game);
    SoundManager::GetInstance().PlayOneShot("UI_Deny");
    if (myContext->cameraController)
        myContext->cameraController->SetHeld(false);
}

void InGameMenuState::OnMainPressed()
{
    if (auto* mainMenu = static_cast<MainMenuState*>(myStateStack->GetState(StateId::MainMenu)))
    {
        mainMenu->ResetPage();
        mainMenu->SetMainButtonsHidden(false);
    }
    myStateStack->Clear();
    // The level's own loops (the player's steps, an orb's hum, boxes) would keep sounding under the
    // title music; the level's music and ambience stop with the menu's music anyway.
    SoundManager::GetInstance().StopAllLooping(true);
    myStateStack->Push(StateId::MainMenu);
    SoundManager::GetInstance().PlayOneShot("UI_Deny");
}

void InGameMenuState::OnOptionsPressed()
{
    Lock();
    HideAllWidgets();
    ShowOptions();
    SoundManager::GetInstance().PlayOneShot("UI_Confirm");
}

void InGameMenuState::OnBackPressed()
{
    Lock();
    HideAllWidgets();
    ShowMain();
    SoundManager::GetInstance().PlayOneShot("UI_Deny");
}

void InGameMenuState::OnExitPressed()
{
    if (!myLocked)
        Vela::Platform::PostQuitMessage(0);
}

void InGameMenuState::OnFullscreenTogglePressed()
{
    if (myLocked)
        return;
    const bool fullscreen = ToggleFullscreen();
    myToggleFilled.myInstance.myIsHidden = !fullscreen;
}

void InGameMenuState::OnMasterVolumeChanged(float aValue)
{
    SoundManager::GetInstance().SetMasterVolume(aValue);
}

void InGameMenuState::OnMusicVolumeChanged(float aValue)
{
    SoundManager::GetInstance().SetMusicVolume(aValue);
}

void InGameMenuState::OnSfxVolumeChanged(float aValue)
{
    SoundManager::GetInstance().SetEffectsVolume(aValue);
}

void InGameMenuState::Navigate(int32_t aDelta)
{
    if (!IsOptionsPage())
    {
        myMainIndex = WrapIndex(myMainIndex + aDelta, MAIN_BUTTON_COUNT);
        mySelection = myMainIndex;
        std::printf("InGame menu: %d\n", myMainIndex);
        return;
    }
    myOptionsRow = WrapIndex(myOptionsRow + aDelta, OPTIONS_ROW_COUNT);
    if (myOptionsRow == 3)
        mySelection = SELECTION_FULLSCREEN;
    else if (myOptionsRow == 4)
        mySelection = SELECTION_BACK;
    else
        mySelection = SELECTION_SLIDER_ROW;
    std::printf("InGame Options menu: %d\n", myOptionsRow);
}

void InGameMenuState::OnDirection(bool aRight)
{
    if (!IsOptionsPage())
        return;
    if (UISlider* slider = GetRowSlider())
    {
        SoundManager::GetInstance().PlayOneShot("UI_Hover");
        slider->Step(aRight ? mySliderStep : -mySliderStep);
    }
    std::printf(aRight ? "right \n" : "left \n");
}

void InGameMenuState::Update(const UpdateContext& aContext)
{
    if (myLocked)
    {
        myLockTimer -= aContext.deltaTime;
        if (myLockTimer < 0.0f)
            myLocked = 0;
    }

    for (auto& [key, button] : myRegistry.GetButtons())
        button->SetHighlightColor({ 0.0f, 0.0f, 0.0f, 0.0f });

    UIButton* hovered = GameGlobals::inputManager ? myRegistry.GetHovered(GameGlobals::inputManager->GetMousePosition()) : nullptr;
    if (hovered)
    {
        if (!myHovering)
            SoundManager::GetInstance().PlayOneShot("UI_Hover");
        myHovering = 1;
        hovered->SetHighlightColor(HIGHLIGHT);
    }
    else
    {
        myHovering = 0;
        const auto selected = mySelectionMap.find(mySelection);
        if (selected != mySelectionMap.end())
            selected->second->SetHighlightColor(HIGHLIGHT);
    }

    for (auto& [key, slider] : myRegistry.GetSliders())
    {
        slider->Refresh();
        slider->SetKnobHighlight(0.5f);
    }

    if (InputMapper* inputMapper = aContext.inputMapper)
    {
        if (inputMapper->IsPressed(InputAction::MenuDown))
        {
            SoundManager::GetInstance().PlayOneShot("UI_Hover");
            Navigate(1);
            std::printf("down \n");
        }
        else if (inputMapper->IsPressed(InputAction::MenuUp))
        {
            SoundManager::GetInstance().PlayOneShot("UI_Hover");
            Navigate(-1);
            std::printf("up \n");
        }
        else if (inputMapper->IsPressed(InputAction::MenuRight))
            OnDirection(true);
        else if (inputMapper->IsPressed(InputAction::MenuLeft))
            OnDirection(false);
    }

    if (UISlider* slider = GetRowSlider())
        slider->SetKnobHighlight(1.0f);

    // Keeps the game camera still behind the menu.
    if (myContext->cameraController)
        myContext->cameraController->SetHeld(true);
}

void InGameMenuState::Render(uint32_t aPass)
{
    DrawScreenPass(aPass, myContext->cameraController, [this](Vela::SpriteDrawer& aDrawer, Vela::GraphicsStateStack& aStates) {
        DrawSingleSprite(aDrawer, myBackground);
        DrawSingleSprite(aDrawer, myToggle);
        DrawSingleSprite(aDrawer, myToggleFilled);
        myRegistry.RenderHighlighted(aDrawer, aStates);
    });
}

bool InGameMenuState::OnInput(InputAction anAction, const InputEvent& anEvent)
{
    switch (anAction)
    {
    case InputAction::Pause:
        std::printf("exe\n");
        return true;
    case InputAction::CloseMenu:
        myStateStack->Pop();
        if (myContext->cameraController)
            myContext->cameraController->SetHeld(false);
        return true;
    case InputAction::Click:
        myRegistry.OnClick({ anEvent.x, anEvent.y });
        return true;
    case InputAction::Confirm:
    {
        const auto selected = mySelectionMap.find(mySelection);
        if (selected != mySelectionMap.end() && IsShownButton(selected->second))
            selected->second->myCallback();
        return true;
    }
    default:
        return false;
    }
}
