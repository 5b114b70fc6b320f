// The bracket every evaluation that events start is made in: one type, so that handlers, user actions and their
// default actions all raise and lower the same depths.
#pragma once

#include "kxw/KxwHswApi.h"

class KxwDomNodeBase;

class KxwDomEventBracket : public KxwJswScriptEvaluationNotifier {
public:
    KxwDomEventBracket(const char* mpszDescription, KxwDomNodeBase* mptInitiator, bool mbScriptEvaluation)
        : _pszDescription(mpszDescription), _ptInitiator(mptInitiator), _bScriptEvaluation(mbScriptEvaluation) {}

private:
    const char* _pszDescription;
    KxwDomNodeBase* _ptInitiator;
    bool _bScriptEvaluation;
};
