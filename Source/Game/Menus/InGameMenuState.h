#pragma once
// The pause menu over the play screen: a main page (resume, main menu, options, exit) and an
// options page (fullscreen toggle, three volume sliders, back) in one registry.
#include "Menus/UIElement.h"
#include "Screens/State.h"

#include "mire/drawers/SpriteShader.h"

#include <memory>
#include <unordered_map>

class StateStack;
struct GameContext;

class InGameMenuState : public State
{
public:
    static constexpr int32_t MAIN_BUTTON_COUNT = 4;
    static constexpr int32_t OPTIONS_ROW_COUNT = 5;
    // Selection values: 0..3 the main page, 4 the fullscreen toggle, 5 "back", 6 a slider row.
    static constexpr int32_t SELECTION_FULLSCREEN = 4;
    static constexpr int32_t SELECTION_BACK = 5;
    static constexpr int32_t SELECTION_SLIDER_ROW = 6;
    static constexpr float INPUT_LOCK_SECONDS = 0.1f;

    InGameMenuState(StateStack* aStateStack, GameContext& aContext);
    ~InGameMenuState() override;

    void Update(const UpdateContext& aContext) override;
    void Render(uint32_t aPass) override;
    bool OnInput(InputAction anAction, const InputEvent& anEvent) override;

    void ShowMain();
    void ShowOptions();
    void Navigate(int32_t aDelta);
    void OnDirection(bool aRight);

    void OnResumePressed();
    void OnMainPressed();
    void OnOptionsPressed();
    void OnBackPressed();
    void OnExitPressed();
    void OnFullscreenTogglePressed();

    // Shared with the title book's options page.
    static void OnMasterVolumeChanged(float aValue);
    static void OnMusicVolumeChanged(float aValue);
    static void OnSfxVolumeChanged(float aValue);

    bool IsOptionsPage();
    bool IsLocked() const { return myLocked != 0; }
    int32_t GetSelection() const { return mySelection; }
    const UISprite& GetToggleFilled() const { return myToggleFilled; }

private:
    // The widgets of one page shown, the other's hidden.
    void ShowPage(bool anOptionsPage);
    void Lock();
    void HideAllWidgets();
    UISlider* GetRowSlider();

    UISprite myBackground;
    UISprite myToggle;
    UISprite myToggleFilled;
    StateStack* myStateStack = nullptr;
    GameContext* myContext = nullptr;
    float mySliderStep = 0.1f;
    int32_t mySelection = 0;
    int32_t myMainIndex = 0;
    int32_t myOptionsRow = 0;
    std::unique_ptr<Vela::SpriteShader> myShader;
    std::unordered_map<int32_t, UIButton*> mySelectionMap;
    float myLockTimer = 0.0f;
    uint8_t myLocked = 0;
    uint8_t myHovering = 0;
};
