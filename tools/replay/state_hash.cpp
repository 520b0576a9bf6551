// The game state serialised for hashing. Every list is preceded by its count and every
// entity by a tag of its kind, so a state where objects moved between lists or kinds never
// hashes like the original.
#include "tools/replay/state_hash.h"

#include <bit>
#include <cstdio>

#include "engine/system/random.h"
#include "game/entities.h"
#include "game/globals.h"

void TStateHasher::Bytes(const void* data, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        hash_ ^= p[i];
        hash_ *= 0x100000001b3ULL;
    }
}

void TStateHasher::Int(std::int64_t value) {
    // Little-endian byte order whatever the machine, so a stored hash travels.
    unsigned char bytes[8];
    const auto u = static_cast<std::uint64_t>(value);
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(u >> (8 * i));
    Bytes(bytes, sizeof bytes);
}

// The builtin rather than std::bit_cast, which the browser toolchain's library lacks.
void TStateHasher::Float(float value) {
    Int(__builtin_bit_cast(std::uint32_t, value));
}

void TStateHasher::Text(std::string_view text) {
    Int(static_cast<std::int64_t>(text.size()));
    Bytes(text.data(), text.size());
}

namespace {

void HashEnemy(TStateHasher& h, const tEnemy& e) {
    h.Text(e.name);
    for (float f : {e.x, e.y, e.rotation, e.speedRotation, e.speedX, e.speedY, e.alpha,
                    e.enemycombo, e.oldmousex, e.oldmousey}) {
        h.Float(f);
    }
    h.Int(e.active);
    h.Int(e.timer);
}

void HashShot(TStateHasher& h, const tPlayer& s) {
    for (float f : {s.x, s.y, s.speedx, s.speedy, s.combo}) h.Float(f);
    h.Int(s.fxtime);
}

void HashEffect(TStateHasher& h, const tFX& fx) {
    h.Float(fx.x);
    h.Float(fx.y);
    if (const auto* ring = dynamic_cast<const tborderExplosion*>(&fx)) {
        h.Int(1);
        h.Float(ring->alpha);
        h.Float(ring->scale);
    } else if (const auto* trail = dynamic_cast<const tballfx*>(&fx)) {
        h.Int(2);
        for (float f : {trail->scale, trail->alpha, trail->speedx, trail->speedy, trail->minus}) {
            h.Float(f);
        }
    } else if (const auto* label = dynamic_cast<const tchainfx*>(&fx)) {
        h.Int(3);
        h.Float(label->alpha);
        h.Int(label->chain);
        h.Float(label->scale);
    } else if (const auto* particle = dynamic_cast<const tExplosion*>(&fx)) {
        h.Int(4);
        h.Float(particle->speedx);
        h.Float(particle->speedy);
        h.Float(particle->alpha);
    } else {
        h.Int(0);
    }
}

void HashBackgroundEffect(TStateHasher& h, const tbgFX& fx) {
    for (float f : {fx.x, fx.y, fx.scale, fx.alpha, fx.speedx, fx.speedy}) h.Float(f);
    for (int i : {fx.state, fx.red, fx.green, fx.blue}) h.Int(i);
}

// Count first, then each live object in list order; a missing list hashes as -1.
template <class T, class Each>
void HashList(TStateHasher& h, const std::shared_ptr<tEntityList<T>>& list, Each each) {
    if (!list) {
        h.Int(-1);
        return;
    }
    const auto items = list->items();
    h.Int(static_cast<std::int64_t>(items.size()));
    for (const auto& item : items) each(h, *item);
}

}  // namespace

std::uint64_t HashGameState() {
    TStateHasher h;
    h.Int(gameState);
    h.Int(score);
    h.Int(bestChain);
    h.Int(life);
    h.Int(startTime);
    h.Int(playTime);
    h.Int(waveStep);
    h.Int(shotSpeed);
    // The generator's state: a rule that draws one number more or less shows at once.
    h.Int(RandomSeed());
    for (float f : {baseX, baseY, baseAlpha, aimAngle, aimDistance, bgBrightness,
                    bgTargetBrightness, spriteGrey, fadeAlpha, musicVolume}) {
        h.Float(f);
    }
    HashList(h, enemyList, HashEnemy);
    HashList(h, shotList, HashShot);
    HashList(h, fxList, HashEffect);
    HashList(h, bgfxList, HashBackgroundEffect);
    return h.Value();
}

std::string HashToHex(std::uint64_t hash) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}
