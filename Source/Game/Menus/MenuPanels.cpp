#include "Menus/MenuPanels.h"

#include "Levels/LevelLoader.h"
#include "Menus/InGameMenuState.h"
#include "Menus/MainMenuState.h"
#include "Menus/MenuSupport.h"
#include "Screens/StateStack.h"
#include "Sound/SoundManager.h"
#include "Spine/GameContext.h"
#include "Spine/GameGlobals.h"

#include "mire/stringRegistry/StringRegistry.h"

#include <stdexcept>

namespace
{
    constexpr const char* SOUND_BAR_TEXTURE = "sprites/UI/T_UI_Sundbar.png";
}

// ---- IMenuPanel

IMenuPanel::IMenuPanel() : myShader(MakeHighlightShader()) {}

IMenuPanel::~IMenuPanel() = default;

bool IMenuPanel::OnClick(const Vela::Vector2<float>& aMousePosition)
{
    return myRegistry.OnClick(aMousePosition);
}

void IMenuPanel::Render(Vela::SpriteDrawer& aSpriteDrawer, Vela::GraphicsStateStack& aStateStack)
{
    myRegistry.RenderHighlighted(aSpriteDrawer, aStateStack);
}

void IMenuPanel::RenderElements(Vela::SpriteDrawer& aSpriteDrawer)
{
    myRegistry.Render(aSpriteDrawer);
}

void IMenuPanel::Update(const UpdateContext&)
{
    for (auto& [key, button] : myRegistry.GetButtons())
        button->SetHighlightColor({ 0.0f, 0.0f, 0.0f, 0.0f });
}

void IMenuPanel::UpdateLayout() {}

UIElementRegistry& IMenuPanel::GetElements()
{
    return myRegistry;
}

UISprite& IMenuPanel::GetSprite(std::string_view aKey)
{
    const auto found = mySprites.find(Vela::StringRegistry::RegisterOrGetString(aKey));
    if (found == mySprites.end())
        throw std::out_of_range("invalid unordered_map<K, T> key");
    return found->second;
}

IMenuPanel::SpriteMap& IMenuPanel::GetSprites()
{
    return mySprites;
}

// ---- LevelSelectPanel

LevelSelectPanel::LevelSelectPanel(StateStack* aStateStack, GameContext& aContext)
    : myStateStack(aStateStack), myContext(&aContext)
{
    myRegistry.AddButtonScaled("level_0", { 930.0f, 161.0f }, "sprites/UI/T_UI_LevelSelect_Level1.DDS",
                               [this] { StartLevel("level_0", false); });
    myRegistry.AddButtonScaled("level_1", { 1239.0f, 317.0f }, "sprites/UI/T_UI_LevelSelect_Level2.DDS",
                               [this] { StartLevel("level_1", true); });
    myRegistry.AddButtonScaled("level_2", { 936.0f, 416.0f }, "sprites/UI/T_UI_LevelSelect_Level3.DDS",
                               [this] { StartLevel("level_2", true); });
    myRegistry.AddButtonScaled("level_3", { 1196.0f, 635.0f }, "sprites/UI/T_UI_LevelSelect_Level4.DDS",
                               [this] { StartLevel("level_3", true); });
    myRegistry.AddButtonScaled("level_4", { 973.0f, 761.0f }, "sprites/UI/T_UI_LevelSelect_Level5.DDS",
                               [this] { StartLevel("level_4", true); });
    myRegistry.SetButtonShader(myShader.get());
}

void LevelSelectPanel::StartLevel(const char* aLevelKey, bool aNeedsBackgroundLoading)
{
    if (aNeedsBackgroundLoading && !(myContext->levelLoader && myContext->levelLoader->IsReady()))
        return;
    const Vela::StringId key = Vela::StringRegistry::RegisterOrGetString(aLevelKey);
    // A level that failed to load would be an empty screen with no way on: its seal is refused.
    if (myContext->levelLoader && myContext->levelLoader->GetLoadFailure(key))
    {
        SoundManager::GetInstance().PlayOneShot("UI_Deny");
        return;
    }
    myStateStack->StartLevel(key);
}

// ---- OptionsPanel

OptionsPanel::OptionsPanel(StateStack* aStateStack, GameContext& aContext)
    : myStateStack(aStateStack), myContext(&aContext)
{
    // The shared render size is still the default when the screens are built.
    const float width = GameGlobals::renderWidth;
    const float height = GameGlobals::renderHeight;
    myTogglePosition = { width / 2.0f + 175.0f, height / 5.0f };
    myRegistry.AddButtonScaled("FullscreenToggle", myTogglePosition, "sprites/UI/T_UI_Menu_Fullscreen.DDS",
                               [this] { OnFullscreenTogglePressed(); });

    const float sliderX = width / 2.0f + 140.0f;
    const Vela::Vector2<float> textureSize{ 0.0f, 0.0f };
    const Vela::Vector2<float> unitScale{ 1.0f, 1.0f };
    myRegistry.AddSlider("sfx", { sliderX, height / 1.95f }, "sprites/UI/T_UI_Menu_SFX_Audio.DDS", SOUND_BAR_TEXTURE,
                         UISliderKind_Sfx, &InGameMenuState::OnSfxVolumeChanged, textureSize, unitScale);
    myRegistry.AddSlider("main", { sliderX, height / 1.5f }, "sprites/UI/T_UI_Menu_Main_Volume.DDS", SOUND_BAR_TEXTURE,
                         UISliderKind_Master, &InGameMenuState::OnMasterVolumeChanged, textureSize, unitScale);
    myRegistry.AddSlider("music", { sliderX, height / 2.7f }, "sprites/UI/T_UI_Menu_Music.DDS", SOUND_BAR_TEXTURE,
                         UISliderKind_Music, &InGameMenuState::OnMusicVolumeChanged, textureSize, unitScale);
    myRegistry.SetButtonShader(myShader.get());

    const Vela::Vector2<float> spritePosition = myTogglePosition + myToggleOffset;
    UISprite toggle = MakeUISprite("sprites/UI/T_UI_Fullscreen_Toogle.DDS", spritePosition);
    UISprite toggleFilled = MakeUISprite("sprites/UI/T_UI_Fullscreen_Toogle_Button.DDS", spritePosition);
    toggle.mySharedData.myCustomShader = myShader.get();
    toggleFilled.mySharedData.myCustomShader = myShader.get();
    mySprites.emplace(Vela::StringRegistry::RegisterOrGetString("toggle"), toggle);
    mySprites.emplace(Vela::StringRegistry::RegisterOrGetString("toggleFilled"), toggleFilled);
    RefreshToggle();
}

void OptionsPanel::OnFullscreenTogglePressed()
{
    ToggleFullscreen();
    RefreshToggle();
}

void OptionsPanel::RefreshToggle()
{
    // The window goes fullscreen only after the menus are built, so the tick is read when shown.
    GetSprite("toggleFilled").myInstance.myIsHidden = !IsWindowFullscreen();
}

void OptionsPanel::UpdateLayout()
{
    const Vela::Vector2<float> position = myRegistry.GetButton("FullscreenToggle").myInstance.myPosition + myToggleOffset;
    for (auto& [key, sprite] : mySprites)
        sprite.myInstance.myPosition = position;
}

void OptionsPanel::Render(Vela::SpriteDrawer& aSpriteDrawer, Vela::GraphicsStateStack& aStateStack)
{
    myRegistry.RenderHighlighted(aSpriteDrawer, aStateStack);
    for (const auto& [key, sprite] : mySprites)
        DrawSingleSprite(aSpriteDrawer, sprite);
}

// ---- CreditsPanel

CreditsPanel::CreditsPanel(StateStack* aStateStack, GameContext& aContext)
    : myStateStack(aStateStack), myContext(&aContext)
{
    myRegistry.AddButtonScaled("Back", { 1100.0f, 305.0f }, "sprites/UI/T_UI_Menu_Back.DDS", [this] { OnBackPressed(); });
    myRegistry.SetButtonShader(myShader.get());
}

void CreditsPanel::OnBackPressed()
{
    auto* mainMenu = static_cast<MainMenuState*>(myStateStack->GetState(StateId::MainMenu));
    if (mainMenu)
    {
        mainMenu->SetMainButtonsHidden(false);
        mainMenu->ResetPage();
    }
    SoundManager::GetInstance().PlayOneShot("Book_Open");
}
