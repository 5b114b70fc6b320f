// Embeds the library the way the replay engine does: initialise it once for the process, install the reporting
// functions, give a thread a virtual user's block and memory, and let the library answer through them.
#include <cstdio>
#include <cstring>

#include "KxwMemMgr.h"
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

    {
        KxwMemBlkMgr tBlkMgr(16384, 100);
        KxwMemMgrGeneric tMemMgr(&tBlkMgr);
        for (int i = 0; i < 1000; ++i) tMemMgr.Alloc(static_cast<size_t>(32 + i % 200));
        std::printf("virtual user memory: %zu live blocks, %zu bytes, %zu pages of %u bytes\n",
                    tMemMgr.GetLiveBlockCount(), tMemMgr.GetLiveByteCount(), tBlkMgr.GetBlocksInUse(),
                    tBlkMgr.GetBlockSize());
    }

    const char* apszWidths[] = {"  +42", "42px", "42%", "2147483648"};
    for (const char* pszWidth : apszWidths)
        std::printf("width \"%s\" reads as %d\n", pszWidth,
                    xfliKxwDomUtilGetHtmlNumberOrLongMax(pszWidth, static_cast<unsigned>(std::strlen(pszWidth))));
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
                if (tApi.EvaluateUtf8(tNotifier, nullptr, kszScript, sizeof kszScript - 1, "demo.js", 1, &tResult))
                    std::printf("script in the virtual user's engine gave \"%s\"\n", tResult.GetStringUtf8().c_str());
                // A page's endless loop is stopped at the time limit instead of hanging the virtual user.
                ptEngine->SetScriptTimeLimitMs(300);
                const char kszLoop[] = "while (true) {}";
                bool bOK = tApi.EvaluateUtf8(tNotifier, nullptr, kszLoop, sizeof kszLoop - 1, "loop.js", 1);
                std::printf("an endless loop %s\n", bOK ? "was not stopped" : "was stopped after 300 ms");
            }
            tVUser.SetHswApi(nullptr);
            delete ptEngine;
        }
    }

    std::printf("reporting a catalogued message for the script's author:\n");
    xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_NOTICE, -26000, "main", __LINE__,
                                        "a notice from the demo");
    std::printf("%d message(s) reached the sink\n", giMessages);

    xfvKxwObjMgrGlobalTerm();
    std::printf("library terminated\n");
    return 0;
}
