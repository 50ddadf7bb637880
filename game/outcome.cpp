#include "game/outcome.h"

#include "game/flow.h"

namespace vantrel {

namespace {

MissionResult resultOf(const World& w, const Seat& s) {
    if (w.gameMode == MODE_MISSION && w.flowCounter == 0) return MissionResult::Running;
    if (w.gameMode != MODE_MISSION && isPressed(s.input, VK_ESCAPE)) return MissionResult::Abandoned;
    const bool inTheAir = isAircraftSlot(s.slot) && isAlive(w, s.slot);
    return inTheAir ? MissionResult::Complete : MissionResult::Failure;
}

LossCause lossOf(const World& w, int slot) {
    if (isAlive(w, slot)) return LossCause::None;
    const DamageRecord& last = w.lastDamage[slot];
    switch (last.cause) {
        case DAMAGE_GUN:
            return LossCause::Gunfire;
        case DAMAGE_ROCKET:
            return LossCause::Rocket;
        case DAMAGE_MISSILE:
            return LossCause::Missile;
        case DAMAGE_GROUND:
            return LossCause::Crashed;
        case DAMAGE_STALL:
            return LossCause::Stalled;
        case DAMAGE_COLLISION: {
            const bool friendly = isAircraftSlot(last.by) && w.placedSide[last.by] == w.placedSide[slot];
            return friendly ? LossCause::CollidedWithFriend : LossCause::CollidedWithEnemy;
        }
        default:
            return LossCause::None;
    }
}

GuardedFate guardedFateOf(const World& w, int8_t side) {
    if (!isAircraftSlot(w.guardedSlot) || w.placedSide[w.guardedSlot] != side) return GuardedFate::None;
    return isAlive(w, w.guardedSlot) ? GuardedFate::Flying : GuardedFate::Lost;
}

}  // namespace

MissionOutcome missionOutcome(const World& w, int seat) {
    const Seat& s = w.seats[seat];
    MissionOutcome o{resultOf(w, s), 0, 0, 0, 0, w.tickCount, LossCause::None, GuardedFate::None};
    if (w.gameMode == MODE_MISSION && w.flowCounter > 0) o.missionTicks -= END_COUNTDOWN_TICKS - w.flowCounter;
    if (!isAircraftSlot(s.slot)) return o;
    const int8_t playerSide = w.placedSide[s.slot];
    for (int slot = 0; slot < MAX_AIRCRAFT; ++slot) {
        const int8_t side = w.placedSide[slot];
        const bool lost = !isAlive(w, slot);
        if (side == 0 || slot == s.slot) continue;
        if (side == playerSide) {
            o.friendsLost += lost;
        } else {
            ++o.enemies;
            o.enemiesDowned += lost;
            o.ownKills += lost && w.lastDamage[slot].by == s.slot;
        }
    }
    o.loss = lossOf(w, s.slot);
    o.guarded = guardedFateOf(w, playerSide);
    return o;
}

const char* lossName(LossCause cause) {
    switch (cause) {
        case LossCause::Gunfire:
            return "shot down by enemy gunfire";
        case LossCause::Rocket:
            return "shot down by an enemy rocket";
        case LossCause::Missile:
            return "shot down by an enemy missile";
        case LossCause::Crashed:
            return "crashed into the ground";
        case LossCause::Stalled:
            return "stalled and fell into the ground";
        case LossCause::CollidedWithEnemy:
            return "collided with an enemy aircraft";
        case LossCause::CollidedWithFriend:
            return "collided with a friendly aircraft";
        case LossCause::None:
            break;
    }
    return "";
}

const char* resultName(MissionResult r) {
    switch (r) {
        case MissionResult::Running:
            return "running";
        case MissionResult::Complete:
            return "complete";
        case MissionResult::Failure:
            return "failure";
        case MissionResult::Abandoned:
            return "abandoned";
    }
    return "running";
}

}  // namespace vantrel
