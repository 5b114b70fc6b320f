// What libxml2 and libxslt report during one call, kept for the caller instead of going to stderr. libxml2's
// handlers belong to the calling thread (each virtual user has its own), so they are installed around each call
// and the previous ones put back; libxslt's handler is process-wide and is set once to one that hands the text to
// the capture of the calling thread.
#pragma once

#include <libxml/xmlerror.h>
#include <libxslt/security.h>

#include <cstdint>
#include <string>

// Sets the process-wide parts once: no external entity is ever loaded, xsl:import, xsl:include and document() load
// nothing, libxslt's messages reach the thread's capture. Every entry point calls it first.
void xfvKxwXmlDomInitOnce();
// The preferences every transform runs with: no file or network read or write, no directory made.
xsltSecurityPrefsPtr xfptKxwXmlDomSecurityPrefs();

class KxwXmlDomErrorCapture {
public:
    KxwXmlDomErrorCapture();
    ~KxwXmlDomErrorCapture();
    KxwXmlDomErrorCapture(const KxwXmlDomErrorCapture&) = delete;
    KxwXmlDomErrorCapture& operator=(const KxwXmlDomErrorCapture&) = delete;

    bool HasError() const { return _bHasError; }
    // The first error: libxml2's code, line (1-based), column (1-based) and message without its line end.
    int GetCode() const { return _iCode; }
    int GetLine() const { return _iLine; }
    int GetColumn() const { return _iColumn; }
    const std::string& GetMessage() const { return _dsFirst; }
    // Every message, one a line, bounded in size.
    const std::string& GetAllMessages() const { return _dsAll; }
    // The text the reports give: the first error, or what libxslt said when libxml2 said nothing.
    std::string Describe(const char* mpszFallback) const;

    // The thread's current capture (null when none), for libxslt's process-wide handler.
    static KxwXmlDomErrorCapture* Current();
    // The handlers: libxml2's structured errors, and the formatted messages of libxml2 and libxslt.
    static void OnStructured(void* mpvContext, xmlErrorPtr mptError);
    static void OnGeneric(void* mpvContext, const char* mpszFormat, ...);

private:
    void AddText(const std::string& mrdsText, bool mbError, int miCode, int miLine, int miColumn);

    void* _pvPrevStructuredContext;
    xmlStructuredErrorFunc _pfPrevStructured;
    void* _pvPrevGenericContext;
    xmlGenericErrorFunc _pfPrevGeneric;
    KxwXmlDomErrorCapture* _ptPrevCapture;

    bool _bHasError = false;
    int _iCode = 0;
    int _iLine = 0;
    int _iColumn = 0;
    std::string _dsFirst;
    std::string _dsAll;
};

// The parse error code scripts see for a libxml2 error code: the parser's documented codes where one fits, the
// generic failure otherwise; never 0.
int32_t xfiKxwXmlDomParseErrorCode(int miLibxmlCode);
