#include "KxwLayoutMgr.h"

#include <cstring>

#include "KxwConfig.h"
#include "KxwDomBase.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwObjMgr.h"

namespace {

constexpr size_t kPrintedKeyLen = 127;
constexpr size_t kPrintedStepLen = 128;
constexpr size_t kPrintedValueLen = 512;

}  // namespace

KxwLayoutMgr& KxwLayoutMgr::Instance() {
    static KxwLayoutMgr tInstance;
    return tInstance;
}

void KxwLayoutMgr::Init(const KxwEnvCfg& mrtEnvCfg) {
    Term();
    KxwLayoutMgr& rtThis = Instance();
    const char* pszDir = mrtEnvCfg._pfpszGetVUserAttribute
                             ? mrtEnvCfg._pfpszGetVUserAttribute(mrtEnvCfg._pvContext, "kx_usr_dir")
                             : nullptr;
    int iRes = -1;
    rtThis._ptConfig = new_config();
    if (pszDir && *pszDir) {
        rtThis._dsPath = pszDir;
        if (rtThis._dsPath.back() != '/') rtThis._dsPath += '/';
        rtThis._dsPath += "layout.dat";
        iRes = config_add_ini_file_source(rtThis._ptConfig, rtThis._dsPath.c_str());
    }
    rtThis._bEmpty = config_get_number_of_entries(rtThis._ptConfig) == 0;
    if (xfbKxwTraceEnabled()) {
        xfvKxwUtilReportTraceToFile(
            "KxwLayoutMgr::Init this=%p, res=%d, _bEmpty=%d, path=%.2000s", static_cast<void*>(&rtThis), iRes,
            rtThis._bEmpty ? 1 : 0,
            KxwDomBase::GetPrintableText(rtThis._dsPath.data(), rtThis._dsPath.size(), 2000).c_str());
        for (const std::string& rdsProblem : rtThis._ptConfig->GetProblems())
            xfvKxwUtilReportTraceToFile(
                "KxwLayoutMgr::Init: %.2000s",
                KxwDomBase::GetPrintableText(rdsProblem.data(), rdsProblem.size(), 2000).c_str());
    }
}

void KxwLayoutMgr::Term() {
    KxwLayoutMgr& rtThis = Instance();
    delete_config(rtThis._ptConfig);
    rtThis._ptConfig = nullptr;
    rtThis._dsPath.clear();
    rtThis._bEmpty = true;
}

const char* KxwLayoutMgr::GetLayoutValue(const std::string& mrdsKey) {
    KxwLayoutMgr& rtThis = Instance();
    if (rtThis._bEmpty) return nullptr;
    KxwObjMgr* ptObjMgr = xfptKxwDomUtilGetObjMgr("KxwLayoutMgr::GetLayoutValue");
    if (!ptObjMgr) return nullptr;
    std::string dsAttrib = mrdsKey + "." + std::to_string(ptObjMgr->NextLayoutKeyUse(mrdsKey));
    const std::string& rdsStep = ptObjMgr->GetLayoutStepName();
    const char* pszValue = config_get_attrib_val(rtThis._ptConfig, rdsStep.c_str(), dsAttrib.c_str());
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile(
            "KxwLayoutMgr::GetLayoutValue: [%.128s] %.1000s is %s",
            KxwDomBase::GetPrintableText(rdsStep.data(), rdsStep.size(), kPrintedStepLen).c_str(),
            KxwDomBase::GetPrintableText(dsAttrib.data(), dsAttrib.size(), 1000).c_str(), pszValue ? "set" : "not set");
    if (xfbKxwUtilIsSevLvlEnabled(KXW_WTL_SEV_LVL_ENUM_NOTICE)) {
        // Keys carry the page's tag names and values come from a file: both are escaped for the log line.
        std::string dsValue = !pszValue ? std::string("[NULL]")
                              : !*pszValue
                                  ? std::string("[Empty]")
                                  : KxwDomBase::GetPrintableText(pszValue, std::strlen(pszValue), kPrintedValueLen);
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE, "Layout entry %.127s of step %.128s returned %.512s",
                                 KxwDomBase::GetPrintableText(dsAttrib.data(), dsAttrib.size(), kPrintedKeyLen).c_str(),
                                 KxwDomBase::GetPrintableText(rdsStep.data(), rdsStep.size(), kPrintedStepLen).c_str(),
                                 dsValue.c_str());
    }
    return pszValue;
}
