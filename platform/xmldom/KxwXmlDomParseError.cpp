#include "KxwXmlDomParseError.h"

#include <new>

#include "KxwUtilReport.h"

const KxwAutoMemberRow<KxwXmlDomParseError> KxwXmlDomParseError::katMembers[] = {
    {"errorCode", &KxwXmlDomParseError::GetErrorCode, nullptr, nullptr},
    {"reason", &KxwXmlDomParseError::GetReason, nullptr, nullptr},
    {"line", &KxwXmlDomParseError::GetLine, nullptr, nullptr},
    {"linepos", &KxwXmlDomParseError::GetLinePos, nullptr, nullptr},
    {"filepos", &KxwXmlDomParseError::GetFilePos, nullptr, nullptr},
    {"srcText", &KxwXmlDomParseError::GetSrcText, nullptr, nullptr},
    {"url", &KxwXmlDomParseError::GetUrl, nullptr, nullptr},
};

KxwXmlDomParseError::KxwXmlDomParseError(Details mtDetails)
    : KxwAutomationTable<KxwXmlDomParseError>(katMembers), _tDetails(std::move(mtDetails)) {}

KxwAutoRef<KxwAutomation> KxwXmlDomParseError::Create(Details mtDetails) {
    auto* ptError = new (std::nothrow) KxwXmlDomParseError(std::move(mtDetails));
    if (!ptError) KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwXmlDomParseError)), "KxwXmlDomParseError");
    return KxwAutoRef<KxwAutomation>::Adopt(ptError);
}

KxwAutoResult KxwXmlDomParseError::GetErrorCode(KxwAutoValue& mrtResult) {
    mrtResult = KxwAutoValue::Int(_tDetails._iErrorCode);
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomParseError::GetReason(KxwAutoValue& mrtResult) {
    mrtResult = KxwAutoValue::Utf8(_tDetails._dsReason);
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomParseError::GetLine(KxwAutoValue& mrtResult) {
    mrtResult = KxwAutoValue::Int(_tDetails._iLine);
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomParseError::GetLinePos(KxwAutoValue& mrtResult) {
    mrtResult = KxwAutoValue::Int(_tDetails._iLinePos);
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomParseError::GetFilePos(KxwAutoValue& mrtResult) {
    mrtResult = KxwAutoValue::Int(_tDetails._iFilePos);
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomParseError::GetSrcText(KxwAutoValue& mrtResult) {
    mrtResult = KxwAutoValue::Utf8(_tDetails._dsSrcText);
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomParseError::GetUrl(KxwAutoValue& mrtResult) {
    mrtResult = KxwAutoValue::Utf8(_tDetails._dsUrl);
    return KXW_AUTO_S_OK;
}
