#include "KxwXmlDom.h"

#include <libxml/encoding.h>

#include <cstring>

#include "KxwAutomationRegistry.h"
#include "KxwUtilUtf.h"
#include "KxwXmlDomDocument.h"
#include "KxwXmlDomErrorCapture.h"
#include "KxwXmlDomRecordset.h"
#include "KxwXmlDomTransform.h"
#include "KxwXmlDomUtil.h"

namespace {

KxwXmlDomDocument* AsDocument(KxwAutomation* mptObject) {
    return dynamic_cast<KxwXmlDomDocument*>(mptObject);
}

// One entry per class id, with the names that reach it. The free-threaded classes are the same documents here:
// every object belongs to one virtual user's thread anyway.
const char* const kapszDomDocument[] = {"Microsoft.XMLDOM", "Msxml.DOMDocument", nullptr};
const char* const kapszFreeThreaded[] = {"Microsoft.FreeThreadedXMLDOM", "Msxml.FreeThreadedDOMDocument", nullptr};
const char* const kapszDomDocument2[] = {"Msxml2.DOMDocument", nullptr};
const char* const kapszFreeThreaded2[] = {"Msxml2.FreeThreadedDOMDocument", nullptr};
const char* const kapszDomDocument30[] = {"Msxml2.DOMDocument.3.0", nullptr};
const char* const kapszFreeThreaded30[] = {"Msxml2.FreeThreadedDOMDocument.3.0", nullptr};
const char* const kapszDomDocument40[] = {"Msxml2.DOMDocument.4.0", nullptr};
const char* const kapszFreeThreaded40[] = {"Msxml2.FreeThreadedDOMDocument.4.0", nullptr};
const char* const kapszDomDocument50[] = {"Msxml2.DOMDocument.5.0", nullptr};
const char* const kapszFreeThreaded50[] = {"Msxml2.FreeThreadedDOMDocument.5.0", nullptr};
const char* const kapszDomDocument60[] = {"Msxml2.DOMDocument.6.0", nullptr};
const char* const kapszFreeThreaded60[] = {"Msxml2.FreeThreadedDOMDocument.6.0", nullptr};

const KxwAutoClassInfo katClasses[] = {
    {"{2933BF90-7B36-11D2-B20E-00C04F983E60}", kapszDomDocument, &KxwXmlDomDocument::CreateForRegistry},
    {"{2933BF91-7B36-11D2-B20E-00C04F983E60}", kapszFreeThreaded, &KxwXmlDomDocument::CreateForRegistry},
    {"{F6D90F11-9C73-11D3-B32E-00C04F990BB4}", kapszDomDocument2, &KxwXmlDomDocument::CreateForRegistry},
    {"{F6D90F12-9C73-11D3-B32E-00C04F990BB4}", kapszFreeThreaded2, &KxwXmlDomDocument::CreateForRegistry},
    {"{F5078F32-C551-11D3-89B9-0000F81FE221}", kapszDomDocument30, &KxwXmlDomDocument::CreateForRegistry},
    {"{F5078F33-C551-11D3-89B9-0000F81FE221}", kapszFreeThreaded30, &KxwXmlDomDocument::CreateForRegistry},
    {"{88D969C0-F192-11D4-A65F-0040963251E5}", kapszDomDocument40, &KxwXmlDomDocument::CreateForRegistry},
    {"{88D969C1-F192-11D4-A65F-0040963251E5}", kapszFreeThreaded40, &KxwXmlDomDocument::CreateForRegistry},
    {"{88D969E5-F192-11D4-A65F-0040963251E5}", kapszDomDocument50, &KxwXmlDomDocument::CreateForRegistry},
    {"{88D969E6-F192-11D4-A65F-0040963251E5}", kapszFreeThreaded50, &KxwXmlDomDocument::CreateForRegistry},
    {"{88D96A05-F192-11D4-A65F-0040963251E5}", kapszDomDocument60, &KxwXmlDomDocument::CreateForRegistry},
    {"{88D96A06-F192-11D4-A65F-0040963251E5}", kapszFreeThreaded60, &KxwXmlDomDocument::CreateForRegistry},
};

}  // namespace

void xfvKxwXmlDomRegisterClasses() {
    xfvKxwXmlDomInitOnce();
    for (const KxwAutoClassInfo& rtClass : katClasses) KxwAutomationRegistry::Register(rtClass);
}

KxwAutomation* xfptKxwXmlDomCreateDocument() {
    return KxwXmlDomDocument::Create();
}

bool xfbKxwXmlDomLoadText(KxwAutomation* mptDocument, const char16_t* mpwsfText, size_t mnLen) {
    KxwXmlDomDocument* ptDocument = AsDocument(mptDocument);
    if (!ptDocument) return false;
    return ptDocument->LoadText(std::u16string(mpwsfText ? mpwsfText : u"", mpwsfText ? mnLen : 0));
}

bool xfbKxwXmlDomSetBaseUrl(KxwAutomation* mptDocument, const std::string& mrdsBaseUrl) {
    KxwXmlDomDocument* ptDocument = AsDocument(mptDocument);
    if (!ptDocument) return false;
    ptDocument->SetBaseUrl(mrdsBaseUrl);
    return true;
}

std::vector<std::pair<std::u16string, std::u16string>> xftKxwXmlDomTopLevelInstructions(KxwAutomation* mptDocument) {
    KxwXmlDomDocument* ptDocument = AsDocument(mptDocument);
    if (!ptDocument) return {};
    return ptDocument->GetTopLevelInstructions();
}

bool xfbKxwXmlDomTransform(KxwAutomation* mptSource, KxwAutomation* mptStylesheet, std::u16string& mrdsOutput,
                           std::string& mrdsError) {
    auto* ptSource = dynamic_cast<KxwXmlDomNode*>(mptSource);
    auto* ptStylesheet = dynamic_cast<KxwXmlDomNode*>(mptStylesheet);
    if (!ptSource || !ptStylesheet) {
        mrdsError = "The source and the stylesheet must be XML documents or nodes";
        return false;
    }
    std::string dsOutput;
    if (!xfbKxwXmlDomTransformToText(ptSource->GetXmlNode(), ptStylesheet->GetXmlNode(), dsOutput, mrdsError))
        return false;
    mrdsOutput = xfdsKxwXmlDomU16(dsOutput);
    return true;
}

int32_t xfiKxwXmlDomGetReadyState(KxwAutomation* mptDocument) {
    KxwXmlDomDocument* ptDocument = AsDocument(mptDocument);
    return ptDocument ? ptDocument->GetReadyState() : -1;
}

KxwAutomation* xfptKxwXmlDomCreateRecordset(KxwAutomation* mptDocument) {
    return KxwXmlDomRecordset::Create(AsDocument(mptDocument));
}

namespace {

bool StartsWith(const char* mpsfBytes, size_t mnLen, const char* mpsfPrefix, size_t mnPrefix) {
    return mnLen >= mnPrefix && std::memcmp(mpsfBytes, mpsfPrefix, mnPrefix) == 0;
}

std::u16string Utf16(const char* mpsfBytes, size_t mnLen, bool mbBigEndian) {
    std::u16string ds;
    ds.reserve(mnLen / 2);
    for (size_t n = 0; n + 1 < mnLen; n += 2) {
        auto uHigh = static_cast<unsigned char>(mpsfBytes[mbBigEndian ? n : n + 1]);
        auto uLow = static_cast<unsigned char>(mpsfBytes[mbBigEndian ? n + 1 : n]);
        ds.push_back(static_cast<char16_t>((uHigh << 8) | uLow));
    }
    return ds;
}

// The encoding the XML declaration names, empty when none.
std::string DeclaredEncoding(const char* mpsfBytes, size_t mnLen) {
    if (!StartsWith(mpsfBytes, mnLen, "<?xml", 5)) return std::string();
    std::string dsDeclaration(mpsfBytes, std::min<size_t>(mnLen, 200));
    size_t nEnd = dsDeclaration.find("?>");
    if (nEnd == std::string::npos) return std::string();
    dsDeclaration.resize(nEnd);
    size_t nAt = dsDeclaration.find("encoding");
    if (nAt == std::string::npos) return std::string();
    size_t nQuote = dsDeclaration.find_first_of("\"'", nAt);
    if (nQuote == std::string::npos) return std::string();
    size_t nClose = dsDeclaration.find(dsDeclaration[nQuote], nQuote + 1);
    if (nClose == std::string::npos) return std::string();
    return dsDeclaration.substr(nQuote + 1, nClose - nQuote - 1);
}

}  // namespace

std::u16string xfdsKxwXmlDomDecodeBytes(const char* mpsfBytes, size_t mnLen) {
    if (!mpsfBytes || !mnLen) return std::u16string();
    if (StartsWith(mpsfBytes, mnLen, "\xEF\xBB\xBF", 3)) return xfdsKxwUtilUtf8ToU16(mpsfBytes + 3, mnLen - 3);
    if (StartsWith(mpsfBytes, mnLen, "\xFF\xFE", 2)) return Utf16(mpsfBytes + 2, mnLen - 2, false);
    if (StartsWith(mpsfBytes, mnLen, "\xFE\xFF", 2)) return Utf16(mpsfBytes + 2, mnLen - 2, true);
    if (StartsWith(mpsfBytes, mnLen, "<\0?\0", 4)) return Utf16(mpsfBytes, mnLen, false);
    if (StartsWith(mpsfBytes, mnLen, "\0<\0?", 4)) return Utf16(mpsfBytes, mnLen, true);
    std::string dsEncoding = DeclaredEncoding(mpsfBytes, mnLen);
    if (dsEncoding.empty() || xfbKxwAutoNameEquals(dsEncoding.c_str(), "UTF-8"))
        return xfdsKxwUtilUtf8ToU16(mpsfBytes, mnLen);
    xfvKxwXmlDomInitOnce();
    xmlCharEncodingHandlerPtr ptHandler = xmlFindCharEncodingHandler(dsEncoding.c_str());
    if (!ptHandler) return xfdsKxwUtilUtf8ToU16(mpsfBytes, mnLen);
    std::u16string dsText;
    xmlBufferPtr ptIn = xmlBufferCreateStatic(const_cast<char*>(mpsfBytes), mnLen);
    xmlBufferPtr ptOut = xmlBufferCreate();
    if (ptIn && ptOut && mnLen < static_cast<size_t>(INT32_MAX) && xmlCharEncInFunc(ptHandler, ptOut, ptIn) >= 0)
        dsText = xfdsKxwUtilUtf8ToU16(reinterpret_cast<const char*>(xmlBufferContent(ptOut)),
                                      static_cast<size_t>(xmlBufferLength(ptOut)));
    else
        dsText = xfdsKxwUtilUtf8ToU16(mpsfBytes, mnLen);  // bytes it cannot read are taken as Latin-1
    if (ptIn) xmlBufferFree(ptIn);
    if (ptOut) xmlBufferFree(ptOut);
    xmlCharEncCloseFunc(ptHandler);
    return dsText;
}
