// Why the last load failed (document.parseError): errorCode 0 when it did not.
#pragma once

#include <string>

#include "KxwAutomation.h"

class KxwXmlDomParseError : public KxwAutomationTable<KxwXmlDomParseError> {
public:
    struct Details {
        int32_t _iErrorCode = 0;
        std::string _dsReason;
        int32_t _iLine = 0;
        int32_t _iLinePos = 0;
        int32_t _iFilePos = 0;
        std::string _dsSrcText;
        std::string _dsUrl;
    };
    static KxwAutoRef<KxwAutomation> Create(Details mtDetails);

    const char* GetInterfaceName() const override { return "IXMLDOMParseError"; }
    const Details& GetDetails() const { return _tDetails; }

private:
    explicit KxwXmlDomParseError(Details mtDetails);
    KxwAutoResult GetErrorCode(KxwAutoValue& mrtResult);
    KxwAutoResult GetReason(KxwAutoValue& mrtResult);
    KxwAutoResult GetLine(KxwAutoValue& mrtResult);
    KxwAutoResult GetLinePos(KxwAutoValue& mrtResult);
    KxwAutoResult GetFilePos(KxwAutoValue& mrtResult);
    KxwAutoResult GetSrcText(KxwAutoValue& mrtResult);
    KxwAutoResult GetUrl(KxwAutoValue& mrtResult);

    static const KxwAutoMemberRow<KxwXmlDomParseError> katMembers[];
    Details _tDetails;
};
