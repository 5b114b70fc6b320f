#include "KxwDomSiteForActiveX.h"

#include <cstring>
#include <new>

#include "KxwUtilReport.h"

namespace {

// Names beyond this share the last id: their calls are refused all the same, reported under the first of them.
constexpr size_t knMaxMembers = 256;
constexpr size_t knMaxNameLen = 100;

}  // namespace

KxwAutoRef<KxwDomSiteForActiveX> KxwDomSiteForActiveX::Create() {
    auto* ptSite = new (std::nothrow) KxwDomSiteForActiveX();
    if (!ptSite) KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwDomSiteForActiveX)), "KxwDomSiteForActiveX");
    return KxwAutoRef<KxwDomSiteForActiveX>::Adopt(ptSite);
}

bool KxwDomSiteForActiveX::FindMember(const char* mpszName, KxwAutoMember& mrtMember) {
    if (!mpszName) return false;
    mrtMember._eKind = KXW_AUTO_MEMBER_METHOD;
    for (size_t n = 0; n < _tMembers.size(); ++n) {
        if (xfbKxwAutoNameEquals(_tMembers[n]._dsName.c_str(), mpszName)) {
            mrtMember._iId = static_cast<int32_t>(n);
            return true;
        }
    }
    if (_tMembers.size() >= knMaxMembers) {
        mrtMember._iId = static_cast<int32_t>(knMaxMembers - 1);
        return true;
    }
    Member tMember;
    tMember._dsName.assign(mpszName, strnlen(mpszName, knMaxNameLen));
    _tMembers.push_back(std::move(tMember));
    mrtMember._iId = static_cast<int32_t>(_tMembers.size() - 1);
    return true;
}

KxwAutoResult KxwDomSiteForActiveX::NotImplemented(int32_t miId) {
    if (miId < 0 || static_cast<size_t>(miId) >= _tMembers.size()) return KXW_AUTO_E_MEMBERNOTFOUND;
    Member& rtMember = _tMembers[static_cast<size_t>(miId)];
    _dsError = "calling method " + rtMember._dsName + " in class KxwDomSiteForActiveX is not implemented";
    if (!rtMember._bReported) {
        rtMember._bReported = true;
        // The name comes from a control, never from the page; it is bounded all the same.
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_WARNING, "%s", _dsError.c_str());
    }
    return KXW_AUTO_E_NOTIMPL;
}

KxwAutoResult KxwDomSiteForActiveX::Get(int32_t miId, KxwAutoValue& mrtResult) {
    mrtResult = KxwAutoValue();
    return NotImplemented(miId);
}

KxwAutoResult KxwDomSiteForActiveX::Put(int32_t miId, const KxwAutoValue& mrtValue) {
    (void)mrtValue;
    return NotImplemented(miId);
}

KxwAutoResult KxwDomSiteForActiveX::Call(int32_t miId, const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    (void)mrtArgs;
    mrtResult = KxwAutoValue();
    return NotImplemented(miId);
}
