// One call of a script method that converts its arguments itself (methods of "element", "document", the
// attributes collection): the object called, its arguments converted on demand, and the result. A conversion that
// throws (a toString or valueOf of the page's) marks the call failed and leaves the exception pending; the callback
// then returns false before it changes anything, and the exception reaches the calling script as in a browser.
#pragma once

#include <cstdint>
#include <string>

#include "KxwJswCallArgs.h"
#include "KxwJswUserObjBase.h"
#include "kxw/KxwJsval.h"

class KxwDomCoreElement;
class KxwDomEventTarget;
class KxwDomHtmlDocument;
class KxwDomHtmlElement;
class KxwDomNodeBase;

// The object a method of class T is called on, or null when the engine's object is of another class. The classes
// that every page calls most are found by a virtual call, not by a search of the type tree.
template <class T>
struct KxwDomScriptThis {
    static T* Of(KxwJswUserObjBase* mptUserObj) { return dynamic_cast<T*>(mptUserObj); }
};
template <>
struct KxwDomScriptThis<KxwDomHtmlElement> {
    static KxwDomHtmlElement* Of(KxwJswUserObjBase* mptUserObj) {
        return KxwJswUserObjBase::ConvertToElement(mptUserObj);
    }
};
template <>
struct KxwDomScriptThis<KxwDomEventTarget> {
    static KxwDomEventTarget* Of(KxwJswUserObjBase* mptUserObj) {
        return KxwJswUserObjBase::ConvertToEventTarget(mptUserObj);
    }
};
template <>
struct KxwDomScriptThis<KxwDomHtmlDocument> {
    static KxwDomHtmlDocument* Of(KxwJswUserObjBase* mptUserObj);
};
template <>
struct KxwDomScriptThis<KxwDomCoreElement> {
    static KxwDomCoreElement* Of(KxwJswUserObjBase* mptUserObj);
};

class KxwDomScriptCall {
public:
    KxwDomScriptCall(const char* mpszCallbackName, KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs)
        : _pszCallbackName(mpszCallbackName), _rtArgs(mrtArgs), _ptUserObj(mptUserObj) {}
    KxwDomScriptCall(const KxwDomScriptCall&) = delete;
    KxwDomScriptCall& operator=(const KxwDomScriptCall&) = delete;

    unsigned Argc() const { return _rtArgs.Length(); }
    KxwJsval Arg(unsigned muIndex) const { return _rtArgs.Get(muIndex); }
    JSContext* GetContext() const { return _rtArgs.GetContext(); }
    // String(argument), as the script would convert it; empty when the conversion threw (see Failed).
    std::u16string Text(unsigned muIndex);
    std::string Utf8(unsigned muIndex);
    // The argument as a 32-bit integer; mnDefault when it is missing or undefined.
    int32_t Int(unsigned muIndex, int32_t miDefault);
    // The argument as a DOM object of class N (a node by default), or null.
    template <class N = KxwDomNodeBase>
    N* Node(unsigned muIndex) const {
        return dynamic_cast<N*>(_rtArgs.Get(muIndex).GetRawDomObject());
    }
    // A conversion threw: the call must fail with the exception as it stands.
    bool Failed() const { return _bFailed; }

    // The shared invalid-arguments report, a null result, and a failed call.
    bool Invalid();
    // The DOM could not carry the call out: a script error naming the method, and a failed call.
    bool Fail(const char* mpszMethodName);
    bool Undefined();
    bool Null();
    bool Return(KxwJswUserObjBase* mptUserObj);
    bool Return(bool mbValue);
    bool Return(int miValue);
    bool Return(const std::u16string& mrdsText);
    bool Return(const KxwJsval& mrtValue);

protected:
    // Whether the object called is of the callback's class (the result of its down-cast).
    void SetThisForReport(void* mpvThis) { _pvThis = mpvThis; }
    KxwJswUserObjBase* GetUserObj() const { return _ptUserObj; }

private:
    const char* _pszCallbackName;
    KxwJswCallArgs& _rtArgs;
    KxwJswUserObjBase* _ptUserObj;
    void* _pvThis = nullptr;
    bool _bFailed = false;
};

// The same for a method of class T: This() is the object called, or null when it is of another class.
template <class T>
class KxwDomScriptCallOn : public KxwDomScriptCall {
public:
    KxwDomScriptCallOn(const char* mpszCallbackName, KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs)
        : KxwDomScriptCall(mpszCallbackName, mptUserObj, mrtArgs), _ptThis(KxwDomScriptThis<T>::Of(mptUserObj)) {
        SetThisForReport(_ptThis);
    }
    T* This() const { return _ptThis; }
    // An object of the class and at least muArgc arguments; else the invalid-arguments report and a failed call.
    bool Check(unsigned muArgc) {
        if (_ptThis && Argc() >= muArgc) return true;
        return Invalid();
    }

private:
    T* _ptThis;
};
