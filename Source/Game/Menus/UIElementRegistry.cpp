#include "Menus/UIElementRegistry.h"

#include "mire/drawers/SpriteShader.h"
#include "mire/graphics/GraphicsStateStack.h"
#include "mire/stringRegistry/StringRegistry.h"

#include <stdexcept>

namespace
{
    constexpr size_t INITIAL_BUCKETS = 8;

    template <typename Map>
    auto& FindOrThrow(Map& aMap, std::string_view aKey)
    {
        const auto found = aMap.find(Vela::StringRegistry::RegisterOrGetString(aKey));
        if (found == aMap.end())
            throw std::out_of_range("invalid unordered_map<K, T> key");
        return *found->second;
    }
}

std::unique_ptr<Vela::SpriteShader> MakeHighlightShader()
{
    auto shader = std::make_unique<Vela::SpriteShader>();
    if (!shader->Init("shaders/instanced_sprite_shader_VS", "shaders/SH_UI_highlight_PS"))
        return nullptr;
    return shader;
}

UIElementRegistry::UIElementRegistry()
{
    myButtons.max_load_factor(1.0f);
    myButtons.rehash(INITIAL_BUCKETS);
    mySliders.max_load_factor(1.0f);
    mySliders.rehash(INITIAL_BUCKETS);
}

void UIElementRegistry::AddButton(std::string_view aKey, const Vela::Vector2<float>& aPosition, const char* aTexturePath,
                                  std::function<void()> aCallback, const Vela::Vector2<float>& aSize,
                                  const Vela::Vector2<float>& aScale)
{
    auto button = std::make_unique<UIButton>(aPosition, aTexturePath, std::move(aCallback), aSize, aScale);
    myButtons.try_emplace(Vela::StringRegistry::RegisterOrGetString(aKey), std::move(button));
}

void UIElementRegistry::AddButtonScaled(std::string_view aKey, const Vela::Vector2<float>& aPosition, const char* aTexturePath,
                                        std::function<void()> aCallback)
{
    AddButton(aKey, aPosition, aTexturePath, std::move(aCallback), { 0.0f, 0.0f }, { 1.0f, 1.0f });
}

void UIElementRegistry::AddSlider(std::string_view aKey, const Vela::Vector2<float>& aPosition, const char* aBarTexturePath,
                                  const char* aFillTexturePath, int32_t aKind, std::function<void(float)> aCallback,
                                  const Vela::Vector2<float>& aSize, const Vela::Vector2<float>& aScale)
{
    auto slider = std::make_unique<UISlider>(aPosition, aBarTexturePath, aFillTexturePath, aKind, std::move(aCallback),
                                             mySliderFillOffset, aSize, aScale);
    mySliders.try_emplace(Vela::StringRegistry::RegisterOrGetString(aKey), std::move(slider));
}

UIButton& UIElementRegistry::GetButton(std::string_view aKey)
{
    return FindOrThrow(myButtons, aKey);
}

UISlider& UIElementRegistry::GetSlider(std::string_view aKey)
{
    return FindOrThrow(mySliders, aKey);
}

UIButton* UIElementRegistry::GetHovered(const Vela::Vector2<float>& aMousePosition)
{
    const Vela::Vector2<float> point = MapWindowToCanvas(aMousePosition);
    for (auto& [key, button] : myButtons)
    {
        if (!button->IsHidden() && button->IsClickable(point))
            return button.get();
    }
    return nullptr;
}

bool UIElementRegistry::OnClick(const Vela::Vector2<float>& aMousePosition)
{
    const Vela::Vector2<float> point = MapWindowToCanvas(aMousePosition);
    for (auto& [key, button] : myButtons)
    {
        if (!button->IsHidden() && button->Click(point))
            return true;
    }
    for (auto& [key, slider] : mySliders)
    {
        if (!slider->IsHidden() && slider->Contains(point))
        {
            slider->Drag(point);
            return true;
        }
    }
    return false;
}

void UIElementRegistry::Render(Vela::SpriteDrawer& aSpriteDrawer) const
{
    for (const auto& [key, button] : myButtons)
        button->Render(aSpriteDrawer);
    for (const auto& [key, slider] : mySliders)
        slider->Render(aSpriteDrawer);
}

void UIElementRegistry::RenderHighlighted(Vela::SpriteDrawer& aSpriteDrawer, Vela::GraphicsStateStack& aStateStack) const
{
    for (const auto& [key, button] : myButtons)
    {
        aStateStack.SetCustomShaderParameters(button->myHighlightColor);
        button->Render(aSpriteDrawer);
    }
    for (const auto& [key, slider] : mySliders)
        slider->Render(aSpriteDrawer);
}

void UIElementRegistry::SetButtonShader(Vela::SpriteShader* aShader)
{
    for (auto& [key, button] : myButtons)
        button->SetCustomShader(aShader);
}

void UIElementRegistry::RefreshSliders()
{
    for (auto& [key, slider] : mySliders)
        slider->Refresh();
}
