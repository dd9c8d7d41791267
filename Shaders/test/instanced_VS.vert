#version 450
// Per vertex: a corner of a quad. Per instance: an integer cell index and a colour.
layout(location = 0) in vec2 inCorner;
layout(location = 1) in uvec4 inCell;
layout(location = 2) in vec4 inColor;
layout(location = 0) out vec4 outColor;

void main()
{
    // Cells are quarter-width columns from the left edge.
    vec2 position = vec2(-1.0 + 0.5 * float(inCell.x), 1.0) + inCorner * vec2(0.5, 2.0);
    gl_Position = vec4(position, 0.0, 1.0);
    outColor = inColor;
}
