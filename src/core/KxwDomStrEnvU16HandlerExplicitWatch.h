// Environments for temporary strings that a method builds while it may call into scripts: conversions stop getting
// the object's U16n handler once the object is deleted, instead of reaching a dangling one.
#pragma once

#include "KxwDomHtmlProperty.h"
#include "KxwDomStrEnv.h"
#include "KxwDomWatchDelete.h"

class KxwDomBase;

class KxwDomStrEnvU16HandlerExplicitWatch : public KxwDomStrEnvU16HandlerExplicit {
public:
    // Takes mrtDomBase's U16n handler and watches mrtDomBase. The strings' memory comes from the process heap, which
    // outlives any object the temporary string was made for.
    explicit KxwDomStrEnvU16HandlerExplicitWatch(KxwDomBase& mrtDomBase);
    ~KxwDomStrEnvU16HandlerExplicitWatch() override;
    KxwDomStrEnvU16HandlerExplicitWatch(const KxwDomStrEnvU16HandlerExplicitWatch&) = delete;
    KxwDomStrEnvU16HandlerExplicitWatch& operator=(const KxwDomStrEnvU16HandlerExplicitWatch&) = delete;

    // Null once the watched object has been deleted.
    KxwU16nHandler* GetU16nHandler() override;
    bool HasBeenDeleted() const { return _tWatchDelete.HasBeenDeleted(); }

private:
    KxwDomWatchDelete _tWatchDelete;
};

// A scratch property string of its own for one caller, on the caller's stack: converts with the object's U16n
// handler (while the object lives) and cannot be overwritten by a nested call, unlike a scratch string shared by
// the virtual user.
class KxwDomTempPropertyStr {
public:
    explicit KxwDomTempPropertyStr(KxwDomBase& mrtDomBase) : _tStrEnv(mrtDomBase), _tPropertyStr(_tStrEnv) {}
    KxwDomTempPropertyStr(const KxwDomTempPropertyStr&) = delete;
    KxwDomTempPropertyStr& operator=(const KxwDomTempPropertyStr&) = delete;

    KxwDomHtmlPropertyStr& Get() { return _tPropertyStr; }
    KxwDomHtmlPropertyStr* operator->() { return &_tPropertyStr; }
    // True when the object the string was made for was deleted meanwhile.
    bool HasOwnerBeenDeleted() const { return _tStrEnv.HasBeenDeleted(); }

private:
    KxwDomStrEnvU16HandlerExplicitWatch _tStrEnv;  // declared first: the string needs it to the end
    KxwDomHtmlPropertyStr _tPropertyStr;
};
