// The fixture of the wrapper's tests: one virtual user's engine for the test's thread, with helpers to run scripts
// and name objects in the current global.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "KxwJswTestClasses.h"

class KxwJswTest : public ::testing::Test {
protected:
    void SetUp() override {
        _ptEngine = KxwJswEngine::Create(EngineOptions());
        ASSERT_NE(nullptr, _ptEngine);
        _ptApi = new KxwHswApi(_ptEngine);
        KxwTestCounts::Live() = 0;
    }
    void TearDown() override {
        delete _ptApi;
        delete _ptEngine;
        EXPECT_EQ(0, KxwTestCounts::Live()) << "test objects outlived the engine";
    }
    virtual KxwJswEngineOptions EngineOptions() const { return KxwJswEngineOptions(); }

    // The completion value as scripts print it, or "ERROR: message" when the script failed.
    std::string Eval(const std::string& mdsScript, unsigned muLine = 1) {
        KxwTestNotifier tNotifier;
        KxwJsval tResult;
        bool bOK =
            _ptApi->EvaluateUtf8(tNotifier, nullptr, mdsScript.data(), mdsScript.size(), "test.js", muLine, &tResult);
        _dsLastError = tNotifier._dsError;
        _uLastErrorLine = tNotifier._uLine;
        _bLastInterrupted = tNotifier._bInterrupted;
        if (!bOK) return "ERROR: " + tNotifier._dsError;
        return tResult.GetStringUtf8();
    }

public:
    // The same, for helpers outside the fixture.
    std::string EvalHere(const std::string& mdsScript) { return Eval(mdsScript); }

protected:

    // Names an object in the global of the realm entered now.
    void SetGlobal(const char* mpszName, KxwJswUserObjBase* mptUserObj) {
        KxwJsval tGlobal;
        tGlobal.SetObject(_ptEngine->GetCurrentGlobal()->GetObject());
        KxwJsval tValue;
        ASSERT_TRUE(tValue.SetDomObject(mptUserObj));
        ASSERT_TRUE(tGlobal.SetProperty(mpszName, tValue));
    }

    KxwJswEngine* _ptEngine = nullptr;
    KxwHswApi* _ptApi = nullptr;
    std::string _dsLastError;
    unsigned _uLastErrorLine = 0;
    bool _bLastInterrupted = false;
};
