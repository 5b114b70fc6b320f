// Script evaluation for one virtual user: evaluate a text in a window's global or with an object's scope, call a
// function by name or by value, and turn values into text. A script error is reported with its message and line at
// the script-error level and handed to the notifier; it never escapes as an exception.
#pragma once

#include <cstddef>
#include <string>

#include "kxw/KxwExport.h"
#include "kxw/KxwJswTypes.h"

class KxwJswEngine;
class KxwJsval;

// Told of the course of an evaluation; the library's subclass follows script elements and handlers.
class KXW_API KxwJswScriptEvaluationNotifier {
public:
    virtual ~KxwJswScriptEvaluationNotifier() = default;
    virtual void OnEvaluationStart() {}
    // A script error, its message and where it happened (file and line as the caller gave them).
    virtual void OnScriptError(const char* /*mpszMessage*/, const char* /*mpszFile*/, unsigned /*muLine*/) {}
    // The evaluation was stopped for running longer than allowed.
    virtual void OnInterrupted() {}
    virtual void OnEvaluationEnd(bool /*mbOK*/) {}
};

class KXW_API KxwHswApi {
public:
    explicit KxwHswApi(KxwJswEngine* mptEngine);

    // Evaluates a script. mptScope, when given, is the object whose engine object heads the scope chain (event
    // handler attributes); the global follows. The result, when asked for, is the completion value. The text is
    // compiled through the process-wide cache when mbUseCache is true.
    bool Evaluate(KxwJswScriptEvaluationNotifier& mrtNotifier, KxwJswUserObjBase* mptScope, const char16_t* mpwsfScript,
                  size_t mnLen, const char* mpszFile, unsigned muFirstLine, KxwJsval* mptResult = nullptr,
                  bool mbUseCache = true, KxwJswUserObjBase* mptInitiator = nullptr);
    bool EvaluateUtf8(KxwJswScriptEvaluationNotifier& mrtNotifier, KxwJswUserObjBase* mptScope, const char* mpsfScript,
                      size_t mnLen, const char* mpszFile, unsigned muFirstLine, KxwJsval* mptResult = nullptr,
                      bool mbUseCache = true, KxwJswUserObjBase* mptInitiator = nullptr);

    // Compiles a script for this virtual user without running it (from the shared cache when mbUseCache); false
    // with the error reported when it does not compile. A later Evaluate of the same text finds it cached.
    bool Compile(KxwJswScriptEvaluationNotifier& mrtNotifier, const char16_t* mpwsfScript, size_t mnLen,
                 const char* mpszFile, unsigned muFirstLine, bool mbUseCache = true);

    // Compiles a text as the body of a function named mpszName without parameters (event handlers), whose scope
    // chain is the objects given, innermost first, then the global of the realm entered; false with the error
    // reported. The function is made in that realm.
    bool CompileFunction(KxwJswScriptEvaluationNotifier& mrtNotifier, KxwJswUserObjBase* const* mpatScopes,
                         size_t mnScopes, const char* mpszName, const char16_t* mpwsfBody, size_t mnLen,
                         const char* mpszFile, unsigned muFirstLine, KxwJsval& mrtFunction);

    // A new object to hold the variables and functions of a set of scripts apart from the global's (a behaviour
    // file's); null-valued on failure. Made in the realm entered.
    bool NewVariablesObject(KxwJsval& mrtVarObj);
    // Evaluates a script whose var and function declarations go to mrtVarObj (from NewVariablesObject); names
    // resolve through mptScope first when given, then the variables object, then the global.
    bool EvaluateInVariablesObject(KxwJswScriptEvaluationNotifier& mrtNotifier, const KxwJsval& mrtVarObj,
                                   KxwJswUserObjBase* mptScope, const char16_t* mpwsfScript, size_t mnLen,
                                   const char* mpszFile, unsigned muFirstLine, KxwJswUserObjBase* mptInitiator = nullptr);

    // Calls the function property mpszName of mptThisObj (the global when null).
    bool CallFunctionByName(KxwJswScriptEvaluationNotifier& mrtNotifier, const char* mpszName,
                            KxwJswUserObjBase* mptThisObj, int miArgc, const KxwJsval* mpatArgv,
                            KxwJsval* mptResult = nullptr);
    // Calls a function value (listeners, timers) with mptThisObj as this (the global when null).
    bool CallFunctionValue(KxwJswScriptEvaluationNotifier& mrtNotifier, const KxwJsval& mrtFunction,
                           KxwJswUserObjBase* mptThisObj, int miArgc, const KxwJsval* mpatArgv,
                           KxwJsval* mptResult = nullptr);

    // The string form of a value triple, as String(value) gives it.
    bool ConvertToU16nString(void* mpvValue, KXW_JSW_OBJ_PROP_TYPE_ENUM meType, std::u16string& mrdsResult);

    // Where the running script is: its file and line; false when no script runs.
    static bool GetCurrentScriptPosition(std::string* mpdsFile, unsigned* mpuLine);

    KxwJswEngine* GetEngine() const { return _ptEngine; }

private:
    // Calls a function by name (mptFunction null) or by value.
    bool CallFunction(KxwJswScriptEvaluationNotifier& mrtNotifier, const char* mpszName, const KxwJsval* mptFunction,
                      KxwJswUserObjBase* mptThisObj, int miArgc, const KxwJsval* mpatArgv, KxwJsval* mptResult);
    KxwJswEngine* _ptEngine;
};
