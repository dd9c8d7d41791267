#pragma once
// The named buttons and sliders of one screen or menu page: hit tests, clicks, drawing and the
// per-frame slider refresh.
#include "Menus/UIElement.h"

#include "mire/stringRegistry/StringId.h"

#include <memory>
#include <string_view>
#include <unordered_map>

namespace Vela
{
    class GraphicsStateStack;
    class SpriteShader;
}

// The menus' button shader: the engine's sprite vertex shader with the highlight pixel shader.
// Null when it cannot be built; buttons then draw with the sprite drawer's own shader.
std::unique_ptr<Vela::SpriteShader> MakeHighlightShader();

class UIElementRegistry
{
public:
    using ButtonMap = std::unordered_map<Vela::StringId, std::unique_ptr<UIButton>>;
    using SliderMap = std::unordered_map<Vela::StringId, std::unique_ptr<UISlider>>;

    UIElementRegistry();

    // A key that is already present keeps its widget; the new one is discarded.
    void AddButton(std::string_view aKey, const Vela::Vector2<float>& aPosition, const char* aTexturePath,
                   std::function<void()> aCallback, const Vela::Vector2<float>& aSize, const Vela::Vector2<float>& aScale);
    void AddButtonScaled(std::string_view aKey, const Vela::Vector2<float>& aPosition, const char* aTexturePath,
                         std::function<void()> aCallback);
    void AddSlider(std::string_view aKey, const Vela::Vector2<float>& aPosition, const char* aBarTexturePath,
                   const char* aFillTexturePath, int32_t aKind, std::function<void(float)> aCallback,
                   const Vela::Vector2<float>& aSize, const Vela::Vector2<float>& aScale);

    // A missing key throws std::out_of_range.
    UIButton& GetButton(std::string_view aKey);
    UISlider& GetSlider(std::string_view aKey);

    // Mouse positions are in pixels of the window's client area.
    UIButton* GetHovered(const Vela::Vector2<float>& aMousePosition);
    // One click reaches one shown widget at most: the button under it, else the slider under it, so
    // a widget that the button's callback shows never takes the same click. True when one took it.
    bool OnClick(const Vela::Vector2<float>& aMousePosition);

    void Render(Vela::SpriteDrawer& aSpriteDrawer) const;
    void RenderHighlighted(Vela::SpriteDrawer& aSpriteDrawer, Vela::GraphicsStateStack& aStateStack) const;
    void SetButtonShader(Vela::SpriteShader* aShader);
    void RefreshSliders();

    ButtonMap& GetButtons() { return myButtons; }
    SliderMap& GetSliders() { return mySliders; }

private:
    ButtonMap myButtons;
    SliderMap mySliders;
    Vela::Vector2<float> mySliderFillOffset{ -240.0f, -40.0f };
};
