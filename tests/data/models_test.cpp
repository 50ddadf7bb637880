// The models: the orientation and size the game draws them with, outward normals, and the
// text format round trip.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/data/generated.h"
#include "tools/vantrel-data/mesh.h"
#include "tools/vantrel-data/models.h"

namespace vantrel::data::test {
namespace {

struct Bounds {
    V3 lo{1e9, 1e9, 1e9}, hi{-1e9, -1e9, -1e9};
};

Bounds boundsOf(const Mesh& m) {
    Bounds b;
    for (const Vertex& v : m.vertices) {
        b.lo = {std::min(b.lo.x, v.position.x), std::min(b.lo.y, v.position.y), std::min(b.lo.z, v.position.z)};
        b.hi = {std::max(b.hi.x, v.position.x), std::max(b.hi.y, v.position.y), std::max(b.hi.z, v.position.z)};
    }
    return b;
}

const Vertex& extreme(const Mesh& m, double (*key)(const Vertex&)) {
    return *std::max_element(m.vertices.begin(), m.vertices.end(),
                             [&](const Vertex& a, const Vertex& b) { return key(a) < key(b); });
}

TEST(AircraftModels, SpanAboutFiveUnitsAndAreSymmetric) {
    for (int i = 0; i < AIRCRAFT_MODEL_COUNT; ++i) {
        const Bounds b = boundsOf(aircraftModel(i));
        EXPECT_GT(b.hi.x - b.lo.x, 4.5) << "plane" << i + 1;
        EXPECT_LT(b.hi.x - b.lo.x, 6.5) << "plane" << i + 1;
        EXPECT_NEAR(b.hi.x, -b.lo.x, 1e-6) << "plane" << i + 1;
        EXPECT_GT(b.hi.z - b.lo.z, 4.0) << "plane" << i + 1;
        EXPECT_LT(b.hi.z - b.lo.z, 6.5) << "plane" << i + 1;
    }
}

TEST(AircraftModels, NoseAlongMinusZAndFinUp) {
    for (int i = 0; i < AIRCRAFT_MODEL_COUNT; ++i) {
        const Mesh m = aircraftModel(i);
        const Vertex& nose = extreme(m, [](const Vertex& v) { return -v.position.z; });
        EXPECT_LT(std::abs(nose.position.x), 0.3) << "plane" << i + 1 << ": the foremost point is on the centre line";
        const Vertex& top = extreme(m, [](const Vertex& v) { return v.position.y; });
        EXPECT_GT(top.position.z, 0.5) << "plane" << i + 1 << ": the highest point is the fin at the back";
        const Bounds b = boundsOf(m);
        EXPECT_GT(b.hi.y, -b.lo.y) << "plane" << i + 1 << ": more of it stands above the wing than below";
    }
}

// Mean normal of the vertices within 0.05 of the extreme of key (the top, the belly).
V3 meanNormalAtExtreme(const Mesh& m, double (*key)(const Vertex&)) {
    const double most = key(extreme(m, key));
    V3 sum;
    for (const Vertex& v : m.vertices)
        if (key(v) > most - 0.05) sum = sum + v.normal;
    return normalized(sum);
}

TEST(AircraftModels, NormalsAreUnitAndPointOutward) {
    for (int i = 0; i < AIRCRAFT_MODEL_COUNT; ++i) {
        const Mesh m = aircraftModel(i);
        V3 centre;
        for (const Vertex& v : m.vertices) {
            ASSERT_NEAR(dot(v.normal, v.normal), 1.0, 1e-9);
            centre = centre + v.position * (1.0 / m.vertices.size());
        }
        double outward = 0;
        for (const Vertex& v : m.vertices)
            outward += dot(v.normal, normalized(v.position - centre)) / m.vertices.size();
        EXPECT_GT(outward, 0.1) << "plane" << i + 1;
        EXPECT_GT(meanNormalAtExtreme(m, [](const Vertex& v) { return v.position.y; }).y, 0.5) << "plane" << i + 1;
        EXPECT_LT(meanNormalAtExtreme(m, [](const Vertex& v) { return -v.position.y; }).y, -0.5) << "plane" << i + 1;
    }
}

TEST(AircraftModels, TextureCoordinatesStayInsideTheTexture) {
    for (int i = 0; i < AIRCRAFT_MODEL_COUNT; ++i)
        for (const Vertex& v : aircraftModel(i).vertices) {
            ASSERT_GE(v.u, 0.0);
            ASSERT_LE(v.u, 1.0);
            ASSERT_GE(v.v, 0.0);
            ASSERT_LE(v.v, 1.0);
        }
}

TEST(ProjectileModels, PointAlongPlusZWithTheirHeadInFront) {
    for (const Mesh& m : {gunShotModel(), rocketModel(), missileModel()}) {
        const Bounds b = boundsOf(m);
        EXPECT_GT(b.hi.z - b.lo.z, 2.0 * (b.hi.x - b.lo.x));
        EXPECT_GT(b.hi.z - b.lo.z, 2.0 * (b.hi.y - b.lo.y));
        const Vertex& head = extreme(m, [](const Vertex& v) { return v.position.z; });
        EXPECT_LT(std::hypot(head.position.x, head.position.y), 0.05) << "a pointed head";
        EXPECT_GT(head.normal.z, 0.3);
        // The head takes the front of the texture (u 0, where the tracer glows white).
        EXPECT_LT(head.u, 0.1);
    }
}

TEST(SkyDome, CentredWellInsideTheFarPlane) {
    const Mesh sky = skyDome();
    for (const Vertex& v : sky.vertices) {
        const double r = std::sqrt(dot(v.position, v.position));
        ASSERT_NEAR(r, SKY_RADIUS, 1e-9);
        // v runs from the zenith (0) over the horizon (0.5) to the nadir (1).
        ASSERT_NEAR(std::cos(v.v * M_PI) * SKY_RADIUS, v.position.y, 1e-9);
    }
    EXPECT_LT(SKY_RADIUS * 85.0, 150.0);
    const Bounds b = boundsOf(sky);
    EXPECT_NEAR(b.lo.x, -b.hi.x, 1e-3);
    EXPECT_NEAR(b.lo.y, -b.hi.y, 1e-3);
    EXPECT_NEAR(b.lo.z, -b.hi.z, 1e-3);
}

TEST(SkyDome, KeepsRowsAtAndCloseToTheHorizon) {
    // The haze is a narrow band of the texture about v = 0.5; a dome with no vertex row on
    // the horizon, or none near it, smears it over a wide band of sky.
    const Mesh sky = skyDome();
    double nearestAbove = 1.0, nearestBelow = 1.0;
    bool onHorizon = false;
    for (const Vertex& v : sky.vertices) {
        const double offset = v.v - 0.5;
        onHorizon = onHorizon || std::abs(offset) < 1e-9;
        if (offset > 1e-9) nearestBelow = std::min(nearestBelow, offset);
        if (offset < -1e-9) nearestAbove = std::min(nearestAbove, -offset);
    }
    EXPECT_TRUE(onHorizon);
    EXPECT_LT(nearestAbove * 180.0, 10.0) << "degrees from the horizon to the next row up";
    EXPECT_LT(nearestBelow * 180.0, 10.0) << "degrees from the horizon to the next row down";
}

// Up to 30 aircraft and 240 projectiles are drawn each frame on a software rasteriser.
struct TriangleBudget {
    const char* file;
    size_t most;
};
constexpr TriangleBudget TRIANGLE_BUDGETS[] = {
    {"shot1.x", 40},   {"rocket.x", 120}, {"missile.x", 120}, {"sky.x", 400},    {"plane1.x", 700},
    {"plane2.x", 700}, {"plane3.x", 700}, {"plane4.x", 700},  {"plane5.x", 700}, {"plane6.x", 700},
};

Mesh generatedMesh(const std::string& name) {
    const std::vector<uint8_t> bytes = generatedFile(name);
    Mesh m;
    std::string error;
    EXPECT_TRUE(decodeX(std::string(bytes.begin(), bytes.end()), m, error)) << name << ": " << error;
    return m;
}

TEST(GeneratedMeshes, StayWithinTheirTriangleBudgets) {
    for (const TriangleBudget& budget : TRIANGLE_BUDGETS) {
        const Mesh m = generatedMesh(budget.file);
        EXPECT_GT(m.indices.size(), 0u) << budget.file;
        EXPECT_LE(m.indices.size() / 3, budget.most) << budget.file;
    }
}

TEST(GeneratedMeshes, HaveNoTrianglesWithoutArea) {
    for (const TriangleBudget& budget : TRIANGLE_BUDGETS) {
        const Mesh m = generatedMesh(budget.file);
        for (size_t i = 0; i < m.indices.size(); i += 3) {
            const V3 a = m.vertices[m.indices[i]].position, b = m.vertices[m.indices[i + 1]].position,
                     c = m.vertices[m.indices[i + 2]].position;
            const V3 n = cross(b - a, c - a);
            ASSERT_GT(dot(n, n), 1e-14) << budget.file << " triangle " << i / 3;
        }
    }
}

TEST(MeshFormat, TextRoundTripKeepsEveryVertex) {
    const Mesh m = missileModel();
    Mesh back;
    std::string error;
    ASSERT_TRUE(decodeX(encodeX(m, "Missile"), back, error)) << error;
    ASSERT_EQ(back.vertices.size(), m.vertices.size());
    EXPECT_EQ(back.indices, m.indices);
    for (size_t i = 0; i < m.vertices.size(); ++i) {
        EXPECT_NEAR(back.vertices[i].position.z, m.vertices[i].position.z, 1e-5);
        EXPECT_NEAR(back.vertices[i].normal.y, m.vertices[i].normal.y, 1e-5);
        EXPECT_NEAR(back.vertices[i].v, m.vertices[i].v, 1e-5);
    }
}

TEST(MeshFormat, QuadsAreSplitIntoTriangles) {
    const std::string quad =
        "xof 0303txt 0032\nMesh Q {\n 4;\n 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;\n 1;\n 4;0,1,2,3;;\n"
        " MeshNormals { 4; 0;0;1;, 0;0;1;, 0;0;1;, 0;0;1;; 1; 4;0,1,2,3;; }\n"
        " MeshTextureCoords { 4; 0;0;, 1;0;, 1;1;, 0;1;; }\n MeshMaterialList { 1; 1; 0;; }\n}\n";
    Mesh m;
    std::string error;
    ASSERT_TRUE(decodeX(quad, m, error)) << error;
    EXPECT_EQ(m.indices, (std::vector<int>{0, 1, 2, 0, 2, 3}));
}

TEST(MeshFormat, CountsThatDisagreeAreRefused) {
    std::string text = encodeX(gunShotModel(), "Shot");
    const std::string marker = "MeshTextureCoords {\n  ";
    const size_t at = text.find(marker) + marker.size();
    text.insert(at, "1");  // announce ten times as many coordinates as vertices, and more
    Mesh m;
    std::string error;
    EXPECT_FALSE(decodeX(text, m, error));
    EXPECT_NE(error.find("texture coordinate"), std::string::npos) << error;
}

}  // namespace
}  // namespace vantrel::data::test
