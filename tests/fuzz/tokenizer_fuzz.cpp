// Fuzz target for the page tokenizer and the SGML scanner: any byte sequence must tokenize without a fault, the
// same way whether it arrives in one piece or in many, also while scripts write into it (document.write), and a
// small tree builder on top must see well-formed tokens. A broken property aborts, so libFuzzer keeps the input.
//
// Built with clang -fsanitize=fuzzer (option KXW_FUZZ); the corpus under tests/fuzz/corpus/tokenizer is replayed by
// kxw_tokenizer_corpus_replay in every test run.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "KxwU16nHandler.h"
#include "KxwiHtmlParser.h"
#include "KxwiHtmlTokenizer.h"

namespace {

[[noreturn]] void Fail(const char* mpszWhat, const std::string& mdsDetail) {
    std::fprintf(stderr, "tokenizer_fuzz: %s\n%s\n", mpszWhat, mdsDetail.c_str());
    std::abort();
}

// Builds a stack of open elements as a tree builder would, and keeps a rendering of every token (reading every
// byte a token points to, so that the sanitizers see a bad range).
class BuildingSink : public KxwiHtmlTokenSink {
public:
    explicit BuildingSink(bool mbRunScripts) : _bRunScripts(mbRunScripts) {}

    void OnToken(KxwiHtmlTokenizer& mrtTokenizer, const KxwiHtmlToken& mrtToken) override {
        if (_bEnded) Fail("a token after END_OF_INPUT", _dsOut);
        if (mrtToken._iLine < 1) Fail("a line below 1", _dsOut);
        if (mrtToken._iInsertionDepth == 0) {
            if (mrtToken._iLine < _iLastLine0) Fail("the page's lines went backwards", _dsOut);
            _iLastLine0 = mrtToken._iLine;
        }
        _dsOut += static_cast<char>('0' + mrtToken._eType);
        _dsOut += std::to_string(mrtToken._iLine);
        switch (mrtToken._eType) {
            case KXWI_HTML_TOKEN_TYPE_START_TAG:
            case KXWI_HTML_TOKEN_TYPE_END_TAG: {
                if (mrtToken._nNameLen == 0) Fail("a tag without a name", _dsOut);
                _dsOut.append(mrtToken._psfName, mrtToken._nNameLen);
                for (size_t i = 0; i < mrtToken._nNameLen; ++i) {
                    char cName = mrtToken._psfName[i], cUpper = mrtToken._psfUpperName[i];
                    if (cName != cUpper && !(cName >= 'a' && cName <= 'z' && cUpper == cName - 32))
                        Fail("an upper-case name that differs in more than case", _dsOut);
                }
                for (size_t i = 0; i < mrtToken._nAttrCount; ++i) {
                    const KxwiHtmlAttr& rtAttr = mrtToken._ptAttrs[i];
                    if (rtAttr._nNameLen == 0) Fail("an attribute without a name", _dsOut);
                    if (!rtAttr._bHasValue && rtAttr._nValueLen) Fail("a value without '='", _dsOut);
                    _dsOut += ' ';
                    _dsOut.append(rtAttr._psfName, rtAttr._nNameLen);
                    _dsOut += '=';
                    _dsOut.append(rtAttr._psfValue, rtAttr._nValueLen);
                }
                if (mrtToken._eType == KXWI_HTML_TOKEN_TYPE_START_TAG) {
                    if (_tOpen.size() < 256) _tOpen.emplace_back(mrtToken._psfUpperName, mrtToken._nNameLen);
                    mrtTokenizer.SetRawTextMode(mrtToken._psfName, mrtToken._nNameLen);
                    _bInScript = mrtToken._nNameLen == 6 && std::memcmp(mrtToken._psfUpperName, "SCRIPT", 6) == 0;
                } else {
                    std::string dsName(mrtToken._psfUpperName, mrtToken._nNameLen);
                    for (size_t i = _tOpen.size(); i-- > 0;)
                        if (_tOpen[i] == dsName) {
                            _tOpen.resize(i);
                            break;
                        }
                    if (_bInScript && dsName == "SCRIPT" && _bRunScripts) RunScript(mrtTokenizer);
                    _bInScript = false;
                }
                break;
            }
            case KXWI_HTML_TOKEN_TYPE_TEXT:
                if (mrtToken._nTextLen == 0) Fail("an empty text token", _dsOut);
                if (_bLastWasText) Fail("two text tokens in a row", _dsOut);
                if (_bInScript) _dsScript.assign(mrtToken._psfText, mrtToken._nTextLen);
                _dsOut.append(mrtToken._psfText, mrtToken._nTextLen);
                break;
            case KXWI_HTML_TOKEN_TYPE_COMMENT:
            case KXWI_HTML_TOKEN_TYPE_DOCTYPE:
                _dsOut.append(mrtToken._psfText, mrtToken._nTextLen);
                break;
            case KXWI_HTML_TOKEN_TYPE_END_OF_INPUT:
                _bEnded = true;
                break;
        }
        _bLastWasText = mrtToken._eType == KXWI_HTML_TOKEN_TYPE_TEXT;
        _dsOut += '\x01';
    }

    // A script "writes" its own text back, so that written scripts write again; bounded so that it ends.
    void RunScript(KxwiHtmlTokenizer& mrtTokenizer) {
        mrtTokenizer.Pause();
        if (_iWrites >= 32 || _dsScript.size() > 256) return;
        ++_iWrites;
        _tPending.push_back(_dsScript);
        _dsScript.clear();
    }
    void Drive(KxwiHtmlTokenizer& mrtTokenizer) {
        while (mrtTokenizer.IsPaused()) {
            for (size_t i = 0; i < _tPending.size(); ++i) {
                const std::string& rdsWrite = _tPending[i];
                size_t nHalf = rdsWrite.size() / 2;
                mrtTokenizer.InsertInput(rdsWrite.data(), nHalf);
                mrtTokenizer.InsertInput(rdsWrite.data() + nHalf, rdsWrite.size() - nHalf);
            }
            _tPending.clear();
            mrtTokenizer.Resume();
        }
    }

    std::string _dsOut;
    bool _bEnded = false;

private:
    bool _bRunScripts;
    bool _bInScript = false;
    bool _bLastWasText = false;
    int _iLastLine0 = 0;
    int _iWrites = 0;
    std::string _dsScript;
    std::vector<std::string> _tPending;
    std::vector<std::string> _tOpen;
};

std::string Tokenize(const uint8_t* mpucData, size_t mnSize, KxwU16nHandler* mptHandler, uint32_t muSeed,
                     bool mbRunScripts) {
    BuildingSink tSink(mbRunScripts);
    KxwiHtmlTokenizer tTokenizer(&tSink, mptHandler);
    const char* psfData = reinterpret_cast<const char*>(mpucData);
    uint32_t uState = muSeed;
    size_t nPos = 0;
    while (nPos < mnSize) {
        size_t nLen = mnSize - nPos;
        if (muSeed) {
            uState = uState * 1103515245u + 12345u;
            size_t nChunk = 1 + (uState >> 16) % 16;
            if (nChunk < nLen) nLen = nChunk;
        }
        tTokenizer.Feed(psfData + nPos, nLen);
        tSink.Drive(tTokenizer);
        nPos += nLen;
    }
    tTokenizer.EndOfInput();
    tSink.Drive(tTokenizer);
    if (!tSink._bEnded) Fail("no END_OF_INPUT", tSink._dsOut);
    return tSink._dsOut;
}

// The SGML scanner with a target that checks what it is handed.
int CheckStart(KxwiSgmlTarget*, int miElement, const unsigned char* mpucPresent, const char* const* mppszValues) {
    const KxwiSgmlDtd* ptDtd = HTML_dtd();
    if (miElement < 0 || miElement >= ptDtd->_iElementCount) Fail("an element number outside the table", "");
    size_t nTotal = 0;
    for (int i = 0; i < ptDtd->_ptElements[miElement]._iAttrCount; ++i) {
        if ((mpucPresent[i] != 0) != (mppszValues[i] != nullptr)) Fail("a present flag without its value", "");
        if (mppszValues[i]) nTotal += std::strlen(mppszValues[i]);
    }
    return static_cast<int>(nTotal % 3);
}
int CheckText(KxwiSgmlTarget*, const char* mpsfText, int miLen) {
    if (miLen < 0 || (!mpsfText && miLen)) Fail("a bad text range", "");
    volatile char cSum = 0;
    for (int i = 0; i < miLen; ++i) cSum = static_cast<char>(cSum + mpsfText[i]);
    return 0;
}
void CheckUnknown(KxwiSgmlTarget* mptTarget, const char* mpsfName, int miLen, int) {
    CheckText(mptTarget, mpsfName, miLen);
}
const KxwiSgmlTargetClass ktCheckingClass = {
    "checking", nullptr, nullptr,      nullptr,   CheckText, CheckText, CheckText,
    CheckStart, nullptr, CheckUnknown, CheckText, nullptr,   nullptr,
};

void Scan(const uint8_t* mpucData, size_t mnSize) {
    KxwiSgmlTarget tTarget{&ktCheckingClass};
    KxwiSgmlContext* ptContext = SGML_new(HTML_dtd(), &tTarget);
    if (!ptContext) Fail("no SGML context", "");
    size_t nHalf = mnSize / 2;
    ptContext->_ptOps->_pfPutBlock(ptContext, reinterpret_cast<const char*>(mpucData), static_cast<int>(nHalf), 0);
    ptContext->_ptOps->_pfPutBlock(ptContext, reinterpret_cast<const char*>(mpucData) + nHalf,
                                   static_cast<int>(mnSize - nHalf), 0);
    SGML_reset(ptContext);
    ptContext->_ptOps->_pfPutBlock(ptContext, reinterpret_cast<const char*>(mpucData), static_cast<int>(mnSize),
                                   KXWI_SGML_FEED_END_OF_TEXT);
    ptContext->_ptOps->_pfFree(ptContext);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* mpucData, size_t mnSize) {
    if (mnSize > (1u << 20)) return 0;
    uint32_t uSeed = 2166136261u;
    for (size_t i = 0; i < mnSize; ++i) uSeed = (uSeed ^ mpucData[i]) * 16777619u;
    uSeed |= 1;

    static KxwU16nHandlerGeneral tUtf8("utf-8");
    for (KxwU16nHandler* ptHandler : {static_cast<KxwU16nHandler*>(nullptr), static_cast<KxwU16nHandler*>(&tUtf8)}) {
        std::string dsWhole = Tokenize(mpucData, mnSize, ptHandler, 0, false);
        std::string dsChunked = Tokenize(mpucData, mnSize, ptHandler, uSeed, false);
        if (dsWhole != dsChunked)
            Fail("the tokens depend on where the input was split", dsWhole + "\n---\n" + dsChunked);
    }
    std::string dsWritten = Tokenize(mpucData, mnSize, nullptr, 0, true);
    std::string dsWrittenChunked = Tokenize(mpucData, mnSize, nullptr, uSeed, true);
    if (dsWritten != dsWrittenChunked)
        Fail("written text depends on where the input was split", dsWritten + "\n---\n" + dsWrittenChunked);
    Scan(mpucData, mnSize);
    return 0;
}
