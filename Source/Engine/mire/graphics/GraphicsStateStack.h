#pragma once
#include "mire/graphics/Camera.h"
#include "mire/graphics/RenderState.h"
#include "mire/math/Matrix4x4.h"
#include "mire/math/Vector.h"

#include "Platform/graphics/Gfx.h"

#include <array>
#include <cstdint>
#include <vector>

namespace Vela
{
    class Texture;

    // The one place that decides fixed-function state and the shared shader constants. Callers push
    // a copy of the current state, change it, draw and pop; each draw sends only what differs from
    // the state last applied.
    class GraphicsStateStack
    {
    public:
        GraphicsStateStack();
        ~GraphicsStateStack();
        GraphicsStateStack(const GraphicsStateStack&) = delete;
        GraphicsStateStack& operator=(const GraphicsStateStack&) = delete;

        bool Init();
        // Uploads the frame block and resets to the default state with everything forced to the GPU.
        void BeginFrame();

        void Push();
        void Pop();

        void SetBlendState(int32_t aState);
        void SetDepthStencilState(int32_t aState);
        void SetRasterizerState(int32_t aState);
        void SetCamera(const Camera& aCamera);
        void SetCustomShaderParameters(const Vector4<float>& someParameters);

        const Matrix4x4<float>& GetTransform() const;
        const RenderState& GetCurrentState() const { return myRenderStateStack.back(); }
        size_t GetStackSize() const { return myRenderStateStack.size(); }

        void ResetToDefault();
        void UpdateGpuStates(bool aForce);

    private:
        RenderState BuildDefaultState() const;

        RenderState myAppliedState;
        std::vector<RenderState> myRenderStateStack;
        uint32_t myCustomParametersCounter = 0;
        uint32_t myLightsCounter = 0;
        uint32_t myCameraCounter = 0;

        std::array<std::array<Gfx::Ref<Gfx::SamplerState>, SamplerAddressMode_Count>, SamplerFilter_Count> mySamplers;
        std::array<Gfx::Ref<Gfx::DepthStencilState>, DepthStencilState_Count> myDepthStencilStates;
        std::array<Gfx::Ref<Gfx::RasterizerState>, RasterizerState_Count> myRasterizerStates;
        std::array<Gfx::Ref<Gfx::BlendState>, BlendState_Count> myBlendStates;

        Gfx::Ref<Gfx::Buffer> myCustomBuffer;
        Gfx::Ref<Gfx::Buffer> myFrameBuffer;
        Gfx::Ref<Gfx::Buffer> myCameraBuffer;
        Gfx::Ref<Gfx::Buffer> myLightBuffer;

        Texture* myWhiteCubeMap = nullptr;
        Texture* myHorizonCubeMap = nullptr;
    };
}
