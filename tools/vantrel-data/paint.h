// The painted textures: aircraft and projectile skins laid out for the regions of
// models.h, the sky, the effect sprites and the head-up-display atlas.
#pragma once

#include "tools/vantrel-data/image.h"

namespace vantrel::data {

constexpr int AIRCRAFT_TEXTURE_SIZE = 256;
constexpr int LIVERY_COUNT = 7;  // one per aircraft type, in type order
constexpr int SPRITE_SIZE = 128;
constexpr int ATLAS_SIZE = 256;  // 4 x 4 cells of 64 pixels

Image paintLivery(int type);
Image paintGunShot();
Image paintRocket();
Image paintMissile();
// Full sphere: u is the bearing, v 0 the zenith, 0.5 the horizon and 1 the nadir.
Image paintSky();
Image paintFire();
Image paintSmoke();
Image paintFlash();
Image paintSunGlare();
Image paintHudAtlas();

}  // namespace vantrel::data
