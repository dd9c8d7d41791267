#include "mire/graphics/GraphicsEngine.h"

#include "mire/drawers/CustomShapeDrawer.h"
#include "mire/drawers/LineDrawer.h"
#include "mire/drawers/ModelDrawer.h"
#include "mire/drawers/SpriteDrawer.h"
#include "mire/graphics/DX11.h"
#include "mire/graphics/FullscreenEffect.h"
#include "mire/graphics/FullscreenPixelateEffect.h"
#include "mire/graphics/GraphicsServices.h"
#include "mire/graphics/GraphicsStateStack.h"

#include <cstdio>

namespace Vela
{
    GraphicsEngine::GraphicsEngine() = default;

    GraphicsEngine::~GraphicsEngine()
    {
        if (GraphicsServices::GetGraphicsEngine() == this)
            GraphicsServices::SetGraphicsEngine(nullptr);
    }

    bool GraphicsEngine::Init()
    {
        // Drawers find the state stack through the services from their first draw on.
        GraphicsServices::SetGraphicsEngine(this);
        if (DX11::BackBuffer)
            DX11::BackBuffer->SetAsActiveTarget(nullptr);

        // Drawers that fail only skip (or refuse) their own draws later.
        mySpriteDrawer = std::make_unique<SpriteDrawer>();
        mySpriteDrawer->Init();
        myModelDrawer = std::make_unique<ModelDrawer>();
        myModelDrawer->Init();
        myCustomShapeDrawer = std::make_unique<CustomShapeDrawer>();
        myCustomShapeDrawer->Init();
        myLineDrawer = std::make_unique<LineDrawer>();
        myLineDrawer->Init();

        struct EffectSlot
        {
            std::unique_ptr<FullscreenEffect>& mySlot;
            const char* myPixelShader;
        };
        const EffectSlot effects[] = {
            { myCopyEffect, "Shaders/PostprocessCopyPS" },
            { myTonemapEffect, "Shaders/PostprocessTonemapPS" },
            { myGaussianVerticalEffect, "Shaders/PostprocessGaussianV_PS" },
            { myGaussianHorizontalEffect, "Shaders/PostprocessGaussianH_PS" },
        };
        for (const EffectSlot& effect : effects)
        {
            effect.mySlot = std::make_unique<FullscreenEffect>();
            if (!effect.mySlot->Init(effect.myPixelShader))
            {
                printf("Graphics engine: cannot load the full-screen effect %s\n", effect.myPixelShader);
                return false;
            }
        }
        myPixelateEffect = std::make_unique<FullscreenPixelateEffect>();
        myPixelateEffect->SetPixelSize(16.0f);
        if (!myPixelateEffect->Init("Shaders/PostprocessPixelate_PS"))
        {
            printf("Graphics engine: cannot load the pixelate effect\n");
            return false;
        }

        myGraphicsStateStack = std::make_unique<GraphicsStateStack>();
        if (!myGraphicsStateStack->Init())
        {
            printf("Graphics engine: the graphics state stack cannot start\n");
            return false;
        }
        return true;
    }
}
