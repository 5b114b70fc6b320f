// What the browsing tests share: a virtual user with its script engine and object manager on the test's thread,
// the test standing in for the engine (it hears the notifications and drives the DOM commands of a page load
// itself), and small helpers to build pages and run scripts in a window.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlWindow.h"
#include "kxw/KxwDomCommand.h"
#include "kxw/KxwDomHtmlBuild.h"
#include "kxw/KxwHswApi.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwJswEngine.h"
#include "kxw/KxwJswGlobal.h"
#include "kxw/KxwObjMgr.h"
#include "kxw/KxwVUserVars.h"

class KxwBrowsingFixture : public ::testing::Test {
protected:
    void SetUp() override {
        _ptEngine = KxwJswEngine::Create();
        ASSERT_NE(nullptr, _ptEngine);
        _ptApi = new KxwHswApi(_ptEngine);
        _tVUser.SetHswApi(_ptApi);
        _ptBinding = new KxwVUserVarsThreadBinding(&_tVUser);
        _ptObjMgr = new KxwObjMgr(&_tVUser);
        _ptObjMgr->SetNotificationCallback(&KxwBrowsingFixture::OnNotification);
        Current() = this;
    }
    void TearDown() override {
        // Windows go while their script engine lives; the engine's own objects go back to the object manager's
        // memory, which goes last.
        _ptObjMgr->Cleanup();
        delete _ptApi;
        delete _ptEngine;
        delete _ptObjMgr;
        delete _ptBinding;
        Current() = nullptr;
    }

    // A notification the object manager passed on, as the engine would hear it.
    virtual void OnNotified(KXW_DOM_COMMON_NOTIFICATION_ENUM, void*, void*) {}

    // A script in the window's page: its value as a string, or "ERROR"; closes asked for meanwhile are done.
    std::string Eval(KxwDomHtmlWindow* mptWindow, const std::string& mdsScript) {
        KxwJswGlobal::RealmScope tRealm(mptWindow->GetGlobal());
        KxwJswScriptEvaluationNotifier tNotifier;
        KxwJsval tResult;
        if (!_ptApi->EvaluateUtf8(tNotifier, nullptr, mdsScript.data(), mdsScript.size(), "test.js", 1, &tResult))
            return "ERROR";
        _ptObjMgr->CarryOutDeferredCloses();
        return tResult.GetStringUtf8();
    }

    // The engine's part of a page load up to its parsing.
    KxwDomCommand* StartPage(KxwDomHtmlWindow* mptWindow, const std::string& mdsUrl) {
        KxwDomCommand* ptCommand = _ptObjMgr->ObtainDomCommand();
        EXPECT_TRUE(ptCommand->PrepareCommandReplaceWindow(mptWindow, true));
        EXPECT_EQ(mptWindow, ptCommand->ExecuteCommand(mdsUrl.data(), static_cast<unsigned>(mdsUrl.size()), nullptr,
                                                       0, nullptr, true, nullptr));
        ptCommand->OnTaskStartDownload();
        ptCommand->OnTaskStartHtmlParsing();
        return ptCommand;
    }
    void FinishPage(KxwDomCommand* mptCommand) {
        mptCommand->OnTaskEndHtmlParsing();
        mptCommand->OnTaskDownloadComplete(false, "", 0);
        _ptObjMgr->ReturnDomCommandForReuse(mptCommand);
    }
    void LoadPage(KxwDomHtmlWindow* mptWindow, const std::string& mdsUrl) { FinishPage(StartPage(mptWindow, mdsUrl)); }

    KxwDomNodeBase* Element(KxwDomHtmlDocument* mptDocument, const char* mpszTag, const char* mpszName = nullptr,
                            const char* mpszSrc = nullptr) {
        KxwDomNodeBase* ptElement = xfptKxwDomHtmlBuildAllocElement(mptDocument, mpszTag, std::strlen(mpszTag), false);
        if (mpszName) xfbKxwDomHtmlBuildSetAttribute(ptElement, "name", 4, mpszName, std::strlen(mpszName), true);
        if (mpszSrc) xfbKxwDomHtmlBuildSetAttribute(ptElement, "src", 3, mpszSrc, std::strlen(mpszSrc), true);
        return ptElement;
    }

    KxwJswEngine* _ptEngine = nullptr;
    KxwHswApi* _ptApi = nullptr;
    KxwVUserVars _tVUser;
    KxwVUserVarsThreadBinding* _ptBinding = nullptr;
    KxwObjMgr* _ptObjMgr = nullptr;

private:
    static KxwBrowsingFixture*& Current() {
        static thread_local KxwBrowsingFixture* tptCurrent = nullptr;
        return tptCurrent;
    }
    static void OnNotification(KXW_DOM_COMMON_NOTIFICATION_ENUM meType, void* mpvSubject, void* mpvExtra) {
        if (KxwBrowsingFixture* ptFixture = Current()) ptFixture->OnNotified(meType, mpvSubject, mpvExtra);
    }
};
