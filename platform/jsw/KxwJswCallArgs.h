// The arguments of a call as natives that convert by themselves see them.
#pragma once

#include <string>

#include "kxw/KxwExport.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwJswTypes.h"

class KXW_API KxwJswCallArgs {
public:
    // mpvCallArgs is the engine's call arguments (JS::CallArgs).
    KxwJswCallArgs(JSContext* mptCx, void* mpvCallArgs) : _ptCx(mptCx), _pvCallArgs(mpvCallArgs) {}

    JSContext* GetContext() const { return _ptCx; }
    unsigned Length() const;
    // The argument at miIndex; undefined beyond the ones given.
    KxwJsval Get(unsigned muIndex) const;
    // The argument converted as Get(muIndex).ToStringU16n converts it, straight from the call's own rooted value.
    bool GetStringU16n(unsigned muIndex, std::u16string& mrdsResult) const;
    KxwJsval This() const;
    KxwJswUserObjBase* ThisUserObj() const;
    void SetResult(const KxwJsval& mrtValue);
    // Leaves an Error with that message pending for the script (the native then returns false or null).
    void ThrowError(const char* mpszMessage);
    // The engine's call arguments, for the wrapper's own natives.
    void* GetRaw() const { return _pvCallArgs; }

private:
    JSContext* _ptCx;
    void* _pvCallArgs;
};
