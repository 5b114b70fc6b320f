#include "kxw/KxwHswApi.h"

#include <string>

#include "KxwJswInternal.h"
#include "js/friend/JSMEnvironment.h"
#include "KxwUtilReport.h"
#include "kxw/KxwJsval.h"

using namespace kxwjsw;

namespace {

// Ends an evaluation that failed: the watchdog's stop, or a script error with its message and line.
void ReportFailure(KxwJswEngine* mptEngine, KxwJswScriptEvaluationNotifier& mrtNotifier, const char* mpszFile,
                   unsigned muLine) {
    JSContext* ptCx = mptEngine->GetContext();
    if (mptEngine->IsInterrupted()) {
        JS_ClearPendingException(ptCx);
        xfvKxwUtilReportBySevLvl(xfeKxwUtilJavaScriptErrorSevLvl(),
                                 "Script in %.200s stopped: it ran longer than %u ms", mpszFile ? mpszFile : "",
                                 mptEngine->GetScriptTimeLimitMs());
        mrtNotifier.OnInterrupted();
        return;
    }
    std::string dsFile = mpszFile ? mpszFile : "";
    unsigned uLine = muLine;
    std::string dsMessage = ReportPendingException(ptCx, "script", &dsFile, &uLine);
    xfvKxwUtilReportBySevLvl(xfeKxwUtilJavaScriptErrorSevLvl(), "JavaScript error: %.1000s (%.200s, line %u)",
                             dsMessage.c_str(), dsFile.c_str(), uLine);
    mrtNotifier.OnScriptError(dsMessage.c_str(), dsFile.c_str(), uLine);
}

// The given object, or the global of the realm the call runs in.
bool ThisObject(KxwJswEngine* mptEngine, KxwJswUserObjBase* mptThisObj, JS::MutableHandleObject mtThis) {
    mtThis.set(mptThisObj ? mptThisObj->GetJsiObj() : JS::CurrentGlobalOrNull(mptEngine->GetContext()));
    return mtThis != nullptr;
}

}  // namespace

KxwHswApi::KxwHswApi(KxwJswEngine* mptEngine) : _ptEngine(mptEngine) {}

bool KxwHswApi::Evaluate(KxwJswScriptEvaluationNotifier& mrtNotifier, KxwJswUserObjBase* mptScope,
                         const char16_t* mpwsfScript, size_t mnLen, const char* mpszFile, unsigned muFirstLine,
                         KxwJsval* mptResult, bool mbUseCache, KxwJswUserObjBase* mptInitiator) {
    if (mptResult) mptResult->SetUndefined();
    if (!_ptEngine || (!mpwsfScript && mnLen > 0)) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid engine=%p or script=%p in KxwHswApi::Evaluate",
                                              static_cast<void*>(_ptEngine), static_cast<const void*>(mpwsfScript));
        return false;
    }
    const char* pszFile = mpszFile ? mpszFile : "";
    unsigned uLine = muFirstLine ? muFirstLine : 1;
    JSContext* ptCx = _ptEngine->GetContext();
    // The end is told once the evaluation is over, so that what it starts (deferred closes, scripts that became
    // ready) runs as code of its own, not inside this one.
    bool bOK = false;
    {
        KxwJswEngine::EvaluationScope tScope(_ptEngine, mptInitiator, mptScope);
        mrtNotifier.OnEvaluationStart();
        JS::RootedValue tResult(ptCx);
        JS::CompileOptions tOptions(ptCx);
        tOptions.setFileAndLine(pszFile, uLine);
        if (mptScope) {
            // Handler attributes run with their element (and what the element chains to) before the global.
            JS::RootedObjectVector tEnvChain(ptCx);
            JS::RootedObject tScopeObj(ptCx, mptScope->GetJsiObj());
            JS::SourceText<char16_t> tSource;
            bOK = tScopeObj && tEnvChain.append(tScopeObj) &&
                  tSource.init(ptCx, mpwsfScript ? mpwsfScript : u"", mnLen, JS::SourceOwnership::Borrowed) &&
                  JS::Evaluate(ptCx, tEnvChain, tOptions, tSource, &tResult);
        } else if (mbUseCache) {
            std::shared_ptr<KxwJswScriptCache::Entry> ptEntry =
                KxwJswScriptCache::Instance().Obtain(ptCx, mpwsfScript ? mpwsfScript : u"", mnLen, pszFile, uLine);
            if (ptEntry) {
                JS::InstantiateOptions tInstantiate(tOptions);
                JS::RootedScript tScript(ptCx,
                                         JS::InstantiateGlobalStencil(ptCx, tInstantiate, ptEntry->_tStencil.get()));
                bOK = tScript && JS_ExecuteScript(ptCx, tScript, &tResult);
            }
        } else {
            JS::SourceText<char16_t> tSource;
            bOK = tSource.init(ptCx, mpwsfScript ? mpwsfScript : u"", mnLen, JS::SourceOwnership::Borrowed) &&
                  JS::Evaluate(ptCx, tOptions, tSource, &tResult);
        }
        if (!bOK)
            ReportFailure(_ptEngine, mrtNotifier, pszFile, uLine);
        else if (mptResult)
            *mptResult = KxwJsval::FromRawBits(tResult.get().asRawBits());
    }
    mrtNotifier.OnEvaluationEnd(bOK);
    return bOK;
}

bool KxwHswApi::NewVariablesObject(KxwJsval& mrtVarObj) {
    mrtVarObj.SetUndefined();
    if (!_ptEngine) return false;
    JSContext* ptCx = _ptEngine->GetContext();
    JS::RootedObject tVarObj(ptCx, JS::NewJSMEnvironment(ptCx));
    if (!tVarObj) {
        JS_ClearPendingException(ptCx);
        return false;
    }
    mrtVarObj.SetObject(tVarObj);
    return true;
}

bool KxwHswApi::EvaluateInVariablesObject(KxwJswScriptEvaluationNotifier& mrtNotifier, const KxwJsval& mrtVarObj,
                                          KxwJswUserObjBase* mptScope, const char16_t* mpwsfScript, size_t mnLen,
                                          const char* mpszFile, unsigned muFirstLine,
                                          KxwJswUserObjBase* mptInitiator) {
    JSObject* ptVarObj = mrtVarObj.GetRawObject();
    if (!_ptEngine || !ptVarObj || !JS::IsJSMEnvironment(ptVarObj) || (!mpwsfScript && mnLen > 0)) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid engine=%p, variables object=%p or script=%p in "
                                              "KxwHswApi::EvaluateInVariablesObject",
                                              static_cast<void*>(_ptEngine), static_cast<void*>(ptVarObj),
                                              static_cast<const void*>(mpwsfScript));
        return false;
    }
    const char* pszFile = mpszFile ? mpszFile : "";
    unsigned uLine = muFirstLine ? muFirstLine : 1;
    JSContext* ptCx = _ptEngine->GetContext();
    bool bOK = false;
    {
        KxwJswEngine::EvaluationScope tScope(_ptEngine, mptInitiator, mptScope);
        mrtNotifier.OnEvaluationStart();
        JS::CompileOptions tOptions(ptCx);
        tOptions.setFileAndLine(pszFile, uLine);
        tOptions.setNonSyntacticScope(true);
        JS::SourceText<char16_t> tSource;
        JS::RootedScript tScript(ptCx);
        if (tSource.init(ptCx, mpwsfScript ? mpwsfScript : u"", mnLen, JS::SourceOwnership::Borrowed))
            tScript = JS::Compile(ptCx, tOptions, tSource);
        JS::RootedObject tVarObj(ptCx, ptVarObj);
        if (tScript && mptScope) {
            JS::RootedObjectVector tTargets(ptCx);
            JSObject* ptScopeObj = mptScope->GetJsiObj();
            bOK = ptScopeObj && tTargets.append(ptScopeObj) && JS::ExecuteInJSMEnvironment(ptCx, tScript, tVarObj, tTargets);
        } else if (tScript) {
            bOK = JS::ExecuteInJSMEnvironment(ptCx, tScript, tVarObj);
        }
        if (!bOK) ReportFailure(_ptEngine, mrtNotifier, pszFile, uLine);
    }
    mrtNotifier.OnEvaluationEnd(bOK);
    return bOK;
}

bool KxwHswApi::Compile(KxwJswScriptEvaluationNotifier& mrtNotifier, const char16_t* mpwsfScript, size_t mnLen,
                        const char* mpszFile, unsigned muFirstLine, bool mbUseCache) {
    if (!_ptEngine || (!mpwsfScript && mnLen > 0)) return false;
    const char* pszFile = mpszFile ? mpszFile : "";
    unsigned uLine = muFirstLine ? muFirstLine : 1;
    JSContext* ptCx = _ptEngine->GetContext();
    KxwJswEngine::EvaluationScope tScope(_ptEngine);
    JS::CompileOptions tOptions(ptCx);
    tOptions.setFileAndLine(pszFile, uLine);
    JS::RootedScript tScript(ptCx);
    if (mbUseCache) {
        std::shared_ptr<KxwJswScriptCache::Entry> ptEntry =
            KxwJswScriptCache::Instance().Obtain(ptCx, mpwsfScript ? mpwsfScript : u"", mnLen, pszFile, uLine);
        JS::InstantiateOptions tInstantiate(tOptions);
        if (ptEntry) tScript = JS::InstantiateGlobalStencil(ptCx, tInstantiate, ptEntry->_tStencil.get());
    } else {
        JS::SourceText<char16_t> tSource;
        if (tSource.init(ptCx, mpwsfScript ? mpwsfScript : u"", mnLen, JS::SourceOwnership::Borrowed))
            tScript = JS::Compile(ptCx, tOptions, tSource);
    }
    if (!tScript) ReportFailure(_ptEngine, mrtNotifier, pszFile, uLine);
    return tScript != nullptr;
}

bool KxwHswApi::CompileFunction(KxwJswScriptEvaluationNotifier& mrtNotifier, KxwJswUserObjBase* const* mpatScopes,
                                size_t mnScopes, const char* mpszName, const char16_t* mpwsfBody, size_t mnLen,
                                const char* mpszFile, unsigned muFirstLine, KxwJsval& mrtFunction) {
    mrtFunction.SetUndefined();
    if (!_ptEngine || (!mpwsfBody && mnLen > 0) || (!mpatScopes && mnScopes > 0) || !mpszName) return false;
    const char* pszFile = mpszFile ? mpszFile : "";
    unsigned uLine = muFirstLine ? muFirstLine : 1;
    JSContext* ptCx = _ptEngine->GetContext();
    KxwJswEngine::EvaluationScope tScope(_ptEngine, nullptr, mnScopes ? mpatScopes[0] : nullptr);
    JS::RootedObjectVector tEnvChain(ptCx);
    bool bOK = true;
    for (size_t n = 0; bOK && n < mnScopes; ++n) {
        JSObject* ptObj = mpatScopes[n] ? mpatScopes[n]->GetJsiObj() : nullptr;
        bOK = ptObj && tEnvChain.append(ptObj);
    }
    JS::CompileOptions tOptions(ptCx);
    tOptions.setFileAndLine(pszFile, uLine);
    JS::SourceText<char16_t> tSource;
    JS::RootedFunction tFunction(ptCx);
    if (bOK && tSource.init(ptCx, mpwsfBody ? mpwsfBody : u"", mnLen, JS::SourceOwnership::Borrowed))
        tFunction = JS::CompileFunction(ptCx, tEnvChain, tOptions, mpszName, 0, nullptr, tSource);
    if (!tFunction) {
        if (JS_IsExceptionPending(ptCx)) ReportFailure(_ptEngine, mrtNotifier, pszFile, uLine);
        return false;
    }
    mrtFunction = KxwJsval::FromRawBits(JS::ObjectValue(*JS_GetFunctionObject(tFunction)).asRawBits());
    return true;
}

bool KxwHswApi::EvaluateUtf8(KxwJswScriptEvaluationNotifier& mrtNotifier, KxwJswUserObjBase* mptScope,
                             const char* mpsfScript, size_t mnLen, const char* mpszFile, unsigned muFirstLine,
                             KxwJsval* mptResult, bool mbUseCache, KxwJswUserObjBase* mptInitiator) {
    if (!_ptEngine) return false;
    JSContext* ptCx = _ptEngine->GetContext();
    JS::UniqueTwoByteChars pwcText(
        JS::UTF8CharsToNewTwoByteCharsZ(ptCx, JS::UTF8Chars(mpsfScript ? mpsfScript : "", mpsfScript ? mnLen : 0),
                                        &mnLen, js::MallocArena)
            .get());
    if (!pwcText) {
        JS_ClearPendingException(ptCx);
        return false;
    }
    return Evaluate(mrtNotifier, mptScope, pwcText.get(), mnLen, mpszFile, muFirstLine, mptResult, mbUseCache,
                    mptInitiator);
}

bool KxwHswApi::CallFunctionByName(KxwJswScriptEvaluationNotifier& mrtNotifier, const char* mpszName,
                                   KxwJswUserObjBase* mptThisObj, int miArgc, const KxwJsval* mpatArgv,
                                   KxwJsval* mptResult) {
    if (!mpszName) {
        if (mptResult) mptResult->SetUndefined();
        return false;
    }
    return CallFunction(mrtNotifier, mpszName, nullptr, mptThisObj, miArgc, mpatArgv, mptResult);
}

bool KxwHswApi::CallFunctionValue(KxwJswScriptEvaluationNotifier& mrtNotifier, const KxwJsval& mrtFunction,
                                  KxwJswUserObjBase* mptThisObj, int miArgc, const KxwJsval* mpatArgv,
                                  KxwJsval* mptResult) {
    return CallFunction(mrtNotifier, nullptr, &mrtFunction, mptThisObj, miArgc, mpatArgv, mptResult);
}

bool KxwHswApi::CallFunction(KxwJswScriptEvaluationNotifier& mrtNotifier, const char* mpszName,
                             const KxwJsval* mptFunction, KxwJswUserObjBase* mptThisObj, int miArgc,
                             const KxwJsval* mpatArgv, KxwJsval* mptResult) {
    if (mptResult) mptResult->SetUndefined();
    if (!_ptEngine || miArgc < 0 || (miArgc > 0 && !mpatArgv)) return false;
    JSContext* ptCx = _ptEngine->GetContext();
    bool bOK = false;
    {
        KxwJswEngine::EvaluationScope tScope(_ptEngine, mptThisObj);
        mrtNotifier.OnEvaluationStart();
        JS::RootedObject tThis(ptCx);
        JS::RootedValueVector tArgs(ptCx);
        JS::RootedValue tResult(ptCx);
        bOK = ThisObject(_ptEngine, mptThisObj, &tThis);
        for (int n = 0; bOK && n < miArgc; ++n) bOK = tArgs.append(JS::Value::fromRawBits(mpatArgv[n].GetRawBits()));
        if (mptFunction) {
            JS::RootedValue tFunction(ptCx, JS::Value::fromRawBits(mptFunction->GetRawBits()));
            bOK = bOK && JS_CallFunctionValue(ptCx, tThis, tFunction, tArgs, &tResult);
        } else {
            bOK = bOK && JS_CallFunctionName(ptCx, tThis, mpszName, tArgs, &tResult);
        }
        if (!bOK)
            ReportFailure(_ptEngine, mrtNotifier, mpszName ? mpszName : "function", 0);
        else if (mptResult)
            *mptResult = KxwJsval::FromRawBits(tResult.get().asRawBits());
    }
    mrtNotifier.OnEvaluationEnd(bOK);
    return bOK;
}

bool KxwHswApi::ConvertToU16nString(void* mpvValue, KXW_JSW_OBJ_PROP_TYPE_ENUM meType, std::u16string& mrdsResult) {
    mrdsResult.clear();
    if (!_ptEngine) return false;
    JSContext* ptCx = _ptEngine->GetContext();
    JS::RootedValue tValue(ptCx);
    if (!TripleToValue(ptCx, mpvValue, 0, meType, &tValue) || !ValueToU16(ptCx, tValue, mrdsResult)) {
        JS_ClearPendingException(ptCx);
        return false;
    }
    return true;
}

bool KxwHswApi::GetCurrentScriptPosition(std::string* mpdsFile, unsigned* mpuLine) {
    KxwJswEngine* ptEngine = KxwJswEngine::Current();
    if (!ptEngine) return false;
    JS::AutoFilename tFile;
    unsigned uLine = 0;
    if (!JS::DescribeScriptedCaller(ptEngine->GetContext(), &tFile, &uLine)) return false;
    if (mpdsFile) *mpdsFile = tFile.get() ? tFile.get() : "";
    if (mpuLine) *mpuLine = uLine;
    return true;
}
