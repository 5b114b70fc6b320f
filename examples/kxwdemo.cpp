// Embeds the library the way the replay engine does, with nothing but the public headers: initialise it once for
// the process, install the reporting functions, give a thread a virtual user's block and script engine, and let the
// library answer through them. The status is non-zero when an answer is not the one shown.
#include <cstdio>
#include <cstring>
#include <string>

#include "kxw/KxwDomCommonEnums.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwHswApi.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwJswEngine.h"
#include "kxw/KxwObjMgr.h"
#include "kxw/KxwVUserVars.h"
#include "kxw/KxwiRunTimeSettings.h"

namespace {

int giMessages = 0;

void PrintMessage(KXW_WTL_SEV_LVL_ENUM meSevLvl, int miMsgId, const char* mpszText, const char* mpszFunction, int) {
    ++giMessages;
    std::printf("  message  level=%d id=%d from=%s: %s\n", meSevLvl, miMsgId, *mpszFunction ? mpszFunction : "-",
                mpszText);
}

bool IssueAllButTraces(KXW_WTL_SEV_LVL_ENUM meSevLvl) {
    return meSevLvl != KXW_WTL_SEV_LVL_ENUM_NONE;
}

}  // namespace

int main() {
    KxwiRunTimeSettings tInitialRTS;
    KxwEnvCfg tEnvCfg;
    tEnvCfg._ptInitialRTS = &tInitialRTS;
    if (xfiKxwObjMgrGlobalInit(&tEnvCfg) != 0) {
        std::fprintf(stderr, "kxwdemo: global initialisation failed\n");
        return 1;
    }
    KxwObjMgr::SetWtlFuncs(&IssueAllButTraces, &PrintMessage);
    std::printf("library initialised\n");

    KxwVUserVars tVUser(1);
    tVUser.GetRTS() = tInitialRTS;
    KxwVUserVarsThreadBinding tBinding(&tVUser);
    std::printf("virtual user %d bound to this thread; browser major type %d (%s)\n", tVUser.GetVUserId(),
                xfeKxwDomUtilGetMajorBrowserType(), xfbKxwDomUtilIsIE() ? "Internet Explorer" : "Netscape");
    int iFailures = 0;
    if (xfptKxwDomUtilGetRTS() != &tVUser.GetRTS()) ++iFailures;

    const char* apszWidths[] = {"  +42", "42px", "42%", "2147483648"};
    const int aiExpectedWidths[] = {42, KXW_HTML_NUMBER_NONE, 42, KXW_HTML_NUMBER_NONE};
    for (size_t n = 0; n < sizeof apszWidths / sizeof apszWidths[0]; ++n) {
        int iWidth =
            xfliKxwDomUtilGetHtmlNumberOrLongMax(apszWidths[n], static_cast<unsigned>(std::strlen(apszWidths[n])));
        std::printf("width \"%s\" reads as %d\n", apszWidths[n], iWidth);
        if (iWidth != aiExpectedWidths[n]) ++iFailures;
    }
    std::printf("subtype 24 prints as %s\n", xfpszKxwDomGetNodeSubtypeText(24));

    {
        // The virtual user's script engine, as the object manager makes it.
        KxwJswEngineOptions tOptions;
        tOptions._uScriptTimeLimitMs = tVUser.GetRTS().GetScriptTimeLimitMs();
        KxwJswEngine* ptEngine = KxwJswEngine::Create(tOptions);
        if (ptEngine) {
            {
                KxwHswApi tApi(ptEngine);
                tVUser.SetHswApi(&tApi);
                KxwJswScriptEvaluationNotifier tNotifier;
                const char kszScript[] =
                    "var items = ['a', 'b', 'c']; items.map(function (s) { return s.toUpperCase(); }).join('-')";
                KxwJsval tResult;
                std::string dsResult;
                if (tApi.EvaluateUtf8(tNotifier, nullptr, kszScript, sizeof kszScript - 1, "demo.js", 1, &tResult))
                    dsResult = tResult.GetStringUtf8();
                std::printf("script in the virtual user's engine gave \"%s\"\n", dsResult.c_str());
                if (dsResult != "A-B-C") ++iFailures;
                // A page's endless loop is stopped at the time limit instead of hanging the virtual user.
                ptEngine->SetScriptTimeLimitMs(300);
                const char kszLoop[] = "while (true) {}";
                bool bOK = tApi.EvaluateUtf8(tNotifier, nullptr, kszLoop, sizeof kszLoop - 1, "loop.js", 1);
                std::printf("an endless loop %s\n", bOK ? "was not stopped" : "was stopped after 300 ms");
                if (bOK) ++iFailures;
            }
            tVUser.SetHswApi(nullptr);
            delete ptEngine;
        } else {
            ++iFailures;
        }
    }

    std::printf("reporting a catalogued message for the script's author:\n");
    xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, -26000, "main", __LINE__,
                                        "a notice from the demo");
    std::printf("%d message(s) reached the sink\n", giMessages);
    if (giMessages != 2) ++iFailures;  // the stopped loop and the notice

    xfvKxwObjMgrGlobalTerm();
    std::printf("library terminated\n");
    if (iFailures) std::printf("%d answer(s) were not as shown\n", iFailures);
    return iFailures ? 1 : 0;
}
