// The scene-object list of the terrain: creation at the view target, removal and the
// per-tick update.

#include "kr/base/error.h"
#include "kr/base/random.h"
#include "kr/base/utils.h"
#include "terrain/terrain.h"

template <class T>
T* terrain::Insert(T* object) {
    object->terrain = this;
    object->next = objects;
    objects = object;
    return object;
}

namespace {

// Objects come from the 16-byte aligned allocator; its failure is reported as the command's.
template <class T>
T* Create(const char* place, const char* detail) {
    try {
        return new T;
    } catch (const KR::ErrorMem&) {
        throw KR::ErrorMem(place, detail, sizeof(T));
    }
}

}  // namespace

StaticObject* terrain::AddObjectStatic() {
    auto* object = Create<StaticObject>("terrain::AddObjectStatic", ": Can't add static object!");
    object->position = view_pos;
    object->rotation = DefaultRotation();
    return Insert(object);
}

Spring* terrain::AddSpring() {
    auto* object = Create<Spring>("terrain::AddSpring", ": Can't add spring!");
    object->position = view_pos;
    object->rotation = DefaultRotation();
    return Insert(object);
}

Ball* terrain::AddBall() {
    auto* object = Create<Ball>("terrain::AddBall", ": Can't add ball!");
    object->position = KR::Vector4(view_pos.x, view_pos.y, view_pos.z + 10.0f, view_pos.w);
    object->rotation = DefaultRotation();
    return Insert(object);
}

AgentFood* terrain::AddAgentFood(const KR::Vector4* position, const KR::Vector4* rotation,
                                 double grow_time) {
    auto* object = Create<AgentFood>("terrain::AddAgentFood", ": Can't add agent food!");
    object->position = position ? *position : view_pos;
    object->rotation = rotation ? *rotation : DefaultRotation();
    object->grow_time = grow_time;
    try {
        food_lib.add(object);
    } catch (...) {
        delete object;
        throw;
    }
    return Insert(object);
}

Agent* terrain::AddAgent() {
    auto* object = Create<Agent>("terrain::AddAgent", ": Can't add agent!");
    object->position = view_pos;
    object->rotation = DefaultRotation();
    object->agents = &agent_lib;
    object->foods = &food_lib;
    object->bias = KR::RandomFloat(-1, 1);
    try {
        agent_lib.add(object);
    } catch (...) {
        delete object;
        throw;
    }
    return Insert(object);
}

void terrain::RemoveObject(scene_object* object) {
    if (!object) return;
    scene_object** link = &objects;
    while (*link && *link != object)
        link = &(*link)->next;
    if (!*link) return;
    if (selected == object) selected = nullptr;
    if (auto* food = dynamic_cast<AgentFood*>(object)) food_lib.remove(food);
    if (auto* agent = dynamic_cast<Agent*>(object)) agent_lib.remove(agent);
    *link = object->next;
    // An agent may eat the object the running update loop was about to visit.
    if (update_next == object) update_next = object->next;
    delete object;
}

void terrain::RemoveAllObjects() {
    selected = nullptr;
    food_lib.unlink_all();
    agent_lib.unlink_all();
    while (objects) {
        scene_object* next = objects->next;
        delete objects;
        objects = next;
    }
}

int terrain::ObjectCount() const {
    int count = 0;
    for (const scene_object* o = objects; o; o = o->next)
        ++count;
    return count;
}

void terrain::UpdateObjects() {
    for (scene_object* o = objects; o; o = update_next) {
        update_next = o->next;
        o->Update();
    }
    update_next = nullptr;
}
