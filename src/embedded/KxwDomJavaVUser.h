// One virtual user's side of the applet bridge: its Java manager object (made on its thread, which is attached to
// the VM for the user's life), the applets whose start waits for a safe point, the Java managers of applets that
// went, to be stopped there, and the script objects the user's applets hold. The safe points are the ends of
// evaluations, timers, ScriptComplete, OnStepEnd and the engine's tasks: never inside a call into Java, never
// inside the parser.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "kxw/KxwJsval.h"

class KxwDomJavaVUser {
public:
    // Null without a VM (applets inert) or when the thread cannot be attached (reported).
    static KxwDomJavaVUser* Create();
    ~KxwDomJavaVUser();
    KxwDomJavaVUser(const KxwDomJavaVUser&) = delete;
    KxwDomJavaVUser& operator=(const KxwDomJavaVUser&) = delete;

    // The user's VokVuserMgr (a JNI global reference).
    void* GetJavaObject() const { return _pvVuserMgr; }
    // A full reset unloads the user's classes; every reset stops the threads its applets started and lets the
    // script objects they held go.
    void IterationReset(bool mbFull);

    // An applet of this user has a Java side: from now on the safe points ask Java for queued calls.
    void NoteAppletMade() { _bAppletsMade = true; }
    void QueueStart(uint64_t muAppletHandle);
    // Takes over a JNI global reference to a VokAppletMgr whose element went.
    void QueueStop(void* mpvAppletMgr);
    // Runs what waits: stops, starts, then the calls Java threads queued for this user.
    void Service();

    // The id Java holds for a script object (an engine object value), made once per object; 0 when the value is
    // not an object or too many are held.
    uint64_t HandleOfScriptObject(const KxwJsval& mrtObject);
    // The object of such an id (undefined when it is gone or not this user's).
    bool ScriptObjectOf(uint64_t muHandle, KxwJsval& mrtObject) const;
    void ReleaseScriptObject(uint64_t muHandle);

private:
    KxwDomJavaVUser() = default;
    void ReleaseScriptObjects();

    struct ScriptObject {
        uint64_t _uHandle = 0;
        std::unique_ptr<KxwJsvalProt> _ptValue;
    };
    void* _pvVuserMgr = nullptr;
    std::vector<uint64_t> _tStarts;
    std::vector<void*> _tStops;
    std::vector<ScriptObject> _tScriptObjects;
    bool _bServicing = false;
    bool _bAppletsMade = false;
};
