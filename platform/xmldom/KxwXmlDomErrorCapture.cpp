#include "KxwXmlDomErrorCapture.h"

#include <libxml/globals.h>
#include <libxml/parser.h>
#include <libxml/xmlIO.h>
#include <libxslt/documents.h>
#include <libxslt/xslt.h>
#include <libxslt/xsltutils.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace {

constexpr size_t knMaxMessages = 16 * 1024;  // a flood of errors from a hostile document stops growing here

thread_local KxwXmlDomErrorCapture* s_ptCurrentCapture = nullptr;
xsltSecurityPrefsPtr s_ptSecurityPrefs = nullptr;

// Pages never reach files or the network through a document: a DOCTYPE's external subset, an external entity and
// the like load nothing.
xmlParserInputPtr RefuseExternalEntity(const char* mpszUrl, const char* mpszId, xmlParserCtxtPtr mptContext) {
    (void)mpszId, (void)mptContext;
    std::string dsText =
        std::string("Loading the external resource \"") + (mpszUrl ? mpszUrl : "") + "\" is not allowed\n";
    KxwXmlDomErrorCapture::OnGeneric(nullptr, "%s", dsText.c_str());
    return nullptr;
}

xmlDocPtr RefuseXsltDocument(const xmlChar* mpszUri, xmlDictPtr mptDict, int miOptions, void* mpvContext,
                             xsltLoadType meType) {
    (void)mptDict, (void)miOptions, (void)mpvContext, (void)meType;
    KxwXmlDomErrorCapture::OnGeneric(nullptr, "Loading the document \"%s\" from a stylesheet is not allowed\n",
                                     mpszUri ? reinterpret_cast<const char*>(mpszUri) : "");
    return nullptr;
}

}  // namespace

void xfvKxwXmlDomInitOnce() {
    static std::once_flag s_tOnce;
    std::call_once(s_tOnce, [] {
        xmlInitParser();
        xmlSetExternalEntityLoader(RefuseExternalEntity);
        xsltInit();
        xsltSetLoaderFunc(RefuseXsltDocument);
        xsltSetGenericErrorFunc(nullptr, &KxwXmlDomErrorCapture::OnGeneric);
        s_ptSecurityPrefs = xsltNewSecurityPrefs();
        if (s_ptSecurityPrefs) {
            xsltSetSecurityPrefs(s_ptSecurityPrefs, XSLT_SECPREF_READ_FILE, xsltSecurityForbid);
            xsltSetSecurityPrefs(s_ptSecurityPrefs, XSLT_SECPREF_WRITE_FILE, xsltSecurityForbid);
            xsltSetSecurityPrefs(s_ptSecurityPrefs, XSLT_SECPREF_CREATE_DIRECTORY, xsltSecurityForbid);
            xsltSetSecurityPrefs(s_ptSecurityPrefs, XSLT_SECPREF_READ_NETWORK, xsltSecurityForbid);
            xsltSetSecurityPrefs(s_ptSecurityPrefs, XSLT_SECPREF_WRITE_NETWORK, xsltSecurityForbid);
            xsltSetDefaultSecurityPrefs(s_ptSecurityPrefs);
        }
    });
}

xsltSecurityPrefsPtr xfptKxwXmlDomSecurityPrefs() {
    xfvKxwXmlDomInitOnce();
    return s_ptSecurityPrefs;
}

KxwXmlDomErrorCapture::KxwXmlDomErrorCapture()
    : _pvPrevStructuredContext(xmlStructuredErrorContext),
      _pfPrevStructured(xmlStructuredError),
      _pvPrevGenericContext(xmlGenericErrorContext),
      _pfPrevGeneric(xmlGenericError),
      _ptPrevCapture(s_ptCurrentCapture) {
    xfvKxwXmlDomInitOnce();
    xmlSetStructuredErrorFunc(this, &KxwXmlDomErrorCapture::OnStructured);
    xmlSetGenericErrorFunc(this, &KxwXmlDomErrorCapture::OnGeneric);
    s_ptCurrentCapture = this;
}

KxwXmlDomErrorCapture::~KxwXmlDomErrorCapture() {
    s_ptCurrentCapture = _ptPrevCapture;
    xmlSetStructuredErrorFunc(_pvPrevStructuredContext, _pfPrevStructured);
    xmlSetGenericErrorFunc(_pvPrevGenericContext, _pfPrevGeneric);
}

KxwXmlDomErrorCapture* KxwXmlDomErrorCapture::Current() {
    return s_ptCurrentCapture;
}

void KxwXmlDomErrorCapture::OnStructured(void* mpvContext, xmlErrorPtr mptError) {
    auto* ptCapture = static_cast<KxwXmlDomErrorCapture*>(mpvContext);
    if (!ptCapture || !mptError) return;
    ptCapture->AddText(mptError->message ? mptError->message : "", mptError->level >= XML_ERR_ERROR, mptError->code,
                       mptError->line, mptError->int2);
}

void KxwXmlDomErrorCapture::OnGeneric(void* mpvContext, const char* mpszFormat, ...) {
    (void)mpvContext;  // libxslt's handler is process-wide: the capture is the calling thread's
    KxwXmlDomErrorCapture* ptCapture = s_ptCurrentCapture;
    if (!ptCapture || !mpszFormat) return;
    char acBuf[1024];
    va_list tArgs;
    va_start(tArgs, mpszFormat);
    std::vsnprintf(acBuf, sizeof acBuf, mpszFormat, tArgs);
    va_end(tArgs);
    ptCapture->AddText(acBuf, true, 0, 0, 0);
}

void KxwXmlDomErrorCapture::AddText(const std::string& mrdsText, bool mbError, int miCode, int miLine, int miColumn) {
    std::string dsText = mrdsText;
    while (!dsText.empty() && (dsText.back() == '\n' || dsText.back() == '\r' || dsText.back() == ' '))
        dsText.pop_back();
    if (!dsText.empty() && _dsAll.size() < knMaxMessages) {
        _dsAll += dsText;
        _dsAll += '\n';
    }
    if (!mbError || _bHasError || dsText.empty()) return;
    _bHasError = true;
    _iCode = miCode;
    _iLine = miLine;
    _iColumn = miColumn;
    _dsFirst = dsText;
}

std::string KxwXmlDomErrorCapture::Describe(const char* mpszFallback) const {
    if (!_dsAll.empty()) {
        std::string dsText = _dsAll;
        while (!dsText.empty() && dsText.back() == '\n') dsText.pop_back();
        // The first few lines say what went wrong; the rest repeats it.
        size_t nCut = 0;
        for (int i = 0; i < 4 && nCut != std::string::npos; ++i) nCut = dsText.find('\n', nCut ? nCut + 1 : 0);
        if (nCut != std::string::npos) dsText.resize(nCut);
        return dsText;
    }
    return mpszFallback ? mpszFallback : "";
}

int32_t xfiKxwXmlDomParseErrorCode(int miLibxmlCode) {
    struct Code {
        int _iLibxml;
        uint32_t _uCode;
    };
    static const Code katCodes[] = {
        {XML_ERR_ATTRIBUTE_WITHOUT_VALUE, 0xC00CE501u},
        {XML_ERR_ATTRIBUTE_NOT_STARTED, 0xC00CE502u},
        {XML_ERR_COMMENT_NOT_FINISHED, 0xC00CE503u},
        {XML_ERR_NAME_REQUIRED, 0xC00CE504u},
        {XML_ERR_LT_IN_ATTRIBUTE, 0xC00CE506u},
        {XML_ERR_XMLDECL_NOT_FINISHED, 0xC00CE507u},
        {XML_ERR_VERSION_MISSING, 0xC00CE507u},
        {XML_ERR_INVALID_CHAR, 0xC00CE508u},
        {XML_ERR_SPACE_REQUIRED, 0xC00CE509u},
        {XML_ERR_GT_REQUIRED, 0xC00CE50Au},
        {XML_ERR_ENTITYREF_SEMICOL_MISSING, 0xC00CE50Du},
    };
    for (const Code& rtCode : katCodes)
        if (rtCode._iLibxml == miLibxmlCode) return static_cast<int32_t>(rtCode._uCode);
    return static_cast<int32_t>(0x80004005u);
}
