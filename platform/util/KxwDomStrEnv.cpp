#include "KxwDomStrEnv.h"

// Defined here rather than inline so that each class has one home for its virtual table.
KxwDomStrEnvApi::~KxwDomStrEnvApi() = default;

KxwMemMgr* KxwDomStrEnvExplicit::GetMemMgr() {
    return _ptMemMgr;
}

KxwU16nHandler* KxwDomStrEnvExplicit::GetU16nHandler() {
    return _ptU16nHandler;
}

KxwMemMgr* KxwDomStrEnvU16HandlerExplicit::GetMemMgr() {
    return _ptMemMgr;
}

KxwU16nHandler* KxwDomStrEnvU16HandlerExplicit::GetU16nHandler() {
    return _ptU16nHandler;
}
