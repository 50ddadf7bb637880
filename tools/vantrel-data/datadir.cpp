#include "tools/vantrel-data/datadir.h"

#include <filesystem>
#include <string>

#include "game/briefing.h"
#include "tools/vantrel-data/bytes.h"
#include "tools/vantrel-data/image.h"
#include "tools/vantrel-data/landscape.h"
#include "tools/vantrel-data/mesh.h"
#include "tools/vantrel-data/missions.h"
#include "tools/vantrel-data/models.h"
#include "tools/vantrel-data/paint.h"
#include "tools/vantrel-data/sounds.h"
#include "tools/vantrel-data/title.h"
#include "world/situation.h"

namespace vantrel::data {

namespace {

std::vector<uint8_t> textBytes(const std::string& s) { return {s.begin(), s.end()}; }

template <int N>
std::vector<uint8_t> mission() {
    return missionFile(N);
}
template <int N>
std::vector<uint8_t> briefing() {
    return textBytes(missionBriefing(N));
}
template <int Model>
std::vector<uint8_t> aircraftMesh() {
    return textBytes(encodeX(aircraftModel(Model), "Plane" + std::to_string(Model + 1)));
}
template <int Type>
std::vector<uint8_t> livery() {
    return encodeBmp(paintLivery(Type));
}

std::vector<uint8_t> heightGridFile() {
    const HeightGrid g = makeHeightGrid();
    return {g.begin(), g.end()};
}
std::vector<uint8_t> mapTexture() { return encodeBmp(paintMapTexture(makeHeightGrid())); }

const std::vector<DataFile> FILES = {
    {"map1.hd", FileKind::HeightGrid, heightGridFile},
    {"s1.au1", FileKind::Situation, mission<1>},
    {"s2.au1", FileKind::Situation, mission<2>},
    {"s3.au1", FileKind::Situation, mission<3>},
    {"s4.au1", FileKind::Situation, mission<4>},
    {"s5.au1", FileKind::Situation, mission<5>},
    {"s1.txt", FileKind::Briefing, briefing<1>},
    {"s2.txt", FileKind::Briefing, briefing<2>},
    {"s3.txt", FileKind::Briefing, briefing<3>},
    {"s4.txt", FileKind::Briefing, briefing<4>},
    {"s5.txt", FileKind::Briefing, briefing<5>},
    {"sky.x", FileKind::Mesh, [] { return textBytes(encodeX(skyDome(), "Sky")); }},
    {"plane1.x", FileKind::Mesh, aircraftMesh<0>},
    {"shot1.x", FileKind::Mesh, [] { return textBytes(encodeX(gunShotModel(), "Shot")); }},
    {"plane2.x", FileKind::Mesh, aircraftMesh<1>},
    {"plane3.x", FileKind::Mesh, aircraftMesh<2>},
    {"plane4.x", FileKind::Mesh, aircraftMesh<3>},
    {"plane5.x", FileKind::Mesh, aircraftMesh<4>},
    {"plane6.x", FileKind::Mesh, aircraftMesh<5>},
    {"rocket.x", FileKind::Mesh, [] { return textBytes(encodeX(rocketModel(), "Rocket")); }},
    {"missile.x", FileKind::Mesh, [] { return textBytes(encodeX(missileModel(), "Missile")); }},
    {"map1.bmp", FileKind::Bitmap, mapTexture},
    {"exp.dds", FileKind::Sprite, [] { return encodeDds(paintFire()); }},
    {"smk.dds", FileKind::Sprite, [] { return encodeDds(paintSmoke()); }},
    {"bang.dds", FileKind::Sprite, [] { return encodeDds(paintFlash()); }},
    {"2dtex.dds", FileKind::Sprite, [] { return encodeDds(paintHudAtlas()); }},
    {"sky.bmp", FileKind::Bitmap, [] { return encodeBmp(paintSky()); }},
    {"sunlight.dds", FileKind::Sprite, [] { return encodeDds(paintSunGlare()); }},
    {"plane11.bmp", FileKind::Bitmap, livery<0>},
    {"plane12.bmp", FileKind::Bitmap, livery<1>},
    {"shot1.bmp", FileKind::Bitmap, [] { return encodeBmp(paintGunShot()); }},
    {"plane21.bmp", FileKind::Bitmap, livery<2>},
    {"plane31.bmp", FileKind::Bitmap, livery<3>},
    {"title.bmp", FileKind::Bitmap, [] { return encodeBmp(paintTitle()); }},
    {"plane41.bmp", FileKind::Bitmap, livery<4>},
    {"plane51.bmp", FileKind::Bitmap, livery<5>},
    {"plane61.bmp", FileKind::Bitmap, livery<6>},
    {"rocket.bmp", FileKind::Bitmap, [] { return encodeBmp(paintRocket()); }},
    {"missile.bmp", FileKind::Bitmap, [] { return encodeBmp(paintMissile()); }},
    {"bang.wav", FileKind::Sound, [] { return encodeWav(synthGunShot()); }},
    {"hit.wav", FileKind::Sound, [] { return encodeWav(synthBulletHit()); }},
    {"bom1.wav", FileKind::Sound, [] { return encodeWav(synthSmallExplosion()); }},
    {"bom2.wav", FileKind::Sound, [] { return encodeWav(synthLargeExplosion()); }},
    {"pu.wav", FileKind::Sound, [] { return encodeWav(synthMenuMove()); }},
    {"puun.wav", FileKind::Sound, [] { return encodeWav(synthMenuConfirm()); }},
    {"syu.wav", FileKind::Sound, [] { return encodeWav(synthLaunch()); }},
    {"engine.wav", FileKind::Sound, [] { return encodeWav(synthEngineLoop()); }},
};

bool checkSituation(const std::vector<uint8_t>& bytes, std::string& error) {
    Situation s;
    if (!parseSituation(bytes.data(), bytes.size(), s, error)) return false;
    if (s.records.empty()) return error = "holds no aircraft", false;
    if (s.playerRecord < 0 || static_cast<size_t>(s.playerRecord) >= s.records.size())
        return error = "the player record names no aircraft", false;
    for (const SituationRecord& r : s.records)
        if (r.side == 0) return error = "an aircraft has side 0", false;
    return true;
}

bool checkSprite(const std::vector<uint8_t>& bytes, std::string& error) {
    Image img;
    if (!decodeDds(bytes, img, error)) return false;
    if (img.pixels.empty()) return true;  // compressed: its size was checked
    bool clear = false;
    for (const Color& c : img.pixels) clear = clear || c.a < 0.5;
    if (!clear) return error = "sprite has no transparent parts (alpha missing)", false;
    return true;
}

bool checkFile(FileKind kind, const std::vector<uint8_t>& bytes, std::string& error) {
    switch (kind) {
        case FileKind::HeightGrid:
            if (bytes.size() != GRID_SAMPLES)
                return error = "must be exactly 10000 bytes, found " + std::to_string(bytes.size()), false;
            return true;
        case FileKind::Situation:
            return checkSituation(bytes, error);
        case FileKind::Briefing: {
            std::vector<std::string> lines;
            if (!parseBriefing(std::string(bytes.begin(), bytes.end()), lines))
                return error = "not a briefing of at most two short printable lines", false;
            return true;
        }
        case FileKind::Mesh: {
            Mesh mesh;
            return decodeX(std::string(bytes.begin(), bytes.end()), mesh, error);
        }
        case FileKind::Bitmap: {
            Image img;
            return decodeBmp(bytes, img, error);
        }
        case FileKind::Sprite:
            return checkSprite(bytes, error);
        case FileKind::Sound: {
            WavInfo wav;
            return decodeWav(bytes, wav, error);
        }
    }
    return error = "unknown kind", false;
}

}  // namespace

const std::vector<DataFile>& dataFiles() { return FILES; }

bool writeDataDirectory(const std::string& dir, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) return error = "cannot create " + dir + ": " + ec.message(), false;
    for (const DataFile& f : FILES) {
        const std::string path = (std::filesystem::path(dir) / f.name).string();
        if (!writeFileBytes(path, f.make())) return error = "cannot write " + path, false;
    }
    return true;
}

std::vector<std::string> checkDataDirectory(const std::string& dir) {
    if (!std::filesystem::is_directory(dir)) return {dir + ": no such data directory"};
    std::vector<std::string> problems;
    for (const DataFile& f : FILES) {
        const std::string path = (std::filesystem::path(dir) / f.name).string();
        std::vector<uint8_t> bytes;
        std::string error;
        if (!std::filesystem::is_regular_file(path) || !readFileBytes(path, bytes))
            problems.push_back(std::string(f.name) + ": missing or unreadable");
        else if (!checkFile(f.kind, bytes, error))
            problems.push_back(std::string(f.name) + ": " + error);
    }
    return problems;
}

}  // namespace vantrel::data
