// The bracket around every evaluation of a page's code: script elements, handlers, timers, javascript: URLs and
// user actions. While it is open, relative URLs in the code resolve against the document that runs it, window
// closes asked for by the code wait, and scripts that became ready wait too; when the outermost evaluation of that
// document ends, the closes are carried out and the waiting scripts run, in their order.
//
// It lives on the stack of the code that evaluates and is handed to the script wrapper, which calls its start and
// end around the evaluation. A bracket built with mbScriptEvaluation false (a user action) holds the closes but does
// not count as a script running in the document.
#pragma once

#include <string>

#include "KxwDomWatchDelete.h"
#include "kxw/KxwHswApi.h"

class KxwDomHtmlDocument;
class KxwDomHtmlTopWindow;
class KxwDomNodeBase;
class KxwObjMgr;

class KxwDomScriptEvaluationNotifier : public KxwJswScriptEvaluationNotifier {
public:
    KxwDomScriptEvaluationNotifier(const char* mpszDescription, KxwDomNodeBase* mptInitiatorObject,
                                   bool mbScriptEvaluation);
    ~KxwDomScriptEvaluationNotifier() override;
    KxwDomScriptEvaluationNotifier(const KxwDomScriptEvaluationNotifier&) = delete;
    KxwDomScriptEvaluationNotifier& operator=(const KxwDomScriptEvaluationNotifier&) = delete;

    void OnEvaluationStart() override;
    void OnEvaluationEnd(bool mbOK) override;

    bool HasError() const { return _bError; }
    bool HasEvaluationStarted() const { return _bEvaluationStarted; }
    bool HasEvaluationEnded() const { return _bEvaluationEnded; }
    // The document and top window the code runs for, while they live.
    KxwDomHtmlDocument* GetInitiatorDocument() const;
    KxwDomHtmlTopWindow* GetInitiatorTopWindow() const;

private:
    void RaiseCounters();
    void LowerCounters();
    // Closes the first window (a top window's modal dialog, its modeless one, or itself) that asked to close and is
    // no longer protected, and starts over, until none is left.
    void CarryOutDeferredCloses();
    // The scripts of the document that became ready while code ran: first those with a source, then the deferred
    // ones once the page's first processing has ended.
    void EvaluatePendingScripts();

    std::string _dsSavedInitiatorBaseUrl;
    KxwDomWatchDelete _tWatchInitiatorDocument;
    KxwDomWatchDelete _tWatchInitiatorTopWindow;
    KxwObjMgr* _ptObjMgr = nullptr;
    const char* _pszDescription;
    KxwDomHtmlDocument* _ptInitiatorDocument = nullptr;
    KxwDomHtmlTopWindow* _ptInitiatorTopWindowOrNULL = nullptr;
    bool _bEvaluationStarted = false;
    bool _bEvaluationEnded = false;
    bool _bError = false;
    bool _bScriptEvaluation;
};
