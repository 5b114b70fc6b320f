#include "KxwDomStrEnvU16HandlerExplicitWatch.h"

#include "KxwDomBase.h"

KxwDomStrEnvU16HandlerExplicitWatch::KxwDomStrEnvU16HandlerExplicitWatch(KxwDomBase& mrtDomBase)
    : KxwDomStrEnvU16HandlerExplicit(mrtDomBase.GetU16nHandler()),
      _tWatchDelete("KxwDomStrEnvU16HandlerExplicitWatch constractor", &mrtDomBase) {}

KxwDomStrEnvU16HandlerExplicitWatch::~KxwDomStrEnvU16HandlerExplicitWatch() {
    _tWatchDelete.Reset();
}

KxwU16nHandler* KxwDomStrEnvU16HandlerExplicitWatch::GetU16nHandler() {
    return _tWatchDelete.HasBeenDeleted() ? nullptr : KxwDomStrEnvU16HandlerExplicit::GetU16nHandler();
}
