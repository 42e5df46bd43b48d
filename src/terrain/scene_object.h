#pragma once
// The objects that live on the terrain besides water and ground: static markers, springs,
// bouncing balls, and agents that walk to food and eat it. The terrain keeps them in one list,
// newest first, and updates each once per tick before the grid passes.

#include "kr/base/align16.h"
#include "kr/base/name_lib.h"
#include "kr/math/vector.h"
#include "terrain/object_world.h"

class scene_object : public KR::Align16 {
  public:
    virtual ~scene_object() = default;
    // One simulation tick.
    virtual void Update() = 0;

    scene_object* next = nullptr;
    KR::Vector4 position;
    KR::Vector4 rotation;  // degrees about x, y and z, applied in that order; z is the heading
    object_world* terrain = nullptr;  // the owning terrain; none: does not follow the surface
    float size = 1.0f;

  protected:
    // Floats `size` above the water surface where the terrain has one.
    void Float();
};

class StaticObject : public scene_object {
  public:
    void Update() override { Float(); }
};

class Spring : public scene_object {
  public:
    void Update() override;
    float strength = 1.0f;
};

class Ball : public scene_object {
  public:
    void Update() override;
    KR::Vector4 velocity;
    float bounce = 0.9f;
    float rest_speed = 0.1f;
};

class AgentFood : public scene_object {
  public:
    AgentFood() { size = 0.0f; }
    void Update() override;
    // Takes a bite: answers whether the food is used up. energy is the eater's.
    bool Eat(float& energy);

    float& amount() { return size; }  // food keeps its amount in the size
    double grow_time = 0.0;           // the food grows only after this time (seconds)
};

class Agent : public Ball {
  public:
    void Update() override;

    KR::NameLib<Agent>* agents = nullptr;
    KR::NameLib<AgentFood>* foods = nullptr;
    float bias = 0.0f;  // the agent's own turning preference
    double next_breed_time = 0.0;
    double next_search_time = 0.0;
    float energy = 0.0f;
};

// An object as drawing sees it: a copy taken between steps, with the object it stands for
// (compared with the selection, never followed).
struct shown_object {
    const scene_object* object;
    KR::Vector4 position, rotation;
    float size;
    bool food;      // drawn as a tuft, its size the amount
    bool selected;  // drawn in red
};
