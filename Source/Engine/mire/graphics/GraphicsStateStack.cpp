#include "mire/graphics/GraphicsStateStack.h"

#include "mire/core/Assert.h"
#include "mire/graphics/ConstantBlocks.h"
#include "mire/graphics/DynamicBuffers.h"
#include "mire/graphics/GraphicsServices.h"
#include "mire/texture/Texture.h"
#include "mire/texture/TextureManager.h"

#include <limits>

namespace Vela
{
    namespace
    {
        Gfx::BlendDesc MakeBlend(bool anEnable, Gfx::Blend aSource, Gfx::Blend aDestination, Gfx::Blend aSourceAlpha,
                                 Gfx::Blend aDestinationAlpha, Gfx::BlendOp anAlphaOp)
        {
            Gfx::BlendDesc description;
            Gfx::RenderTargetBlendDesc& target = description.renderTarget[0];
            target.blendEnable = anEnable;
            target.srcBlend = aSource;
            target.destBlend = aDestination;
            target.blendOp = Gfx::BlendOp::ADD;
            target.srcBlendAlpha = aSourceAlpha;
            target.destBlendAlpha = aDestinationAlpha;
            target.blendOpAlpha = anAlphaOp;
            target.renderTargetWriteMask = Gfx::COLOR_WRITE_ENABLE_ALL;
            return description;
        }

        // Values outside a table are a caller's mistake: report it and use the nearest entry instead of
        // reading past the table.
        size_t TableIndex(int32_t anIndex, int32_t aCount)
        {
            VELA_ASSERT(anIndex >= 0 && anIndex < aCount && "render state index outside its table");
            return size_t(anIndex < 0 ? 0 : (anIndex >= aCount ? aCount - 1 : anIndex));
        }

        // Maps a dynamic buffer for a full rewrite; null when the map fails.
        uint8_t* MapDiscard(Gfx::DeviceContext& aContext, Gfx::Buffer* aBuffer)
        {
            Gfx::MappedSubresource mapped;
            if (!aBuffer || Gfx::Failed(aContext.Map(aBuffer, 0, Gfx::MapType::WRITE_DISCARD, 0, &mapped)) || !mapped.data)
                return nullptr;
            return static_cast<uint8_t*>(mapped.data);
        }
    }

    GraphicsStateStack::GraphicsStateStack() = default;
    GraphicsStateStack::~GraphicsStateStack() = default;

    bool GraphicsStateStack::Init()
    {
        Gfx::Device* device = GraphicsServices::GetDevice();
        if (!device)
            return false;

        const Gfx::BlendDesc blends[BlendState_Count] = {
            MakeBlend(false, Gfx::Blend::ZERO, Gfx::Blend::ZERO, Gfx::Blend::ZERO, Gfx::Blend::ZERO, Gfx::BlendOp::ADD),
            MakeBlend(true, Gfx::Blend::SRC_ALPHA, Gfx::Blend::INV_SRC_ALPHA, Gfx::Blend::ONE, Gfx::Blend::ONE, Gfx::BlendOp::MAX),
            MakeBlend(true, Gfx::Blend::SRC_ALPHA, Gfx::Blend::ONE, Gfx::Blend::ONE, Gfx::Blend::ONE, Gfx::BlendOp::MAX),
        };
        for (int i = 0; i < BlendState_Count; ++i)
        {
            if (Gfx::Failed(device->CreateBlendState(&blends[i], myBlendStates[size_t(i)].ReleaseAndGetAddressOf())))
                return false;
        }

        for (int i = 0; i < DepthStencilState_Count; ++i)
        {
            Gfx::DepthStencilDesc description;
            description.depthEnable = true;
            description.depthWriteMask = i < 2 ? Gfx::DepthWriteMask::ALL : Gfx::DepthWriteMask::ZERO;
            description.depthFunc = i % 2 == 0 ? Gfx::ComparisonFunc::LESS : Gfx::ComparisonFunc::LESS_EQUAL;
            description.stencilEnable = false;
            description.stencilReadMask = 0;
            description.stencilWriteMask = 0;
            if (Gfx::Failed(device->CreateDepthStencilState(&description, myDepthStencilStates[size_t(i)].ReleaseAndGetAddressOf())))
                return false;
        }

        // Entry 0 stays empty: binding nothing selects the device's default.
        const std::pair<Gfx::FillMode, Gfx::CullMode> rasterizers[RasterizerState_Count] = {
            { Gfx::FillMode::SOLID, Gfx::CullMode::BACK },
            { Gfx::FillMode::SOLID, Gfx::CullMode::NONE },
            { Gfx::FillMode::WIREFRAME, Gfx::CullMode::BACK },
            { Gfx::FillMode::WIREFRAME, Gfx::CullMode::NONE },
        };
        myRasterizerStates[0].Reset();
        for (int i = 1; i < RasterizerState_Count; ++i)
        {
            Gfx::RasterizerDesc description;
            description.fillMode = rasterizers[i].first;
            description.cullMode = rasterizers[i].second;
            description.frontCounterClockwise = false;
            description.depthClipEnable = true;
            description.multisampleEnable = i == RasterizerState_NoFaceCulling;
            if (Gfx::Failed(device->CreateRasterizerState(&description, myRasterizerStates[size_t(i)].ReleaseAndGetAddressOf())))
                return false;
        }

        const Gfx::Filter filters[SamplerFilter_Count] = { Gfx::Filter::MIN_MAG_MIP_POINT, Gfx::Filter::MIN_MAG_LINEAR_MIP_POINT,
                                                           Gfx::Filter::MIN_MAG_MIP_LINEAR };
        const Gfx::TextureAddressMode addressModes[SamplerAddressMode_Count] = {
            Gfx::TextureAddressMode::CLAMP, Gfx::TextureAddressMode::WRAP, Gfx::TextureAddressMode::MIRROR };
        for (int filter = 0; filter < SamplerFilter_Count; ++filter)
        {
            for (int address = 0; address < SamplerAddressMode_Count; ++address)
            {
                Gfx::SamplerDesc description;
                description.filter = filters[filter];
                description.addressU = description.addressV = description.addressW = addressModes[address];
                description.mipLODBias = 0.0f;
                description.maxAnisotropy = 16;
                description.comparisonFunc = Gfx::ComparisonFunc::ALWAYS;
                for (float& channel : description.borderColor)
                    channel = 0.0f;
                description.minLOD = 0.0f;
                description.maxLOD = std::numeric_limits<float>::max();
                if (Gfx::Failed(device->CreateSamplerState(&description, mySamplers[size_t(filter)][size_t(address)].ReleaseAndGetAddressOf())))
                    return false;
            }
        }

        myCustomBuffer = CreateDynamicConstantBuffer(*device, CUSTOM_CONSTANTS_SIZE);
        if (!myCustomBuffer)
            return false;
        myFrameBuffer = CreateDynamicConstantBuffer(*device, FRAME_CONSTANTS_SIZE);
        if (!myFrameBuffer)
            return false;
        myLightBuffer = CreateDynamicConstantBuffer(*device, LIGHT_CONSTANTS_SIZE);
        if (!myLightBuffer)
            return false;
        myCameraBuffer = CreateDynamicConstantBuffer(*device, CAMERA_CONSTANTS_SIZE);
        if (!myCameraBuffer)
            return false;

        myRenderStateStack.resize(1);

        if (TextureManager* textures = GraphicsServices::GetTextureManager())
        {
            myWhiteCubeMap = textures->GetTexture("Textures/whiteCubeMap.dds", TextureSrgbMode::AsStored);
            myHorizonCubeMap = textures->GetTexture("Textures/horizonCubeMap.dds", TextureSrgbMode::AsStored);
        }

        ResetToDefault();
        return true;
    }

    void GraphicsStateStack::BeginFrame()
    {
        VELA_ASSERT(myRenderStateStack.size() == 1);
        Gfx::DeviceContext* context = GraphicsServices::GetContext();
        if (!context)
            return;
        uint8_t* frame = MapDiscard(*context, myFrameBuffer.Get());
        if (!frame)
            return;
        float width = 0.0f;
        float height = 0.0f;
        GraphicsServices::GetBackBufferSize(width, height);
        WriteFrameConstants(frame, width, height, GraphicsServices::GetTotalTime(), GraphicsServices::GetDeltaTime());
        context->Unmap(myFrameBuffer.Get(), 0);
        ResetToDefault();
    }

    void GraphicsStateStack::Push()
    {
        VELA_ASSERT(!myRenderStateStack.empty());
        if (myRenderStateStack.empty())
            myRenderStateStack.emplace_back(BuildDefaultState());
        myRenderStateStack.push_back(myRenderStateStack.back());
    }

    void GraphicsStateStack::Pop()
    {
        VELA_ASSERT(myRenderStateStack.size() > 1);
        if (myRenderStateStack.size() > 1)
            myRenderStateStack.pop_back();
    }

    void GraphicsStateStack::SetBlendState(int32_t aState) { myRenderStateStack.back().myBlendState = aState; }
    void GraphicsStateStack::SetDepthStencilState(int32_t aState) { myRenderStateStack.back().myDepthStencilState = aState; }
    void GraphicsStateStack::SetRasterizerState(int32_t aState) { myRenderStateStack.back().myRasterizerState = aState; }

    void GraphicsStateStack::SetCamera(const Camera& aCamera)
    {
        ++myCameraCounter;
        myRenderStateStack.back().myCamera = aCamera;
        myRenderStateStack.back().myCameraStamp = myCameraCounter;
    }

    void GraphicsStateStack::SetCustomShaderParameters(const Vector4<float>& someParameters)
    {
        ++myCustomParametersCounter;
        myRenderStateStack.back().myCustomShaderParameters = someParameters;
        myRenderStateStack.back().myCustomParametersStamp = myCustomParametersCounter;
    }

    const Matrix4x4<float>& GraphicsStateStack::GetTransform() const { return myRenderStateStack.back().myTransform; }

    RenderState GraphicsStateStack::BuildDefaultState() const
    {
        RenderState state;
        state.myBlendState = BlendState_AlphaBlend;
        state.myDepthStencilState = DepthStencilState_ReadWriteLess;
        state.myRasterizerState = RasterizerState_NoFaceCulling;
        state.mySamplerFilter = SamplerFilter_Trilinear;
        state.mySamplerAddressMode = SamplerAddressMode_Wrap;
        float width = 0.0f;
        float height = 0.0f;
        GraphicsServices::GetBackBufferSize(width, height);
        state.myCamera.SetOrthographicProjection(0.0f, width, 0.0f, height, -1.0f, 1.0f);
        return state;
    }

    void GraphicsStateStack::ResetToDefault()
    {
        const RenderState state = BuildDefaultState();
        myCustomParametersCounter = 0;
        myLightsCounter = 0;
        myCameraCounter = 0;
        if (myRenderStateStack.empty())
            myRenderStateStack.emplace_back();
        myRenderStateStack.back() = state;
        UpdateGpuStates(true);
    }

    void GraphicsStateStack::UpdateGpuStates(bool aForce)
    {
        Gfx::DeviceContext* context = GraphicsServices::GetContext();
        if (!context || myRenderStateStack.empty())
            return;
        const RenderState& top = myRenderStateStack.back();
        const RenderState& applied = myAppliedState;

        if (aForce || top.myBlendState != applied.myBlendState)
            context->OMSetBlendState(myBlendStates[TableIndex(top.myBlendState, BlendState_Count)].Get(), nullptr, 0xFFFFFFFFu);
        if (aForce || top.myDepthStencilState != applied.myDepthStencilState)
            context->OMSetDepthStencilState(myDepthStencilStates[TableIndex(top.myDepthStencilState, DepthStencilState_Count)].Get(), 0);
        if (aForce || top.myRasterizerState != applied.myRasterizerState)
            context->RSSetState(myRasterizerStates[TableIndex(top.myRasterizerState, RasterizerState_Count)].Get());
        if (aForce || top.mySamplerFilter != applied.mySamplerFilter || top.mySamplerAddressMode != applied.mySamplerAddressMode)
        {
            // Slots 1 to 3 take the entries after the chosen one, or the chosen one past the table's end.
            const size_t chosen = TableIndex(top.mySamplerFilter, SamplerFilter_Count) * SamplerAddressMode_Count +
                                  TableIndex(top.mySamplerAddressMode, SamplerAddressMode_Count);
            Gfx::SamplerState* samplers[4];
            for (size_t slot = 0; slot < 4; ++slot)
            {
                const size_t index = chosen + slot < size_t(SamplerFilter_Count) * size_t(SamplerAddressMode_Count) ? chosen + slot : chosen;
                samplers[slot] = mySamplers[index / SamplerAddressMode_Count][index % SamplerAddressMode_Count].Get();
            }
            context->PSSetSamplers(0, 4, samplers);
        }
        if (aForce || top.myCustomParametersStamp != applied.myCustomParametersStamp)
        {
            uint8_t* custom = MapDiscard(*context, myCustomBuffer.Get());
            if (!custom)
                return;
            WriteCustomConstants(custom, top);
            context->Unmap(myCustomBuffer.Get(), 0);
        }
        if (aForce || top.myCameraStamp != applied.myCameraStamp)
        {
            uint8_t* camera = MapDiscard(*context, myCameraBuffer.Get());
            if (!camera)
                return;
            WriteCameraConstants(camera, top.myCamera);
            context->Unmap(myCameraBuffer.Get(), 0);
        }
        if (aForce || top.myLightsStamp != applied.myLightsStamp)
        {
            uint8_t* lights = MapDiscard(*context, myLightBuffer.Get());
            if (!lights)
                return;
            WriteLightConstants(lights, top);
            context->Unmap(myLightBuffer.Get(), 0);

            const Texture* environment = nullptr;
            if (top.myEnvironmentMapChoice == 0)
                environment = myWhiteCubeMap;
            else if (top.myEnvironmentMapChoice == 1)
                environment = myHorizonCubeMap;
            else if (top.myEnvironmentMapChoice == 2)
                environment = top.myEnvironmentTexture;
            Gfx::ShaderResourceView* view = environment ? environment->GetShaderResourceView() : nullptr;
            context->PSSetShaderResources(0, 1, &view);
        }
        if (aForce)
        {
            Gfx::Buffer* const frame = myFrameBuffer.Get();
            Gfx::Buffer* const camera = myCameraBuffer.Get();
            Gfx::Buffer* const custom = myCustomBuffer.Get();
            Gfx::Buffer* const lights = myLightBuffer.Get();
            context->VSSetConstantBuffers(0, 1, &frame);
            context->PSSetConstantBuffers(0, 1, &frame);
            context->VSSetConstantBuffers(1, 1, &camera);
            context->PSSetConstantBuffers(1, 1, &camera);
            context->VSSetConstantBuffers(3, 1, &custom);
            context->PSSetConstantBuffers(3, 1, &custom);
            context->VSSetConstantBuffers(2, 1, &lights);
            context->PSSetConstantBuffers(2, 1, &lights);
        }
        myAppliedState = top;
    }
}
