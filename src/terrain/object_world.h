#pragma once
// What a scene object may ask of the world it lives on: the surface under it, water poured
// into the grid, the settings and the clock, the world's size, new food and its own removal.
// The terrain answers it; tests can answer with a small world of their own.

#include "kr/math/vector.h"

class AgentFood;
class scene_object;
struct simulation_settings;

class object_world {
  public:
    // The water-surface height at (x, y); false where no cluster holds the point.
    virtual bool GetSurfaceHeight(float& z, float x, float y) = 0;
    // Adds water at the grid point nearest to (x, y), in the field the step writes.
    virtual void PourWater(float x, float y, float amount) = 0;
    virtual const simulation_settings& Settings() const = 0;
    // The clock objects live by, in seconds.
    virtual double Now() const = 0;
    virtual KR::Vector2 Extent() const = 0;
    // Food at a position and rotation (none: the world's defaults) that grows after grow_time.
    virtual AgentFood* AddAgentFood(const KR::Vector4* position = nullptr,
                                    const KR::Vector4* rotation = nullptr,
                                    double grow_time = 0.0) = 0;
    // Unlinks and destroys an object of the world's list.
    virtual void RemoveObject(scene_object* object) = 0;

  protected:
    ~object_world() = default;
};
