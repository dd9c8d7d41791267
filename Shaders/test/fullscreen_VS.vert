#version 450
// One triangle over the whole target from the vertex index alone; texture coordinate (0, 0) at the top left.
layout(location = 0) out vec2 outTexCoord;

void main()
{
    vec2 texCoord = vec2((gl_VertexID << 1) & 2, gl_VertexID & 2);
    outTexCoord = texCoord;
    gl_Position = vec4(texCoord.x * 2.0 - 1.0, 1.0 - texCoord.y * 2.0, 0.0, 1.0);
}
