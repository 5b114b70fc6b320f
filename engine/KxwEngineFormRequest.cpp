#include "KxwEngineFormRequest.h"

#include <cstring>

namespace {

bool HasSchemeNoCase(const std::string& mdsUrl, const char* mpszScheme) {
    size_t nLen = std::strlen(mpszScheme);
    if (mdsUrl.size() < nLen) return false;
    for (size_t n = 0; n < nLen; ++n) {
        char c = mdsUrl[n];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
        if (c != mpszScheme[n]) return false;
    }
    return true;
}

}  // namespace

KxwEngineFormRequest xftKxwEngineBuildFormRequest(const KxwEngineFormSubmission& mrtSubmission) {
    KxwEngineFormRequest tRequest;
    const std::string& rdsAction = mrtSubmission._dsAction;
    tRequest._dsUrl = rdsAction;
    if (HasSchemeNoCase(rdsAction, "javascript:")) {
        // The code is the request: neither a query nor a body is added to it.
        tRequest._eKind = KXW_ENGINE_FORM_REQUEST_JAVASCRIPT;
        return tRequest;
    }
    if (!HasSchemeNoCase(rdsAction, "http:") && !HasSchemeNoCase(rdsAction, "https:") &&
        !HasSchemeNoCase(rdsAction, "file:"))
        return tRequest;
    tRequest._eKind = KXW_ENGINE_FORM_REQUEST_LOAD;
    if (mrtSubmission._bPost) {
        tRequest._bPost = true;
        tRequest._dsBody = mrtSubmission._dsBody;
        tRequest._dsContentType =
            mrtSubmission._dsContentType.empty() ? "application/x-www-form-urlencoded" : mrtSubmission._dsContentType;
        return tRequest;
    }
    size_t nCut = rdsAction.find_first_of("?#");
    if (nCut != std::string::npos) tRequest._dsUrl.resize(nCut);
    tRequest._dsUrl += '?';
    tRequest._dsUrl += mrtSubmission._dsBody;
    return tRequest;
}
