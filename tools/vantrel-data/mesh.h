// Triangle meshes as the game loads them from text .x files: positions, normals and texture
// coordinates per vertex, one material. Models are built from smooth patches (grids of
// points) whose normals are averaged within the patch.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vantrel::data {

struct V3 {
    double x = 0, y = 0, z = 0;
};
inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator*(V3 a, double k) { return {a.x * k, a.y * k, a.z * k}; }
inline double dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline V3 cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V3 normalized(V3 v);

struct Vertex {
    V3 position, normal;
    double u = 0, v = 0;
};

struct Mesh {
    std::vector<Vertex> vertices;
    std::vector<int> indices;  // three per triangle
};

// One grid point of a patch: its position and texture coordinates.
struct PatchPoint {
    V3 position;
    double u, v;
};

// Adds a rows x columns grid of points (point(row, column)) as triangles, leaving out those
// with no area and the points only they used, with normals averaged over the patch and
// turned to agree with outward(position).
void addPatch(Mesh& mesh, int rows, int columns, const std::function<PatchPoint(int, int)>& point,
              const std::function<V3(V3)>& outward);

// Writes the mesh as a text .x file (Mesh, MeshNormals, MeshTextureCoords,
// MeshMaterialList with one white material).
std::string encodeX(const Mesh& mesh, const std::string& name);

// Reads the first Mesh of a text .x file with its normals and texture coordinates; false
// with a reason when the file is not one the game can draw.
bool decodeX(const std::string& text, Mesh& out, std::string& error);

}  // namespace vantrel::data
