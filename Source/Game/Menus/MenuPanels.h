#pragma once
// The right-hand pages of the title book: level select, options and credits.
#include "Menus/UIElementRegistry.h"

#include "mire/drawers/SpriteShader.h"

#include <memory>
#include <unordered_map>

class StateStack;
struct GameContext;
struct UpdateContext;

class IMenuPanel
{
public:
    using SpriteMap = std::unordered_map<Vela::StringId, UISprite>;

    IMenuPanel();
    virtual ~IMenuPanel();

    // True when one of the page's widgets took the click.
    virtual bool OnClick(const Vela::Vector2<float>& aMousePosition);
    virtual void Render(Vela::SpriteDrawer& aSpriteDrawer, Vela::GraphicsStateStack& aStateStack);
    // The widgets without highlights.
    virtual void RenderElements(Vela::SpriteDrawer& aSpriteDrawer);
    virtual void Update(const UpdateContext& aContext);
    virtual void UpdateLayout();
    virtual UIElementRegistry& GetElements();
    // A missing key throws std::out_of_range.
    virtual UISprite& GetSprite(std::string_view aKey);
    virtual SpriteMap& GetSprites();

protected:
    std::unique_ptr<Vela::SpriteShader> myShader;
    UIElementRegistry myRegistry;
    SpriteMap mySprites;
};

class LevelSelectPanel : public IMenuPanel
{
public:
    LevelSelectPanel(StateStack* aStateStack, GameContext& aContext);

private:
    // Levels after the first start only once the background loading is done.
    void StartLevel(const char* aLevelKey, bool aNeedsBackgroundLoading);

    StateStack* myStateStack = nullptr;
    GameContext* myContext = nullptr;
};

class OptionsPanel : public IMenuPanel
{
public:
    OptionsPanel(StateStack* aStateStack, GameContext& aContext);

    void OnFullscreenTogglePressed();
    // The tick shows whether the window is fullscreen now; the menu calls it whenever the page is shown.
    void RefreshToggle();
    void UpdateLayout() override;
    void Render(Vela::SpriteDrawer& aSpriteDrawer, Vela::GraphicsStateStack& aStateStack) override;

private:
    StateStack* myStateStack = nullptr;
    GameContext* myContext = nullptr;
    Vela::Vector2<float> myToggleOffset{ -250.0f, 0.0f };
    Vela::Vector2<float> myTogglePosition;
};

class CreditsPanel : public IMenuPanel
{
public:
    CreditsPanel(StateStack* aStateStack, GameContext& aContext);

    void OnBackPressed();

private:
    StateStack* myStateStack = nullptr;
    GameContext* myContext = nullptr;
};
