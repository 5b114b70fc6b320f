// The ids the Java side holds for the objects it calls back about: an applet element, or a script object (a
// window, a DOM object, a plain script object) it got from the page. Java code may call back after the object died,
// or from another thread, or with an id it made up; so an id is a 64-bit slot and generation from a process-wide
// table, never an address. An id that no longer names a live object of the asked kind, or that belongs to another
// virtual user's thread, finds nothing, and the caller says so.
#pragma once

#include <cstdint>

enum class KxwDomJavaHandleKind : uint8_t {
    kApplet = 1,
    kScriptObject = 2,
};

class KxwDomJavaHandles {
public:
    // A new id for mpvObject, owned by the calling thread (its virtual user) and by mpvOwner (a group that is let
    // go at once, e.g. a virtual user's script objects). Never 0.
    static uint64_t Register(KxwDomJavaHandleKind meKind, void* mpvObject, const void* mpvOwner);
    // The id names nothing from now on; unknown ids are ignored.
    static void Unregister(uint64_t muHandle);
    // What a live id of that kind names, when it was made on the calling thread; null otherwise, with the reason
    // (a text of static storage) in *mppszWhy.
    static void* Find(uint64_t muHandle, KxwDomJavaHandleKind meKind, const char** mppszWhy = nullptr);
    // How many live ids mpvOwner has.
    static unsigned long CountOf(const void* mpvOwner);
};
