#version 450
#extension GL_GOOGLE_include_directive : require
// The Eyecorn's scanner beam, fading out along its length: yellow while it sees nothing, red while it
// sees the player or its countdown runs, and the countdown itself as a brighter red reaching out from
// the eye. Custom parameters: x the beam length / 1.45, y seen (0 or 1), z the countdown fraction.
#include "../Shaders/include/ConstantBlocks.glsl"
#include "../Shaders/include/ModelPixelInput.glsl"

const vec3 NORMAL_COLOUR = vec3(1.0, 1.0, 0.0);
const vec3 ALERT_COLOUR = vec3(1.0, 0.0, 0.0);
const float LENGTH_DIVISOR = 1.45;
const float EYE_ALPHA = 0.6;
const float COUNTDOWN_ALPHA = 0.85;

void main()
{
    float beamLength = max(custom.customParameters.x * LENGTH_DIVISOR, 0.0001);
    float seen = clamp(custom.customParameters.y, 0.0, 1.0);
    float countdown = clamp(custom.customParameters.z, 0.0, 1.0);

    // The eye is the object's origin: the fourth row of its matrix (GLSL indexes [column][row]).
    vec3 eye = vec3(object.objectToWorld[0][3], object.objectToWorld[1][3], object.objectToWorld[2][3]);
    float along = clamp(length(inWorldPosition - eye) / beamLength, 0.0, 1.0);

    vec3 colour = mix(NORMAL_COLOUR, ALERT_COLOUR, seen);
    float alpha = EYE_ALPHA * (1.0 - along);
    if (countdown > 0.0 && along <= countdown)
    {
        colour = ALERT_COLOUR;
        alpha = COUNTDOWN_ALPHA * (1.0 - 0.5 * along);
    }
    outColor = vec4(colour, alpha);
}
