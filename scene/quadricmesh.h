// The modules' quadrics as meshes built once: for each size the modules draw, the
// vertices, normals and texture coordinates GLU's cylinder and sphere emit (smooth
// normals, texture on, filled, outside, 32 x 32), worked out with GLU's own
// arithmetic, in the triangles GL makes of GLU's quad strips, drawn with one
// indexed call through OpenGL 1.1 vertex arrays. Triangles that can only ever show
// transparent texels of the module texture are left out (the alpha test would drop
// all their fragments), so the meshes are built from the loaded texture.
#pragma once
#include <cstdint>
#include <vector>

// One vertex as glInterleavedArrays(GL_T2F_N3F_V3F) reads it.
struct MeshVertex {
  float s, t;
  float nx, ny, nz;
  float x, y, z;
};

struct QuadricMesh {
  bool sphere;
  double base, top, height;  // a sphere's radius is `base`
  std::vector<MeshVertex> vertices;
  std::vector<std::uint16_t> indices;  // triangles
};

// One quadric's mesh (a sphere's radius is `base`). With a texture slot, only the
// triangles that may show a texel of its image with alpha above 0, seen through
// linear filtering and the texture's wrap modes; with -1, every triangle.
QuadricMesh BuildQuadricMesh(bool sphere, double base, double top, double height, int textureSlot);
// Builds the meshes of every size the modules use, against the module texture as
// last loaded; later calls do nothing until it is loaded again.
void BuildQuadricMeshes();
// Every mesh built, in the order of the sizes.
const std::vector<QuadricMesh>& QuadricMeshes();
// The mesh of exactly this size, or null when none was built for it.
const QuadricMesh* FindQuadricMesh(bool sphere, double base, double top, double height);
// Draws a mesh into the current context; leaves the 1.1 vertex arrays enabled. A
// mesh without triangles makes no call.
void DrawQuadricMesh(const QuadricMesh& mesh);
