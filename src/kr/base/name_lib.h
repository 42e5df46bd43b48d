#pragma once
// A library of objects kept in insertion order in a doubly linked list, with one running
// iteration (First / Next). Used for textures, materials, shaders, agents and food.
// The library owns its list elements; the objects belong to whoever put them in, except
// that clear() destroys them.

#include <new>
#include <string>
#include <string_view>

#include "kr/base/error.h"

namespace KR {

template <class T>
struct NameLibElement {
    NameLibElement* prev = nullptr;
    NameLibElement* next = nullptr;
    T* data = nullptr;
};

template <class T>
class NameLib {
  public:
    // type_name is how errors name the element type, for example "class KR::Texture".
    explicit NameLib(std::string_view type_name)
        : add_place(std::string("KR::NameLib<").append(type_name).append(">::add")) {}
    ~NameLib() { unlink_all(); }

    NameLib(const NameLib&) = delete;
    NameLib& operator=(const NameLib&) = delete;

    // Appends an element holding object at the tail.
    void add(T* object) {
        auto* element = new (std::nothrow) NameLibElement<T>;
        if (!element)
            throw ErrorMem(add_place, ": NameLibElement<T>* temp=new NameLibElement<T>;",
                           sizeof(NameLibElement<T>));
        element->data = object;
        element->prev = tail;
        if (tail)
            tail->next = element;
        else
            head = element;
        tail = element;
    }

    // Creates a default object with the given name, appends it and answers it.
    T* add(const char* name) {
        T* object = new (std::nothrow) T;
        if (!object) throw ErrorMem(add_place, ": T* temp=new T;", sizeof(T));
        object->SetName(name);
        try {
            add(object);
        } catch (...) {
            delete object;
            throw;
        }
        return object;
    }

    T* First() {
        cursor = head;
        return head ? head->data : nullptr;
    }

    // After the last element this answers none and empties the cursor; the call after that
    // answers none again and restarts at the head, so iterations begin with First().
    T* Next() {
        if (!cursor) {
            cursor = head;
            return nullptr;
        }
        cursor = cursor->next;
        return cursor ? cursor->data : nullptr;
    }

    // Counts by iterating, which moves the cursor.
    int Count() {
        int count = 0;
        for (T* object = First(); object; object = Next())
            ++count;
        return count;
    }

    // Unlinks the first element holding object (the object itself stays). Answers 1, or -2
    // when object is not in the library. The cursor moves to the removed element's next.
    int remove(T* object) {
        NameLibElement<T>* element = head;
        while (element && element->data != object)
            element = element->next;
        if (!element) return -2;
        if (element->prev)
            element->prev->next = element->next;
        else
            head = element->next;
        if (element->next)
            element->next->prev = element->prev;
        else
            tail = element->prev;
        cursor = element->next;
        delete element;
        return 1;
    }

    // Destroys every object and element.
    void clear() {
        for (NameLibElement<T>* element = head; element;) {
            NameLibElement<T>* next = element->next;
            delete element->data;
            delete element;
            element = next;
        }
        head = tail = cursor = nullptr;
    }

    // Frees every element but leaves the objects to their owners.
    void unlink_all() {
        for (NameLibElement<T>* element = head; element;) {
            NameLibElement<T>* next = element->next;
            delete element;
            element = next;
        }
        head = tail = cursor = nullptr;
    }

    NameLibElement<T>* head = nullptr;
    NameLibElement<T>* tail = nullptr;
    NameLibElement<T>* cursor = nullptr;

  private:
    std::string add_place;
};

}  // namespace KR
