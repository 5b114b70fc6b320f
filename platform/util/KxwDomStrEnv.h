// String environments: where a KxwDomStr allocates (a memory manager) and how it converts (a U16n handler).
#pragma once

#include "kxw/KxwExport.h"

class KxwMemMgr;
class KxwU16nHandler;

// The interface through which strings and attribute values reach their memory manager and U16n handler. A DOM
// object's own environment derives from it. A null memory manager means the process heap; a null handler means that
// DCS text is taken as windows-1252. The handler may change over time (a subclass may stop answering one once the
// object it watches died), so strings ask for it at each conversion; the memory manager is taken once, when a string
// is made.
class KXW_API KxwDomStrEnvApi {
public:
    virtual KxwMemMgr* GetMemMgr() = 0;
    virtual KxwU16nHandler* GetU16nHandler() = 0;
    virtual ~KxwDomStrEnvApi();
};

// An environment that answers the manager and handler it was given.
class KXW_API KxwDomStrEnvExplicit : public KxwDomStrEnvApi {
public:
    KxwDomStrEnvExplicit(KxwMemMgr* mptMemMgr, KxwU16nHandler* mptU16nHandler)
        : _ptMemMgr(mptMemMgr), _ptU16nHandler(mptU16nHandler) {}

    KxwMemMgr* GetMemMgr() override;
    KxwU16nHandler* GetU16nHandler() override;

private:
    KxwMemMgr* _ptMemMgr;
    KxwU16nHandler* _ptU16nHandler;
};

// An environment built around a handler, with the process heap unless a manager is given; the handler can be
// replaced later (a registration learns the window's code page after it was made).
class KXW_API KxwDomStrEnvU16HandlerExplicit : public KxwDomStrEnvApi {
public:
    explicit KxwDomStrEnvU16HandlerExplicit(KxwU16nHandler* mptU16nHandler, KxwMemMgr* mptMemMgr = nullptr)
        : _ptU16nHandler(mptU16nHandler), _ptMemMgr(mptMemMgr) {}

    KxwMemMgr* GetMemMgr() override;
    KxwU16nHandler* GetU16nHandler() override;
    void SetU16nHandler(KxwU16nHandler* mptU16nHandler) { _ptU16nHandler = mptU16nHandler; }

private:
    KxwU16nHandler* _ptU16nHandler;
    KxwMemMgr* _ptMemMgr;
};
