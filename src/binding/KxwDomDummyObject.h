// Catch-all objects for script code the library does not model: whatever a script does with a dummy (reads a
// property or an index, calls a method, calls the dummy itself) gives another dummy, so such code runs on instead
// of failing.
#pragma once

#include "KxwJswUserObjBase.h"

class KxwDomDummyObject : public KxwJswUserObjBase {
public:
    KxwDomDummyObject();
    ~KxwDomDummyObject() override;

    // A new dummy, owned by its engine object from the start: a dummy that a caller drops is collected with it.
    // Null (reported) when the thread has no script engine, since nothing could own the dummy then.
    static KxwDomDummyObject* CreateDummyObject();
    // The same as a value triple (the dummy, 0xFFFFFFFF, 1); false with a null triple of type 11 when there is no
    // engine.
    static bool CreateDummyObject(void** mppvValue, unsigned* mpnLength, KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType);

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetShouldBeDeletedAtFinalize() override { return true; }
    bool GetPropertyByName(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                           KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) override;
    // Indexes up to 100 give dummies, higher ones null.
    bool GetPropByIndex(int32_t msiElementIndex, void** mppvValue, unsigned* mpnLength,
                        KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) override;
    // Every name but those the engine itself must answer (toString, valueOf, Function, Object).
    bool IsResolved(const char* mpszName) override;
    bool InvokeMethod(KxwJswCallArgs& mrtArgs) override;
};

// A dummy held by the library: C++ owns it, so the collection of its engine object never deletes it.
class KxwDomDummyObjectStatic : public KxwDomDummyObject {
public:
    KxwDomDummyObjectStatic();
    ~KxwDomDummyObjectStatic() override;

    bool GetShouldBeDeletedAtFinalize() override { return false; }
};
