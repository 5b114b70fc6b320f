// A global of a virtual user's engine: the object that the scripts of one window see as their global. Each global
// has prototypes of its own for every class (so that a page cannot change another window's classes), and the
// accessors "window" and "document", which scripts cannot replace or delete, as in the emulated browsers. All
// globals of an engine share one compartment: DOM objects pass between them (frames, pop-ups, opener) as they are,
// with no wrappers in between.
#pragma once

#include "kxw/KxwExport.h"
#include "kxw/KxwJswTypes.h"

class KxwJswEngine;

// Who a global stands for (a window, or a stand-alone document's holder): it answers what the global's "document"
// shows at each read, so that the accessor follows the window from page to page.
class KXW_API KxwJswGlobalOwner {
public:
    // The document scripts of the global see now; null gives script null.
    virtual KxwJswUserObjBase* GetGlobalDocument() = 0;

protected:
    ~KxwJswGlobalOwner() = default;
};

class KXW_API KxwJswGlobal {
public:
    KxwJswGlobal(const KxwJswGlobal&) = delete;
    KxwJswGlobal& operator=(const KxwJswGlobal&) = delete;

    // The global object itself; null once the engine let go of it.
    JSObject* GetObject() const;
    KxwJswEngine* GetEngine() const { return _ptEngine; }
    // Null detaches the owner: "document" then gives null. An owner that dies first must detach itself.
    void SetOwner(KxwJswGlobalOwner* mptOwner) { _ptOwner = mptOwner; }
    KxwJswGlobalOwner* GetOwner() const { return _ptOwner; }

    // Makes this the current global of a window: the global takes the window's class as its prototype (its
    // properties and methods are the page's global names), `this` and unqualified calls of the page reach the
    // window, and the window's engine object is a window proxy in front of this global. The first global of a
    // window makes the proxy; each later one (a new page) moves it, so that every reference to the window (opener,
    // frames[i], a variable of another window) stays the same object while the old page's names are gone. Null
    // unbinds the window from this global. False (reported) when the engine fails.
    bool SetWindow(KxwJswUserObjBase* mptWindow);
    KxwJswUserObjBase* GetWindow() const { return _ptWindow; }

    // The global whose realm an engine object belongs to; null when it is none of the engine's globals.
    static KxwJswGlobal* OfObject(JSObject* mptObj);

    // Enters the realm of a global for the scope's life: scripts evaluated and engine objects made meanwhile
    // belong to that global. Nests; the previous realm comes back at the end.
    class KXW_API RealmScope {
    public:
        explicit RealmScope(KxwJswGlobal* mptGlobal);
        ~RealmScope();
        RealmScope(const RealmScope&) = delete;
        RealmScope& operator=(const RealmScope&) = delete;

    private:
        JSContext* _ptCx = nullptr;
        void* _pvOldRealm = nullptr;
    };

private:
    friend class KxwJswEngine;
    friend class KxwJswGlobalHooks;
    explicit KxwJswGlobal(KxwJswEngine* mptEngine);
    ~KxwJswGlobal();
    // Makes a global; mptCompartmentOf, when given, is a global whose compartment the new one shares.
    static KxwJswGlobal* Create(KxwJswEngine* mptEngine, JSObject* mptCompartmentOf);
    // The engine lets go of it: the global dies once nothing refers to it any more.
    void Release();
    // At the engine's end, while it still runs: the root and the prototypes go.
    void Shutdown();

    KxwJswEngine* _ptEngine;
    KxwJswGlobalOwner* _ptOwner = nullptr;
    KxwJswUserObjBase* _ptWindow = nullptr;
    void* _pvRoot = nullptr;        // keeps the global alive until Release
    void* _pvPrototypes = nullptr;  // per class, traced from the global
    KxwJswGlobal* _ptNext = nullptr;  // the engine's list of globals not yet finalized
};
