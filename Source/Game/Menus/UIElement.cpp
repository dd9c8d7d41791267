#include "Menus/UIElement.h"

#include "Sound/SoundManager.h"

#include "mire/core/Engine.h"
#include "mire/core/WindowsWindow.h"
#include "mire/graphics/GraphicsServices.h"
#include "mire/texture/Texture.h"
#include "mire/texture/TextureManager.h"

#include "Platform/window/NativeWindow.h"

#include <algorithm>
#include <optional>

namespace
{
    const Vela::Texture* LoadUITexture(const char* aTexturePath)
    {
        Vela::TextureManager* textureManager = Vela::GraphicsServices::GetTextureManager();
        return textureManager && aTexturePath ? textureManager->GetTexture(aTexturePath) : nullptr;
    }

    Vela::Vector2<float> SizeOf(const Vela::Texture* aTexture)
    {
        if (!aTexture)
            return { 0.0f, 0.0f };
        const Vela::TextureSize size = aTexture->GetSize();
        return { static_cast<float>(size.width), static_cast<float>(size.height) };
    }

    Vela::SpriteInstance MakeCentredInstance(const Vela::Vector2<float>& aPosition, const Vela::Vector2<float>& aSize,
                                             const Vela::Vector2<float>& aScale)
    {
        Vela::SpriteInstance instance;
        instance.myPosition = aPosition;
        instance.myPivot = { 0.5f, 0.5f };
        instance.mySize = aSize;
        instance.myScale = aScale;
        return instance;
    }

    // The sound manager's volume that a slider of this kind shows; null for unknown kinds.
    std::optional<float> VolumeOfKind(int32_t aKind)
    {
        const SoundManager& soundManager = SoundManager::GetInstance();
        switch (aKind)
        {
        case UISliderKind_Master: return soundManager.GetMasterVolume();
        case UISliderKind_Sfx: return soundManager.GetEffectsVolume();
        case UISliderKind_Music: return soundManager.GetMusicVolume();
        default: return std::nullopt;
        }
    }
}

Vela::Vector2<float> GetTextureSize(const char* aTexturePath)
{
    return SizeOf(LoadUITexture(aTexturePath));
}

UISprite MakeUISprite(const char* aTexturePath, const Vela::Vector2<float>& aPosition, const Vela::Vector2<float>& aSize)
{
    UISprite sprite;
    sprite.mySharedData.myColorTexture = LoadUITexture(aTexturePath);
    const bool useTextureSize = aSize.x == 0.0f && aSize.y == 0.0f;
    sprite.myInstance = MakeCentredInstance(aPosition, useTextureSize ? SizeOf(sprite.mySharedData.myColorTexture) : aSize,
                                            { 1.0f, 1.0f });
    return sprite;
}

void DrawSingleSprite(Vela::SpriteDrawer& aSpriteDrawer, const Vela::SpriteSharedData& aSharedData,
                      const Vela::SpriteInstance& anInstance)
{
    Vela::SpriteBatchScope batch = aSpriteDrawer.BeginBatch(aSharedData);
    batch.Draw(anInstance);
}

Vela::Vector2<float> MapWindowToCanvas(const Vela::Vector2<float>& aMousePosition, const Vela::Vector2<float>& aWindowSize)
{
    // A minimised window has no area: nothing on the canvas can be under the mouse.
    if (aWindowSize.x <= 0.0f || aWindowSize.y <= 0.0f)
        return { -1.0f, -1.0f };
    return { aMousePosition.x / aWindowSize.x * UI_CANVAS_SIZE.x,
             UI_CANVAS_SIZE.y - aMousePosition.y / aWindowSize.y * UI_CANVAS_SIZE.y };
}

Vela::Vector2<float> MapWindowToCanvas(const Vela::Vector2<float>& aMousePosition)
{
    // The mouse is measured in the client area; the engine's window size is the outer rectangle,
    // frame and title bar included, once the window has been resized.
    const Vela::Engine* engine = Vela::Engine::GetInstance();
    Vela::Platform::Rect client;
    if (!engine || !engine->myWindow || !Vela::Platform::GetClientRect(engine->myWindow->GetHandle(), client))
        return MapWindowToCanvas(aMousePosition, { 0.0f, 0.0f });
    return MapWindowToCanvas(aMousePosition, { static_cast<float>(client.right - client.left),
                                               static_cast<float>(client.bottom - client.top) });
}

// ---- UIElement

UIElement::UIElement(const Vela::Vector2<float>& aPosition, const char* aTexturePath, const Vela::Vector2<float>& aSize,
                     const Vela::Vector2<float>& aScale)
{
    const UISprite sprite = MakeUISprite(aTexturePath, aPosition, aSize);
    mySharedData = sprite.mySharedData;
    myInstance = sprite.myInstance;
    myInstance.myScale = aScale;
}

bool UIElement::Contains(const Vela::Vector2<float>& aPoint) const
{
    const float halfWidth = myInstance.mySize.x * myInstance.myScale.x / 2.0f;
    const float halfHeight = myInstance.mySize.y * myInstance.myScale.y / 2.0f;
    return myInstance.myPosition.x - halfWidth < aPoint.x && aPoint.x < myInstance.myPosition.x + halfWidth &&
           myInstance.myPosition.y - halfHeight < aPoint.y && aPoint.y < myInstance.myPosition.y + halfHeight;
}

// ---- UIButton

UIButton::UIButton(const Vela::Vector2<float>& aPosition, const char* aTexturePath, std::function<void()> aCallback,
                   const Vela::Vector2<float>& aSize, const Vela::Vector2<float>& aScale)
    : UIElement(aPosition, aTexturePath, aSize, aScale), myCallback(std::move(aCallback))
{
}

bool UIButton::IsClickable(const Vela::Vector2<float>& aPoint) const
{
    return Contains(aPoint) && myCallback;
}

bool UIButton::Click(const Vela::Vector2<float>& aPoint)
{
    if (!Contains(aPoint))
        return false;
    if (myCallback)
        myCallback();
    return true;
}

void UIButton::Render(Vela::SpriteDrawer& aSpriteDrawer) const
{
    DrawSingleSprite(aSpriteDrawer, mySharedData, myInstance);
}

// ---- UISlider

UISlider::UISlider(const Vela::Vector2<float>& aPosition, const char* aBarTexturePath, const char* aFillTexturePath,
                   int32_t aKind, std::function<void(float)> aCallback, const Vela::Vector2<float>& aFillOffset,
                   const Vela::Vector2<float>& aSize, const Vela::Vector2<float>& aScale)
    : UIElement(aPosition, aBarTexturePath, aSize, aScale),
      myCallback(std::move(aCallback)),
      myFillOffset(aFillOffset),
      myFullScale(aScale),
      myKind(aKind)
{
    myFill.mySharedData.myColorTexture = LoadUITexture(aFillTexturePath);
    myFill.myInstance = MakeCentredInstance({ aPosition.x + aScale.x * aFillOffset.x, aPosition.y + aScale.y * aFillOffset.y },
                                            SizeOf(myFill.mySharedData.myColorTexture), aScale);
    // The fill grows to the right from its left edge.
    myFill.myInstance.myPivot = { 0.0f, 0.5f };
    if (const std::optional<float> volume = VolumeOfKind(aKind))
        myValue = *volume;
}

void UISlider::Drag(const Vela::Vector2<float>& aPoint)
{
    if (!Contains(aPoint))
        return;
    const float fullWidth = myFullScale.x * myFill.myInstance.mySize.x;
    // A fill without width has no position along it to take.
    if (fullWidth == 0.0f)
        return;
    const float t = std::clamp((aPoint.x - myFill.myInstance.myPosition.x) / fullWidth, 0.0f, 1.0f);
    if (t == myValue)
        return;
    myValue = t;
    myFill.myInstance.myScale.x = t;
    if (myCallback)
        myCallback(t);
}

void UISlider::SetValue(float aValue)
{
    const float value = std::clamp(aValue, 0.0f, 1.0f);
    if (value == myValue)
        return;
    myValue = value;
    myFill.myInstance.myScale.x = value;
    if (myCallback)
        myCallback(value);
}

void UISlider::Step(float aDelta)
{
    SetValue(myValue + aDelta);
}

void UISlider::Refresh()
{
    if (const std::optional<float> volume = VolumeOfKind(myKind))
        myFill.myInstance.myScale.x = *volume * myFullScale.x;
}

void UISlider::SetKnobHighlight(float anAlpha)
{
    myFill.myInstance.myColor.a = anAlpha;
}

void UISlider::Render(Vela::SpriteDrawer& aSpriteDrawer) const
{
    DrawSingleSprite(aSpriteDrawer, myFill);
    DrawSingleSprite(aSpriteDrawer, mySharedData, myInstance);
}
