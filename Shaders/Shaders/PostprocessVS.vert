#version 450
#extension GL_GOOGLE_include_directive : require
// A triangle that covers the screen, made from the vertex index alone (no vertex buffer).
layout(location = 0) out vec2 outTexCoord;

void main()
{
    vec2 corner = vec2(float((gl_VertexID << 1) & 2), float(gl_VertexID & 2));
    outTexCoord = corner;
    gl_Position = vec4(corner.x * 2.0 - 1.0, 1.0 - corner.y * 2.0, 0.0, 1.0);
}
