#include "terrain/scene_object.h"

#include <algorithm>
#include <cmath>

#include "kr/math/math_constants.h"
#include "kr/base/random.h"
#include "terrain/simulation_settings.h"

void scene_object::Float() {
    float surface;
    if (terrain && terrain->GetSurfaceHeight(surface, position.x, position.y))
        position.z = surface + size;
}

void Spring::Update() {
    Float();
    if (!terrain || terrain->Settings().stop_water) return;
    const simulation_settings& s = terrain->Settings();
    terrain->PourWater(position.x, position.y, 100.0f * strength * s.rain_multiplier * s.timescale);
}

void Ball::Update() {
    velocity.z -= 0.1f;  // gravity per tick
    position += velocity;
    float surface;
    if (!terrain || !terrain->GetSurfaceHeight(surface, position.x, position.y)) return;
    const float h = surface + size;
    if (h < position.z) return;
    const float speed =
        std::sqrt(velocity.x * velocity.x + velocity.y * velocity.y + velocity.z * velocity.z);
    position.z = h;
    velocity.z = speed > rest_speed ? -bounce * velocity.z : 0.0f;
}

void AgentFood::Update() {
    if (amount() < 1.0f && terrain && terrain->Now() > grow_time) amount() += 0.005f;
    Float();
    position.z -= amount();  // food sits on the surface
}

bool AgentFood::Eat(float& energy) {
    if (amount() <= 0.03f) return true;
    amount() -= 0.03f;
    energy += 0.02f;
    if (amount() < 0.1f) {
        energy += amount();
        amount() = 0.0f;
        return true;
    }
    return false;
}

void Agent::Update() {
    const double now = terrain ? terrain->Now() : 0.0;
    float h = rotation.z;
    AgentFood* best = nullptr;
    float best_score = 1e31f, speed = 0.0f;
    if (energy < 5.0f && now > next_search_time) {
        speed = 0.1f;
        const KR::Vector2 here(position.x, position.y);
        for (AgentFood* f = foods ? foods->First() : nullptr; f; f = foods->Next()) {
            const KR::Vector2 there(f->position.x, f->position.y);
            const float score = KR::Distance(there, here) * (1.0f / (f->amount() + 0.1f));
            if (score < best_score && f->amount() > 0) {
                best_score = score;
                if (best_score < 10.0f) {
                    best = f;
                    const KR::Vector2 u =
                        KR::Vector2(there.x - here.x, there.y - here.y).Normalized();
                    const float length = u.Length();
                    if (0.1f < length && length < 1.1f)
                        h = float(std::atan2(u.y, u.x) * (180.0 / M_PI));
                }
            }
        }
    } else {
        speed = 0.05f;
        if (now > next_search_time) next_search_time = now + 5.0;
    }
    if (!best) {
        h += KR::RandomFloat(bias - 5, bias + 5);  // a random walk drifting to one side
    } else if (best_score < 1.0f && best->Eat(energy) && terrain) {
        terrain->RemoveObject(best);
    }
    if (!(best && best_score <= 1.0f)) {
        position += KR::Vector4(std::cos(h * KR::kDegToRad) * speed,
                                std::sin(h * KR::kDegToRad) * speed, 0, 0);
        if (terrain) {
            const KR::Vector4 before = position;
            position.x = std::clamp(position.x, 1.0f, std::max(1.0f, terrain->Extent().x - 2.0f));
            position.y = std::clamp(position.y, 1.0f, std::max(1.0f, terrain->Extent().y - 2.0f));
            if (position.x != before.x || position.y != before.y) h += KR::RandomInt(-1, 1) * 45;
        }
    }
    if (now > next_breed_time) {
        if (energy > 0.5f && terrain) {
            terrain->AddAgentFood(&position, &rotation, now + 5.0);
            energy -= 0.5f;
        }
        next_breed_time = now + 1.0;
    }
    if (h > 360) h -= 360;
    if (h < 0) h += 360;
    rotation.z = h;
    Float();
}
