// The engine's shared constant blocks: b0 frame, b1 camera, b2 lights, b3 custom, b4 object.
// Matrices are row-major and multiply row vectors from the left (p' = p * M).

layout(std140, binding = 0) uniform FrameBuffer
{
    float renderWidth;
    float renderHeight;
    float totalTime;
    float deltaTime;
} frame;

layout(std140, binding = 1, row_major) uniform CameraBuffer
{
    mat4 worldToCamera;
    mat4 cameraToWorld;
    mat4 projection;
    mat4 inverseProjection;
    float nearPlane;
    float farPlane;
} camera;

struct PointLight
{
    vec4 position;  // xyz, w unused
    vec4 color;     // linear
    vec4 rangeAndParameter; // x range, y free parameter
};

layout(std140, binding = 2, row_major) uniform LightBuffer
{
    PointLight pointLights[8];
    int pointLightCount;
    float lightScalar;
    vec4 mainLightColor;   // linear
    vec4 secondLightColor; // linear
    mat4 lightMatrix;      // third row: the direction the main light travels
} lights;

layout(std140, binding = 3) uniform CustomBuffer
{
    vec4 customParameters;
    float customScalar;
} custom;

layout(std140, binding = 4, row_major) uniform ObjectBuffer
{
    mat4 objectToWorld;
} object;
