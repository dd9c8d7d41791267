#include "mire/drawers/ModelDrawer.h"

#include "mire/graphics/ModelShader.h"
#include "mire/model/AnimatedModelInstance.h"
#include "mire/model/ModelInstance.h"

namespace Vela
{
    ModelDrawer::ModelDrawer() = default;
    ModelDrawer::~ModelDrawer() = default;

    bool ModelDrawer::Init()
    {
        auto load = [](std::unique_ptr<ModelShader>& aSlot, const char* aVertexShader, const char* aPixelShader) {
            aSlot = std::make_unique<ModelShader>();
            return aVertexShader ? aSlot->Init(aVertexShader, aPixelShader) : aSlot->Init();
        };
        if (!load(myDefaultShader, nullptr, nullptr))
            return false;
        if (!load(myAnimatedShader, "shaders/animated_model_shader_VS", "shaders/model_shader_PS"))
            return false;
        if (!load(myLambertShader, "Shaders/PbrModelShaderVS", "Shaders/LambertModelShaderPS"))
            return false;
        if (!load(myAnimatedLambertShader, "Shaders/AnimatedPbrModelShaderVS", "Shaders/LambertModelShaderPS"))
            return false;
        if (!load(myPbrShader, "Shaders/PbrModelShaderVS", "Shaders/PbrModelShaderPS"))
            return false;
        return load(myAnimatedPbrShader, "Shaders/AnimatedPbrModelShaderVS", "Shaders/PbrModelShaderPS");
    }

    void ModelDrawer::Draw(ModelInstance& anInstance)
    {
        if (myDefaultShader)
            anInstance.Render(*myDefaultShader);
    }

    void ModelDrawer::Draw(ModelInstance& anInstance, ModelShader& aShader) { anInstance.Render(aShader); }

    void ModelDrawer::Draw(AnimatedModelInstance& anInstance)
    {
        if (myAnimatedShader)
            anInstance.Render(*myAnimatedShader);
    }

    void ModelDrawer::Draw(AnimatedModelInstance& anInstance, ModelShader& aShader) { anInstance.Render(aShader); }
}
