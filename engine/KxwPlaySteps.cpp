#include "KxwPlaySteps.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "KxwPlayData.h"
#include "KxwPlayVerbs.h"
#include "KxwiUrl.h"

namespace {

// A steps file is a script for a person to read; the cap keeps a wrong path from being slurped.
constexpr size_t knMaxStepsFileBytes = 64u * 1024 * 1024;

bool IsBlank(char mc) {
    return mc == ' ' || mc == '\t' || mc == '\f' || mc == '\v';
}

bool IsKeyStart(char mc) {
    return (mc >= 'a' && mc <= 'z') || (mc >= 'A' && mc <= 'Z');
}
bool IsKeyChar(char mc) {
    return IsKeyStart(mc) || (mc >= '0' && mc <= '9') || mc == '_' || mc == '-';
}

// Reads a double-quoted string that starts at mpsfLine[*mpnPos]; on success *mpnPos is past the closing quote.
bool ReadQuoted(const char* mpsfLine, size_t mnLen, size_t* mpnPos, std::string* mpdsValue, std::string* mpdsError) {
    size_t nPos = *mpnPos + 1;
    mpdsValue->clear();
    while (nPos < mnLen) {
        char c = mpsfLine[nPos++];
        if (c == '"') {
            if (nPos < mnLen && !IsBlank(mpsfLine[nPos])) {
                *mpdsError = "text right after a closing quote (separate arguments with a blank)";
                return false;
            }
            *mpnPos = nPos;
            return true;
        }
        if (c == '\\' && nPos < mnLen && (mpsfLine[nPos] == '"' || mpsfLine[nPos] == '\\')) c = mpsfLine[nPos++];
        *mpdsValue += c;
    }
    *mpdsError = "a quoted string is not closed";
    return false;
}

// Reads one argument at mpsfLine[*mpnPos] (not a blank).
bool ReadArg(const char* mpsfLine, size_t mnLen, size_t* mpnPos, KxwPlayArg* mptArg, std::string* mpdsError) {
    size_t nPos = *mpnPos;
    if (mpsfLine[nPos] == '"') {
        mptArg->_bQuoted = true;
        return ReadQuoted(mpsfLine, mnLen, mpnPos, &mptArg->_dsValue, mpdsError);
    }
    // key=value or key~=value: a key of letters, digits, '_' and '-' that starts with a letter, or with '@' and a
    // letter (a custom description).
    size_t nKeyEnd = nPos;
    if (mpsfLine[nPos] == '@' && nPos + 1 < mnLen && IsKeyStart(mpsfLine[nPos + 1])) nKeyEnd = nPos + 1;
    if (IsKeyStart(mpsfLine[nKeyEnd]))
        while (nKeyEnd < mnLen && IsKeyChar(mpsfLine[nKeyEnd])) ++nKeyEnd;
    size_t nValue = 0;
    if (nKeyEnd > nPos && nKeyEnd < mnLen && mpsfLine[nKeyEnd] == '=') {
        nValue = nKeyEnd + 1;
    } else if (nKeyEnd > nPos && nKeyEnd + 1 < mnLen && mpsfLine[nKeyEnd] == '~' && mpsfLine[nKeyEnd + 1] == '=') {
        nValue = nKeyEnd + 2;
        mptArg->_bIsRegExp = true;
    }
    if (nValue) {
        mptArg->_bIsPair = true;
        mptArg->_dsKey.assign(mpsfLine + nPos, nKeyEnd - nPos);
        nPos = nValue;
        if (nPos < mnLen && mpsfLine[nPos] == '"') {
            mptArg->_bQuoted = true;
            *mpnPos = nPos;
            return ReadQuoted(mpsfLine, mnLen, mpnPos, &mptArg->_dsValue, mpdsError);
        }
    }
    size_t nEnd = nPos;
    while (nEnd < mnLen && !IsBlank(mpsfLine[nEnd])) {
        if (mpsfLine[nEnd] == '"') {
            *mpdsError = "a double quote inside a bare word (quote the whole argument)";
            return false;
        }
        ++nEnd;
    }
    mptArg->_dsValue.assign(mpsfLine + nPos, nEnd - nPos);
    *mpnPos = nEnd;
    return true;
}

}  // namespace

void xfvKxwPlayAppendEscapedPath(const std::string& mdsPath, std::string* mpdsUrl) {
    static const char kacHex[] = "0123456789ABCDEF";
    for (unsigned char c : mdsPath) {
        bool bKeep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                     std::strchr("/-._~!$&'()*+,;=:@", c) != nullptr;
        if (bKeep) {
            *mpdsUrl += static_cast<char>(c);
        } else {
            *mpdsUrl += '%';
            *mpdsUrl += kacHex[c >> 4];
            *mpdsUrl += kacHex[c & 15];
        }
    }
}

namespace {

std::string LastComponent(const std::string& mdsPath) {
    size_t nSlash = mdsPath.find_last_of('/');
    return nSlash == std::string::npos ? mdsPath : mdsPath.substr(nSlash + 1);
}

}  // namespace

const KxwPlayArg* KxwPlayStep::FindPair(const char* mpszKey) const {
    for (const KxwPlayArg& rtArg : _tArgs)
        if (rtArg._bIsPair && rtArg._dsKey == mpszKey) return &rtArg;
    return nullptr;
}

std::vector<const KxwPlayArg*> KxwPlayStep::GetWords() const {
    std::vector<const KxwPlayArg*> tWords;
    for (const KxwPlayArg& rtArg : _tArgs)
        if (!rtArg._bIsPair) tWords.push_back(&rtArg);
    return tWords;
}

bool xfbKxwPlayTokenizeLine(const char* mpsfLine, size_t mnLen, KxwPlayStep* mptStep, std::string* mpdsError) {
    mptStep->_dsVerb.clear();
    mptStep->_dsText.clear();
    mptStep->_tArgs.clear();
    mptStep->_ptVerb = nullptr;
    if (!mpsfLine) mnLen = 0;
    size_t nPos = 0;
    while (nPos < mnLen && IsBlank(mpsfLine[nPos])) ++nPos;
    if (nPos == mnLen || mpsfLine[nPos] == '#') return true;
    size_t nVerbEnd = nPos;
    while (nVerbEnd < mnLen && !IsBlank(mpsfLine[nVerbEnd])) ++nVerbEnd;
    mptStep->_dsVerb.assign(mpsfLine + nPos, nVerbEnd - nPos);
    mptStep->_ptVerb = xfptKxwPlayFindVerb(mptStep->_dsVerb);
    if (!mptStep->_ptVerb) {
        *mpdsError = "unknown verb \"" + mptStep->_dsVerb + "\"";
        return false;
    }
    size_t nTextBegin = nVerbEnd, nTextEnd = mnLen;
    while (nTextBegin < nTextEnd && IsBlank(mpsfLine[nTextBegin])) ++nTextBegin;
    while (nTextEnd > nTextBegin && IsBlank(mpsfLine[nTextEnd - 1])) --nTextEnd;
    mptStep->_dsText.assign(mpsfLine + nTextBegin, nTextEnd - nTextBegin);
    if (mptStep->_ptVerb->_eArgs == KXW_PLAY_ARGS_SCRIPT) return true;
    nPos = nVerbEnd;
    for (;;) {
        while (nPos < mnLen && IsBlank(mpsfLine[nPos])) ++nPos;
        if (nPos == mnLen || mpsfLine[nPos] == '#') return true;
        KxwPlayArg tArg;
        if (!ReadArg(mpsfLine, mnLen, &nPos, &tArg, mpdsError)) return false;
        mptStep->_tArgs.push_back(std::move(tArg));
    }
}

std::string xfdsKxwPlayMakeFolderBaseUrl(const std::string& mdsFolder) {
    std::string dsUrl = "file://";
    if (mdsFolder.empty() || mdsFolder[0] != '/') dsUrl += '/';
    xfvKxwPlayAppendEscapedPath(mdsFolder, &dsUrl);
    if (dsUrl.back() != '/') dsUrl += '/';
    return dsUrl;
}

bool KxwPlaySteps::LoadFromFile(const std::string& mdsPath, const std::set<std::string>* mptParamNames,
                                std::string* mpdsError) {
    std::string dsText;
    if (!xfbKxwPlayReadTextFile(mdsPath, knMaxStepsFileBytes, &dsText, mpdsError)) return false;
    // Relative URLs resolve against the real folder of the file, whatever the current folder is later.
    char* pszReal = realpath(mdsPath.c_str(), nullptr);
    std::string dsFolder;
    if (pszReal) {
        dsFolder = pszReal;
        std::free(pszReal);
        dsFolder.erase(dsFolder.find_last_of('/') + 1);
    } else {
        dsFolder = "/";
    }
    return LoadFromText(dsText.data(), dsText.size(), mdsPath, xfdsKxwPlayMakeFolderBaseUrl(dsFolder), mptParamNames,
                        mpdsError);
}

bool KxwPlaySteps::LoadFromText(const char* mpsfText, size_t mnLen, const std::string& mdsFileName,
                                const std::string& mdsBaseUrl, const std::set<std::string>* mptParamNames,
                                std::string* mpdsError) {
    _tSteps.clear();
    _dsFileName = mdsFileName;
    _dsScriptFileName = LastComponent(mdsFileName);
    _dsBaseUrl = mdsBaseUrl;
    if (!mpsfText) mnLen = 0;
    size_t nPos = 0;
    if (mnLen >= 3 && std::memcmp(mpsfText, "\xEF\xBB\xBF", 3) == 0) nPos = 3;
    KxwPlayCheckContext tContext;
    tContext._ptParamNames = mptParamNames;
    unsigned uLine = 0;
    while (nPos < mnLen) {
        ++uLine;
        const char* psfLine = mpsfText + nPos;
        const void* pvNewline = std::memchr(psfLine, '\n', mnLen - nPos);
        size_t nLineLen = pvNewline ? static_cast<size_t>(static_cast<const char*>(pvNewline) - psfLine) : mnLen - nPos;
        nPos += nLineLen + (pvNewline ? 1 : 0);
        if (nLineLen > 0 && psfLine[nLineLen - 1] == '\r') --nLineLen;
        auto Fail = [&](const std::string& mdsReason) {
            *mpdsError = mdsFileName + ":" + std::to_string(uLine) + ": " + mdsReason;
            _tSteps.clear();
            return false;
        };
        if (std::memchr(psfLine, '\0', nLineLen)) return Fail("a NUL byte (is this a text file?)");
        KxwPlayStep tStep;
        std::string dsReason;
        if (!xfbKxwPlayTokenizeLine(psfLine, nLineLen, &tStep, &dsReason)) return Fail(dsReason);
        if (tStep._dsVerb.empty()) continue;
        tStep._uLine = uLine;
        if (_tSteps.size() >= static_cast<size_t>(INT_MAX)) return Fail("too many steps");
        tStep._iNumber = static_cast<int>(_tSteps.size()) + 1;
        if (!xfbKxwPlayCheckStep(tStep, tContext, &dsReason)) return Fail(dsReason);
        // A URL holding a data parameter is resolved once the parameter has its value.
        if (!ResolveStepUrls(&tStep, &tContext, &dsReason)) return Fail(dsReason);
        _tSteps.push_back(std::move(tStep));
    }
    if (_tSteps.empty()) {
        *mpdsError = mdsFileName + ": no steps";
        return false;
    }
    return true;
}

bool KxwPlaySteps::ResolveUrl(const std::string& mdsReference, std::string* mpdsResult) const {
    *mpdsResult = mdsReference;
    std::string dsBuffer(_dsBaseUrl.size() + mdsReference.size() + 64, '\0');
    size_t nResultLen = 0;
    if (!KxwiUrlCombine::Combine(_dsBaseUrl.data(), _dsBaseUrl.size(), mdsReference.data(), mdsReference.size(),
                                 &dsBuffer[0], dsBuffer.size(), &nResultLen)) {
        if (nResultLen + 1 <= dsBuffer.size()) return false;
        dsBuffer.assign(nResultLen + 1, '\0');
        if (!KxwiUrlCombine::Combine(_dsBaseUrl.data(), _dsBaseUrl.size(), mdsReference.data(), mdsReference.size(),
                                     &dsBuffer[0], dsBuffer.size(), &nResultLen))
            return false;
    }
    mpdsResult->assign(dsBuffer.data(), nResultLen);
    return true;
}

bool KxwPlaySteps::ResolveStepUrls(KxwPlayStep* mptStep, const KxwPlayCheckContext* mptContext,
                                   std::string* mpdsError) const {
    if (!mptStep->_ptVerb || mptStep->_ptVerb->_eWordValue != KXW_PLAY_VALUE_URL) return true;
    for (KxwPlayArg& rtArg : mptStep->_tArgs) {
        if (rtArg._bIsPair || (mptContext && mptContext->IsDeferred(rtArg._dsValue))) continue;
        std::string dsResolved;
        if (!ResolveUrl(rtArg._dsValue, &dsResolved)) {
            *mpdsError = mptStep->_dsVerb + ": cannot resolve \"" + rtArg._dsValue + "\" against " + _dsBaseUrl;
            return false;
        }
        rtArg._dsValue = dsResolved;
    }
    return true;
}
