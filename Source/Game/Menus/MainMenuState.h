#pragma once
// The title screen, drawn as a book: five buttons on the left page and one of three right-hand pages.
#include "Menus/MenuPanels.h"
#include "Screens/State.h"

#include "mire/drawers/SpriteShader.h"

#include <memory>
#include <unordered_map>

namespace Vela
{
    class Texture;
}

class StateStack;
struct GameContext;

class MainMenuState : public State
{
public:
    // Selection values: 0..4 the main buttons, 5..9 "level_0".."level_4", 10 the fullscreen toggle,
    // 11 the credits "Back", 12 a slider row of the options page.
    static constexpr int32_t SELECTION_FIRST_LEVEL = 5;
    static constexpr int32_t SELECTION_FULLSCREEN = 10;
    static constexpr int32_t SELECTION_CREDITS_BACK = 11;
    static constexpr int32_t SELECTION_SLIDER_ROW = 12;
    static constexpr int32_t MAIN_BUTTON_COUNT = 5;
    static constexpr int32_t LEVEL_COUNT = 5;
    static constexpr int32_t OPTIONS_ROW_COUNT = 4;

    MainMenuState(StateStack* aStateStack, GameContext& aContext);
    ~MainMenuState() override;

    void Update(const UpdateContext& aContext) override;
    void Render(uint32_t aPass) override;
    bool OnInput(InputAction anAction, const InputEvent& anEvent) override;

    void OnPlayPressed();
    void OnLevelSelectPressed();
    void OnOptionsPressed();
    void OnCreditsPressed();
    void OnQuitPressed();

    void Navigate(int32_t aDelta);
    void OnDirection(float aDelta);
    void ResetPage();
    // Shows or hides the five buttons of the left page.
    void SetMainButtonsHidden(bool aHidden);

    IMenuPanel* GetOpenPanel() const { return myOpenPanel; }
    int32_t GetSelection() const { return mySelection; }
    UISprite& GetPage() { return myPage; }
    LevelSelectPanel& GetLevelSelectPanel() { return *myLevelSelectPanel; }
    OptionsPanel& GetOptionsPanel() { return *myOptionsPanel; }
    CreditsPanel& GetCreditsPanel() { return *myCreditsPanel; }

private:
    // The selected button is on the left page or on the open page, and not hidden.
    bool IsSelectionShown(int32_t aSelection) const;
    void SetPageTexture(Vela::Texture* aTexture);
    void BuildSelectionMap();

    float mySliderStep = 0.1f;
    int32_t mySelection = 0;
    int32_t myMainIndex = 0;
    int32_t myLevelIndex = 0;
    int32_t myOptionsRow = 0;
    UISprite myBackground;
    UISprite myPage;
    std::unique_ptr<LevelSelectPanel> myLevelSelectPanel;
    std::unique_ptr<OptionsPanel> myOptionsPanel;
    std::unique_ptr<CreditsPanel> myCreditsPanel;
    StateStack* myStateStack = nullptr;
    GameContext* myContext = nullptr;
    std::unique_ptr<Vela::SpriteShader> myShader;
    std::unordered_map<int32_t, UIButton*> mySelectionMap;
    IMenuPanel* myOpenPanel = nullptr;

    Vela::Texture* myPagesTexture = nullptr;
    Vela::Texture* myFrontTexture = nullptr;
    Vela::Texture* myBackTexture = nullptr;
    Vela::Texture* myLevelSelectTexture = nullptr;
};
