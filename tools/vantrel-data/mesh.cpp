#include "tools/vantrel-data/mesh.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vantrel::data {

V3 normalized(V3 v) {
    const double l = std::sqrt(dot(v, v));
    return l > 1e-12 ? v * (1.0 / l) : V3{0, 1, 0};
}

namespace {

// Removes the vertices from `base` on that no triangle from `firstIndex` on uses (the points
// of a nose tip or a cap centre left without triangles) and renumbers those triangles.
void dropUnusedVertices(Mesh& mesh, int base, size_t firstIndex) {
    std::vector<int> renumbered(mesh.vertices.size() - base, -1);
    for (size_t i = firstIndex; i < mesh.indices.size(); ++i) renumbered[mesh.indices[i] - base] = 0;
    int next = base;
    for (size_t k = 0; k < renumbered.size(); ++k) {
        if (renumbered[k] < 0) continue;
        renumbered[k] = next;
        mesh.vertices[next++] = mesh.vertices[base + k];
    }
    mesh.vertices.resize(next);
    for (size_t i = firstIndex; i < mesh.indices.size(); ++i) mesh.indices[i] = renumbered[mesh.indices[i] - base];
}

}  // namespace

void addPatch(Mesh& mesh, int rows, int columns, const std::function<PatchPoint(int, int)>& point,
              const std::function<V3(V3)>& outward) {
    const int base = static_cast<int>(mesh.vertices.size());
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const PatchPoint p = point(r, c);
            mesh.vertices.push_back({p.position, {}, p.u, p.v});
        }
    const size_t firstIndex = mesh.indices.size();
    // Triangles with no area (at a pointed nose, where two rows meet, at a cap's centre)
    // cost the rasteriser as much as real ones and are left out.
    auto addTriangle = [&](int i, int j, int k) {
        const V3 n = cross(mesh.vertices[j].position - mesh.vertices[i].position,
                           mesh.vertices[k].position - mesh.vertices[i].position);
        if (dot(n, n) < 1e-16) return;
        for (int index : {i, j, k}) mesh.indices.push_back(index);
    };
    for (int r = 0; r + 1 < rows; ++r)
        for (int c = 0; c + 1 < columns; ++c) {
            const int a = base + r * columns + c, b = a + 1, d = a + columns, e = d + 1;
            addTriangle(a, d, b);
            addTriangle(b, d, e);
        }
    // Area-weighted face normals summed at the vertices; coincident seam points of the patch
    // (a closed loft's first and last column) share their sums so the seam is invisible.
    std::vector<V3> sums(static_cast<size_t>(rows) * columns);
    for (size_t i = firstIndex; i < mesh.indices.size(); i += 3) {
        const int ia = mesh.indices[i], ib = mesh.indices[i + 1], ic = mesh.indices[i + 2];
        const V3 n = cross(mesh.vertices[ib].position - mesh.vertices[ia].position,
                           mesh.vertices[ic].position - mesh.vertices[ia].position);
        for (int k : {ia, ib, ic}) sums[k - base] = sums[k - base] + n;
    }
    for (int r = 0; r < rows; ++r) {
        V3& first = sums[r * columns];
        V3& last = sums[r * columns + columns - 1];
        const V3 d =
            mesh.vertices[base + r * columns].position - mesh.vertices[base + r * columns + columns - 1].position;
        if (dot(d, d) < 1e-12) first = last = first + last;
    }
    double agreement = 0;
    for (size_t k = 0; k < sums.size(); ++k) agreement += dot(sums[k], outward(mesh.vertices[base + k].position));
    const double sign = agreement < 0 ? -1.0 : 1.0;
    for (size_t k = 0; k < sums.size(); ++k) mesh.vertices[base + k].normal = normalized(sums[k] * sign);
    if (sign < 0)
        for (size_t i = firstIndex; i < mesh.indices.size(); i += 3)
            std::swap(mesh.indices[i + 1], mesh.indices[i + 2]);
    dropUnusedVertices(mesh, base, firstIndex);
}

namespace {

std::string number(double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.5f", std::abs(v) < 5e-6 ? 0.0 : v);
    return buffer;
}

}  // namespace

std::string encodeX(const Mesh& mesh, const std::string& name) {
    const size_t nv = mesh.vertices.size(), nf = mesh.indices.size() / 3;
    std::string s = "xof 0303txt 0032\n\n";
    s += "Material White {\n 1.000000;1.000000;1.000000;1.000000;;\n 0.000000;\n 0.000000;0.000000;0.000000;;\n"
         " 0.000000;0.000000;0.000000;;\n}\n\n";
    s += "Mesh " + name + " {\n " + std::to_string(nv) + ";\n";
    for (size_t i = 0; i < nv; ++i) {
        const V3& p = mesh.vertices[i].position;
        s += " " + number(p.x) + ";" + number(p.y) + ";" + number(p.z) + ";" + (i + 1 < nv ? "," : ";") + "\n";
    }
    auto faces = [&]() {
        std::string f = " " + std::to_string(nf) + ";\n";
        for (size_t i = 0; i < nf; ++i)
            f += " 3;" + std::to_string(mesh.indices[3 * i]) + "," + std::to_string(mesh.indices[3 * i + 1]) + "," +
                 std::to_string(mesh.indices[3 * i + 2]) + ";" + (i + 1 < nf ? "," : ";") + "\n";
        return f;
    };
    s += faces();
    s += "\n MeshNormals {\n  " + std::to_string(nv) + ";\n";
    for (size_t i = 0; i < nv; ++i) {
        const V3& n = mesh.vertices[i].normal;
        s += "  " + number(n.x) + ";" + number(n.y) + ";" + number(n.z) + ";" + (i + 1 < nv ? "," : ";") + "\n";
    }
    s += faces();
    s += " }\n\n MeshTextureCoords {\n  " + std::to_string(nv) + ";\n";
    for (size_t i = 0; i < nv; ++i)
        s += "  " + number(mesh.vertices[i].u) + ";" + number(mesh.vertices[i].v) + ";" + (i + 1 < nv ? "," : ";") +
             "\n";
    s += " }\n\n MeshMaterialList {\n  1;\n  " + std::to_string(nf) + ";\n";
    // Every face uses material 0; 32 to a line.
    for (size_t i = 0; i < nf; ++i) {
        if (i % 32 == 0) s += "  ";
        s += i + 1 < nf ? "0," : "0;";
        if (i % 32 == 31 || i + 1 == nf) s += "\n";
    }
    s += "  { White }\n }\n}\n";
    return s;
}

namespace {

// Reads the numbers of a .x body in order, skipping separators; words end the run.
class Scanner {
public:
    explicit Scanner(const std::string& text, size_t at) : text_(text), at_(at) {}
    bool number(double& out) {
        while (at_ < text_.size() &&
               (std::isspace(static_cast<unsigned char>(text_[at_])) || text_[at_] == ';' || text_[at_] == ','))
            ++at_;
        if (at_ >= text_.size()) return false;
        const char c = text_[at_];
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+' || c == '.')) return false;
        char* end = nullptr;
        out = std::strtod(text_.c_str() + at_, &end);
        if (end == text_.c_str() + at_) return false;
        at_ = static_cast<size_t>(end - text_.c_str());
        return std::isfinite(out);
    }
    bool count(size_t& out, size_t limit) {
        double v;
        if (!number(v) || v < 0 || v > static_cast<double>(limit) || v != std::floor(v)) return false;
        out = static_cast<size_t>(v);
        return true;
    }

private:
    const std::string& text_;
    size_t at_;
};

constexpr size_t MAX_ELEMENTS = 1000000;

// Position just after the opening brace of the first block named `word` at or after `from`.
size_t blockBody(const std::string& text, const std::string& word, size_t from) {
    for (size_t at = text.find(word, from); at != std::string::npos; at = text.find(word, at + 1)) {
        const bool startsWord =
            at == 0 || std::isspace(static_cast<unsigned char>(text[at - 1])) || text[at - 1] == '{';
        const size_t end = at + word.size();
        if (!startsWord || end >= text.size() || std::isalnum(static_cast<unsigned char>(text[end]))) continue;
        const size_t brace = text.find('{', end);
        if (brace == std::string::npos) return std::string::npos;
        return brace + 1;
    }
    return std::string::npos;
}

bool readFaces(Scanner& s, size_t vertexCount, std::vector<int>& indices, std::string& error) {
    size_t faceCount;
    if (!s.count(faceCount, MAX_ELEMENTS)) return error = "bad face count", false;
    for (size_t f = 0; f < faceCount; ++f) {
        size_t corners;
        if (!s.count(corners, 64) || corners < 3) return error = "bad face " + std::to_string(f), false;
        std::vector<int> face(corners);
        for (size_t k = 0; k < corners; ++k) {
            size_t index;
            if (!s.count(index, MAX_ELEMENTS)) return error = "bad face " + std::to_string(f), false;
            if (index >= vertexCount)
                return error = "face " + std::to_string(f) + " uses a vertex that does not exist", false;
            face[k] = static_cast<int>(index);
        }
        for (size_t k = 1; k + 1 < corners; ++k)
            for (int i : {face[0], face[k], face[k + 1]}) indices.push_back(i);
    }
    return true;
}

}  // namespace

bool decodeX(const std::string& text, Mesh& out, std::string& error) {
    if (text.rfind("xof 0303txt", 0) != 0 && text.rfind("xof 0302txt", 0) != 0)
        return error = "not a text .x file (bad xof header)", false;
    const size_t body = blockBody(text, "Mesh", 0);
    if (body == std::string::npos) return error = "no Mesh block", false;
    Scanner s(text, body);
    size_t vertexCount;
    if (!s.count(vertexCount, MAX_ELEMENTS) || vertexCount == 0) return error = "bad vertex count", false;
    out = Mesh();
    out.vertices.resize(vertexCount);
    for (Vertex& v : out.vertices)
        if (!s.number(v.position.x) || !s.number(v.position.y) || !s.number(v.position.z))
            return error = "vertex list is damaged or truncated", false;
    if (!readFaces(s, vertexCount, out.indices, error)) return false;
    if (out.indices.empty()) return error = "mesh has no faces", false;

    const size_t normals = blockBody(text, "MeshNormals", body);
    if (normals == std::string::npos) return error = "no MeshNormals block", false;
    Scanner ns(text, normals);
    size_t normalCount;
    if (!ns.count(normalCount, MAX_ELEMENTS) || normalCount != vertexCount)
        return error = "normal count does not match the vertex count", false;
    for (Vertex& v : out.vertices)
        if (!ns.number(v.normal.x) || !ns.number(v.normal.y) || !ns.number(v.normal.z))
            return error = "normal list is damaged or truncated", false;

    const size_t uvs = blockBody(text, "MeshTextureCoords", body);
    if (uvs == std::string::npos) return error = "no MeshTextureCoords block", false;
    Scanner us(text, uvs);
    size_t uvCount;
    if (!us.count(uvCount, MAX_ELEMENTS) || uvCount != vertexCount)
        return error = "texture coordinate count does not match the vertex count", false;
    for (Vertex& v : out.vertices)
        if (!us.number(v.u) || !us.number(v.v)) return error = "texture coordinates are damaged or truncated", false;
    if (blockBody(text, "MeshMaterialList", body) == std::string::npos)
        return error = "no MeshMaterialList block", false;
    return true;
}

}  // namespace vantrel::data
