// The library's process-wide entry: global initialisation and termination, and the reporting functions.
#include <cstring>

#include "KxwDomActiveX.h"
#include "KxwDomHtmlElementApplet.h"
#include "KxwDomInterfaceNames.h"
#include "KxwLayoutMgr.h"
#include "KxwUtilReport.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwJswProcess.h"
#include "kxw/KxwObjMgr.h"

KxwEnvCfg xtKxwEnvCfg;

int xfiKxwObjMgrGlobalInit(const KxwEnvCfg* mptEnvCfg) {
    if (!mptEnvCfg) return -1;
    xtKxwEnvCfg = *mptEnvCfg;
    if (!xtKxwEnvCfg._ptInitialRTS) {
        if (xtKxwEnvCfg._pfvMessage)
            xtKxwEnvCfg._pfvMessage(0x12, 0, "xfiKxwObjMgrGlobalInit", 57, "", 0, -26000,
                                    "xtKxwEnvCfg->_ptInitialRTS is NULL in xfiKxwObjMgrGlobalInit");
        else
            xfvKxwUtilReportInternalError("xtKxwEnvCfg->_ptInitialRTS is NULL in xfiKxwObjMgrGlobalInit");
        return -1;
    }
    // The Java VM comes first: its signal handlers are in place before the script engine chains its own to them.
    if (!KxwDomHtmlElementApplet::GlobalInit(*xtKxwEnvCfg._ptInitialRTS)) {
        if (xtKxwEnvCfg._pfvMessage)
            xtKxwEnvCfg._pfvMessage(0x12, 0, "xfiKxwObjMgrGlobalInit", 68, "", 0, -26000,
                                    "KxwDomHtmlElementApplet::GlobalInit failed");
        return -1;
    }
    // The script engine of the process: every virtual user's context shares its parent runtime.
    if (!KxwJswProcess::Init()) {
        if (xtKxwEnvCfg._pfvMessage)
            xtKxwEnvCfg._pfvMessage(0x12, 0, "xfiKxwObjMgrGlobalInit", __LINE__, "", 0, -26000,
                                    "The script engine could not be started in xfiKxwObjMgrGlobalInit");
        return -1;
    }
    xfvKxwDomRegisterInterfaceNames();
    // The classes pages may create and new ActiveXObject.
    xfvKxwDomActiveXGlobalInit();
    // The recorded layout of the virtual users' folder; without one the layout path is skipped.
    KxwLayoutMgr::Init(xtKxwEnvCfg);
    return 0;
}

void xfvKxwObjMgrGlobalTerm() {
    KxwDomHtmlElementApplet::GlobalDestroy();
    KxwLayoutMgr::Term();
    KxwJswProcess::ShutdownForGood();
}

void KxwObjMgr::SetWtlFuncs(bool (*mpfSevFilter)(KXW_WTL_SEV_LVL_ENUM),
                            void (*mpfMessageSink)(KXW_WTL_SEV_LVL_ENUM, int, const char*, const char*, int)) {
    xfvKxwUtilSetWtlFuncs(mpfSevFilter, mpfMessageSink);
}
