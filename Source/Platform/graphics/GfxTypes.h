#pragma once
// Value types of the graphics layer: result codes, formats, flags and the descriptions that creation calls take.
// Numbers follow the conventions the engine's data uses (DDS files store these format numbers), so a value read
// from a file can be cast straight to the enum.
#include <cstddef>
#include <cstdint>
#include <string>

#include "Platform/window/WindowTypes.h"

namespace Vela::Gfx
{
    // ---- Result codes: negative means failure.
    using Result = int32_t;
    constexpr Result RESULT_OK = 0;
    constexpr Result RESULT_FALSE = 1;            // a call that only validated (no object asked for)
    constexpr Result RESULT_FAIL = -1;
    constexpr Result RESULT_INVALID_ARG = -2;     // a bad description, pointer, size or slot
    constexpr Result RESULT_OUT_OF_MEMORY = -3;
    constexpr Result RESULT_NOT_FOUND = -4;       // past the last adapter
    constexpr Result RESULT_INVALID_CALL = -5;    // the call does not fit the object's state or usage
    constexpr Result RESULT_UNSUPPORTED = -6;     // a format or feature this layer does not provide

    constexpr bool Succeeded(Result aResult) { return aResult >= 0; }
    constexpr bool Failed(Result aResult) { return aResult < 0; }

    // ---- Formats (numbers as stored in DDS extended headers).
    enum class Format : uint32_t
    {
        UNKNOWN = 0,
        R32G32B32A32_TYPELESS = 1,
        R32G32B32A32_FLOAT = 2,
        R32G32B32A32_UINT = 3,
        R32G32B32A32_SINT = 4,
        R32G32B32_FLOAT = 6,
        R32G32B32_UINT = 7,
        R32G32B32_SINT = 8,
        R16G16B16A16_FLOAT = 10,
        R16G16B16A16_UNORM = 11,
        R16G16B16A16_UINT = 12,
        R16G16B16A16_SNORM = 13,
        R16G16B16A16_SINT = 14,
        R32G32_FLOAT = 16,
        R32G32_UINT = 17,
        R32G32_SINT = 18,
        R10G10B10A2_UNORM = 24,
        R11G11B10_FLOAT = 26,
        R8G8B8A8_TYPELESS = 27,
        R8G8B8A8_UNORM = 28,
        R8G8B8A8_UNORM_SRGB = 29,
        R8G8B8A8_UINT = 30,
        R8G8B8A8_SNORM = 31,
        R8G8B8A8_SINT = 32,
        R16G16_FLOAT = 34,
        R16G16_UNORM = 35,
        R16G16_UINT = 36,
        R16G16_SNORM = 37,
        R16G16_SINT = 38,
        R32_TYPELESS = 39,
        D32_FLOAT = 40,
        R32_FLOAT = 41,
        R32_UINT = 42,
        R32_SINT = 43,
        R8G8_UNORM = 49,
        R16_FLOAT = 54,
        R16_UNORM = 56,
        R16_UINT = 57,
        R8_UNORM = 61,
        A8_UNORM = 65,
        BC1_TYPELESS = 70,
        BC1_UNORM = 71,
        BC1_UNORM_SRGB = 72,
        BC2_TYPELESS = 73,
        BC2_UNORM = 74,
        BC2_UNORM_SRGB = 75,
        BC3_TYPELESS = 76,
        BC3_UNORM = 77,
        BC3_UNORM_SRGB = 78,
        BC4_TYPELESS = 79,
        BC4_UNORM = 80,
        BC4_SNORM = 81,
        BC5_TYPELESS = 82,
        BC5_UNORM = 83,
        BC5_SNORM = 84,
        B5G6R5_UNORM = 85,
        B5G5R5A1_UNORM = 86,
        B8G8R8A8_UNORM = 87,
        B8G8R8X8_UNORM = 88,
        B8G8R8A8_TYPELESS = 90,
        B8G8R8A8_UNORM_SRGB = 91,
        B8G8R8X8_TYPELESS = 92,
        B8G8R8X8_UNORM_SRGB = 93,
        BC6H_TYPELESS = 94,
        BC6H_UF16 = 95,
        BC6H_SF16 = 96,
        BC7_TYPELESS = 97,
        BC7_UNORM = 98,
        BC7_UNORM_SRGB = 99,
        B4G4R4A4_UNORM = 115,
    };

    // ---- Resource usage, binding and access.
    enum class Usage : uint32_t
    {
        DEFAULT = 0,
        IMMUTABLE = 1,
        DYNAMIC = 2,
        STAGING = 3,
    };

    constexpr uint32_t BIND_VERTEX_BUFFER = 0x1;
    constexpr uint32_t BIND_INDEX_BUFFER = 0x2;
    constexpr uint32_t BIND_CONSTANT_BUFFER = 0x4;
    constexpr uint32_t BIND_SHADER_RESOURCE = 0x8;
    constexpr uint32_t BIND_STREAM_OUTPUT = 0x10;
    constexpr uint32_t BIND_RENDER_TARGET = 0x20;
    constexpr uint32_t BIND_DEPTH_STENCIL = 0x40;
    constexpr uint32_t BIND_UNORDERED_ACCESS = 0x80;   // accepted; no unordered-access view exists

    constexpr uint32_t CPU_ACCESS_WRITE = 0x10000;
    constexpr uint32_t CPU_ACCESS_READ = 0x20000;

    constexpr uint32_t MISC_GENERATE_MIPS = 0x1;
    constexpr uint32_t MISC_TEXTURECUBE = 0x4;

    enum class MapType : uint32_t
    {
        READ = 1,
        WRITE = 2,
        READ_WRITE = 3,
        WRITE_DISCARD = 4,
        WRITE_NO_OVERWRITE = 5,
    };

    constexpr uint32_t CLEAR_DEPTH = 0x1;
    constexpr uint32_t CLEAR_STENCIL = 0x2;

    // ---- Limits of the pipeline (slots outside them are refused).
    constexpr uint32_t MAX_VERTEX_BUFFER_SLOTS = 16;
    constexpr uint32_t MAX_INPUT_ELEMENTS = 16;
    constexpr uint32_t MAX_CONSTANT_BUFFER_SLOTS = 14;
    constexpr uint32_t MAX_SHADER_RESOURCE_SLOTS = 16;
    constexpr uint32_t MAX_SAMPLER_SLOTS = 16;
    constexpr uint32_t MAX_RENDER_TARGETS = 8;
    constexpr uint32_t MAX_TEXTURE_SIZE = 16384;
    constexpr uint32_t APPEND_ALIGNED_ELEMENT = 0xFFFFFFFFu;
    constexpr uint32_t ALL_MIP_LEVELS = 0xFFFFFFFFu;

    // ---- Descriptions.
    struct SubresourceData
    {
        const void* sysMem = nullptr;
        uint32_t sysMemPitch = 0;        // bytes per row (per row of 4x4 blocks for block-compressed formats)
        uint32_t sysMemSlicePitch = 0;
    };

    struct MappedSubresource
    {
        void* data = nullptr;
        uint32_t rowPitch = 0;
        uint32_t depthPitch = 0;
    };

    struct BufferDesc
    {
        uint32_t byteWidth = 0;
        Usage usage = Usage::DEFAULT;
        uint32_t bindFlags = 0;
        uint32_t cpuAccessFlags = 0;
        uint32_t miscFlags = 0;
        uint32_t structureByteStride = 0;
    };

    struct Texture2DDesc
    {
        uint32_t width = 0;
        uint32_t height = 0;
        uint32_t mipLevels = 1;          // 0: the full chain down to 1 x 1
        uint32_t arraySize = 1;          // 1, or 6 with MISC_TEXTURECUBE
        Format format = Format::UNKNOWN;
        uint32_t sampleCount = 1;
        uint32_t sampleQuality = 0;
        Usage usage = Usage::DEFAULT;
        uint32_t bindFlags = 0;
        uint32_t cpuAccessFlags = 0;
        uint32_t miscFlags = 0;
    };

    enum class ViewDimension : uint32_t
    {
        UNKNOWN = 0,
        TEXTURE2D = 4,
        TEXTURECUBE = 9,
    };

    struct ShaderResourceViewDesc
    {
        Format format = Format::UNKNOWN;
        ViewDimension viewDimension = ViewDimension::TEXTURE2D;
        uint32_t mostDetailedMip = 0;
        uint32_t mipLevels = ALL_MIP_LEVELS;
    };

    struct RenderTargetViewDesc
    {
        Format format = Format::UNKNOWN;
        ViewDimension viewDimension = ViewDimension::TEXTURE2D;
        uint32_t mipSlice = 0;
    };

    struct DepthStencilViewDesc
    {
        Format format = Format::UNKNOWN;
        ViewDimension viewDimension = ViewDimension::TEXTURE2D;
        uint32_t flags = 0;
        uint32_t mipSlice = 0;
    };

    enum class InputClassification : uint32_t
    {
        PER_VERTEX_DATA = 0,
        PER_INSTANCE_DATA = 1,
    };

    // The element at index i of a layout feeds the vertex shader input at location i.
    struct InputElementDesc
    {
        const char* semanticName = nullptr;
        uint32_t semanticIndex = 0;
        Format format = Format::UNKNOWN;
        uint32_t inputSlot = 0;
        uint32_t alignedByteOffset = APPEND_ALIGNED_ELEMENT;
        InputClassification inputSlotClass = InputClassification::PER_VERTEX_DATA;
        uint32_t instanceDataStepRate = 0;
    };

    enum class Blend : uint32_t
    {
        ZERO = 1,
        ONE = 2,
        SRC_COLOR = 3,
        INV_SRC_COLOR = 4,
        SRC_ALPHA = 5,
        INV_SRC_ALPHA = 6,
        DEST_ALPHA = 7,
        INV_DEST_ALPHA = 8,
        DEST_COLOR = 9,
        INV_DEST_COLOR = 10,
        SRC_ALPHA_SAT = 11,
        BLEND_FACTOR = 14,
        INV_BLEND_FACTOR = 15,
    };

    enum class BlendOp : uint32_t
    {
        ADD = 1,
        SUBTRACT = 2,
        REV_SUBTRACT = 3,
        MIN = 4,
        MAX = 5,
    };

    constexpr uint8_t COLOR_WRITE_ENABLE_RED = 1;
    constexpr uint8_t COLOR_WRITE_ENABLE_GREEN = 2;
    constexpr uint8_t COLOR_WRITE_ENABLE_BLUE = 4;
    constexpr uint8_t COLOR_WRITE_ENABLE_ALPHA = 8;
    constexpr uint8_t COLOR_WRITE_ENABLE_ALL = 15;

    struct RenderTargetBlendDesc
    {
        bool blendEnable = false;
        Blend srcBlend = Blend::ONE;
        Blend destBlend = Blend::ZERO;
        BlendOp blendOp = BlendOp::ADD;
        Blend srcBlendAlpha = Blend::ONE;
        Blend destBlendAlpha = Blend::ZERO;
        BlendOp blendOpAlpha = BlendOp::ADD;
        uint8_t renderTargetWriteMask = COLOR_WRITE_ENABLE_ALL;
    };

    struct BlendDesc
    {
        bool alphaToCoverageEnable = false;
        bool independentBlendEnable = false;   // off: render target 0's row applies to every target
        RenderTargetBlendDesc renderTarget[MAX_RENDER_TARGETS];
    };

    enum class ComparisonFunc : uint32_t
    {
        NEVER = 1,
        LESS = 2,
        EQUAL = 3,
        LESS_EQUAL = 4,
        GREATER = 5,
        NOT_EQUAL = 6,
        GREATER_EQUAL = 7,
        ALWAYS = 8,
    };

    enum class DepthWriteMask : uint32_t
    {
        ZERO = 0,
        ALL = 1,
    };

    enum class StencilOp : uint32_t
    {
        KEEP = 1,
        ZERO = 2,
        REPLACE = 3,
        INCR_SAT = 4,
        DECR_SAT = 5,
        INVERT = 6,
        INCR = 7,
        DECR = 8,
    };

    struct DepthStencilOpDesc
    {
        StencilOp stencilFailOp = StencilOp::KEEP;
        StencilOp stencilDepthFailOp = StencilOp::KEEP;
        StencilOp stencilPassOp = StencilOp::KEEP;
        ComparisonFunc stencilFunc = ComparisonFunc::ALWAYS;
    };

    // Depth buffers have no stencil bits here: the stencil fields are checked and kept, never applied.
    struct DepthStencilDesc
    {
        bool depthEnable = true;
        DepthWriteMask depthWriteMask = DepthWriteMask::ALL;
        ComparisonFunc depthFunc = ComparisonFunc::LESS;
        bool stencilEnable = false;
        uint8_t stencilReadMask = 0xFF;
        uint8_t stencilWriteMask = 0xFF;
        DepthStencilOpDesc frontFace;
        DepthStencilOpDesc backFace;
    };

    enum class FillMode : uint32_t
    {
        WIREFRAME = 2,
        SOLID = 3,
    };

    enum class CullMode : uint32_t
    {
        NONE = 1,
        FRONT = 2,
        BACK = 3,
    };

    // Scissor and multisampling flags are accepted and have no effect (no scissor rectangles, one sample).
    struct RasterizerDesc
    {
        FillMode fillMode = FillMode::SOLID;
        CullMode cullMode = CullMode::BACK;
        bool frontCounterClockwise = false;
        int32_t depthBias = 0;
        float depthBiasClamp = 0.0f;
        float slopeScaledDepthBias = 0.0f;
        bool depthClipEnable = true;
        bool scissorEnable = false;
        bool multisampleEnable = false;
        bool antialiasedLineEnable = false;
    };

    // Filter numbers: bit 0 mip linear, bit 2 magnification linear, bit 4 minification linear,
    // 0x40 anisotropic, 0x80 comparison.
    enum class Filter : uint32_t
    {
        MIN_MAG_MIP_POINT = 0x00,
        MIN_MAG_POINT_MIP_LINEAR = 0x01,
        MIN_POINT_MAG_LINEAR_MIP_POINT = 0x04,
        MIN_POINT_MAG_MIP_LINEAR = 0x05,
        MIN_LINEAR_MAG_MIP_POINT = 0x10,
        MIN_LINEAR_MAG_POINT_MIP_LINEAR = 0x11,
        MIN_MAG_LINEAR_MIP_POINT = 0x14,
        MIN_MAG_MIP_LINEAR = 0x15,
        ANISOTROPIC = 0x55,
        COMPARISON_MIN_MAG_MIP_POINT = 0x80,
        COMPARISON_MIN_MAG_MIP_LINEAR = 0x95,
    };

    enum class TextureAddressMode : uint32_t
    {
        WRAP = 1,
        MIRROR = 2,
        CLAMP = 3,
        BORDER = 4,
        MIRROR_ONCE = 5,
    };

    struct SamplerDesc
    {
        Filter filter = Filter::MIN_MAG_MIP_LINEAR;
        TextureAddressMode addressU = TextureAddressMode::CLAMP;
        TextureAddressMode addressV = TextureAddressMode::CLAMP;
        TextureAddressMode addressW = TextureAddressMode::CLAMP;
        float mipLODBias = 0.0f;
        uint32_t maxAnisotropy = 1;      // 1 to 16; used by ANISOTROPIC only
        ComparisonFunc comparisonFunc = ComparisonFunc::NEVER;
        float borderColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
        float minLOD = -3.402823466e+38f;
        float maxLOD = 3.402823466e+38f;
    };

    enum class PrimitiveTopology : uint32_t
    {
        UNDEFINED = 0,
        POINTLIST = 1,
        LINELIST = 2,
        LINESTRIP = 3,
        TRIANGLELIST = 4,
        TRIANGLESTRIP = 5,
    };

    // Origin top left, y down, as the engine's render targets are laid out.
    struct Viewport
    {
        float topLeftX = 0.0f;
        float topLeftY = 0.0f;
        float width = 0.0f;
        float height = 0.0f;
        float minDepth = 0.0f;
        float maxDepth = 1.0f;
    };

    enum class SwapEffect : uint32_t
    {
        DISCARD = 0,
        SEQUENTIAL = 1,
        FLIP_SEQUENTIAL = 3,
        FLIP_DISCARD = 4,
    };

    constexpr uint32_t USAGE_RENDER_TARGET_OUTPUT = 0x20;

    struct SwapChainDesc
    {
        uint32_t width = 0;              // 0: the window's client width
        uint32_t height = 0;             // 0: the window's client height
        uint32_t refreshRateNumerator = 0;
        uint32_t refreshRateDenominator = 0;
        Format format = Format::B8G8R8A8_UNORM;
        uint32_t sampleCount = 1;
        uint32_t sampleQuality = 0;
        uint32_t bufferUsage = USAGE_RENDER_TARGET_OUTPUT;
        uint32_t bufferCount = 1;
        Platform::WindowHandle outputWindow = nullptr;   // an SDL window made with SDL_WINDOW_OPENGL
        bool windowed = true;
        SwapEffect swapEffect = SwapEffect::DISCARD;
        uint32_t flags = 0;
    };

    struct AdapterDesc
    {
        std::wstring description;        // the GL renderer string
        uint32_t vendorId = 0;
        uint32_t deviceId = 0;
        size_t dedicatedVideoMemory = 0; // bytes; 0 when the driver does not say
        size_t dedicatedSystemMemory = 0;
        size_t sharedSystemMemory = 0;
    };

    // Calls counted by the immediate context since its creation or the last reset; each Set call counts once
    // whether or not it changes anything, so callers can see what they send.
    struct DeviceStatistics
    {
        uint64_t drawCalls = 0;
        uint64_t skippedDraws = 0;           // draws refused (no vertex shader, a broken shader, bad state)
        uint64_t blendStateBinds = 0;
        uint64_t depthStencilStateBinds = 0;
        uint64_t rasterizerStateBinds = 0;
        uint64_t samplerBinds = 0;           // one per Set call
        uint64_t shaderBinds = 0;            // vertex and pixel shader Set calls
        uint64_t inputLayoutBinds = 0;
        uint64_t vertexBufferBinds = 0;
        uint64_t indexBufferBinds = 0;
        uint64_t constantBufferBinds = 0;    // one per Set call
        uint64_t shaderResourceBinds = 0;    // one per Set call
        uint64_t renderTargetBinds = 0;
        uint64_t viewportSets = 0;
        uint64_t topologySets = 0;
        uint64_t maps = 0;
        uint64_t clears = 0;
        uint64_t presents = 0;
        uint64_t rejectedCalls = 0;          // context calls refused for a bad argument or slot
    };
}
