#include "KxwDomBrowsingUtil.h"

#include <cstring>

#include "KxwDomHtmlElement.h"
#include "KxwDomPropertyInfo.h"
#include "KxwU16nHandler.h"
#include "KxwiUrl.h"

void xfvKxwDomBrowsingAssignText(KxwDomPropertyInfo& mrtPropertyInfo, const std::string& mrdsDcs,
                                 KxwU16nHandler* mptHandler) {
    if (mrdsDcs.empty()) {
        mrtPropertyInfo.AssignEmptyStr();
        return;
    }
    KxwU16nHandler* ptHandler = mptHandler ? mptHandler : xfptKxwU16nHandlerGetDefault();
    // The wrapper copies the text before the next property is read on this thread.
    thread_local std::u16string tdsTemporary;
    tdsTemporary.assign(ptHandler->GetMaxU16nLenInChars(mrdsDcs.size()), u'\0');
    tdsTemporary.resize(ptHandler->ConvertDcsToU16n(mrdsDcs.data(), mrdsDcs.size(), tdsTemporary.data(),
                                                    tdsTemporary.size()));
    mrtPropertyInfo.AssignU16nStr(tdsTemporary.data(), static_cast<unsigned>(tdsTemporary.size()), true);
}

std::string xfdsKxwDomBrowsingTextOf(KxwDomPropertyInfo& mrtPropertyInfo, KxwU16nHandler* mptHandler) {
    const char16_t* pwsfText = mrtPropertyInfo.ConvertAndGetStringU16n();
    unsigned uLen = mrtPropertyInfo.ConvertAndGetStringU16nLength();
    if (!pwsfText || uLen == 0) return std::string();
    KxwU16nHandler* ptHandler = mptHandler ? mptHandler : xfptKxwU16nHandlerGetDefault();
    std::string dsText(ptHandler->GetMaxDcsLenInBytes(uLen), '\0');
    dsText.resize(ptHandler->ConvertU16nToDcs(pwsfText, uLen, dsText.data(), dsText.size()));
    return dsText;
}

std::string xfdsKxwDomBrowsingCombineUrl(const std::string& mrdsBase, const char* mpsfRelative, size_t mnLen) {
    if (!mpsfRelative) mnLen = 0;
    std::string dsResult;
    if (mnLen < (1u << 30) &&
        KxwDomHtmlElement::CombineUrlDcs(mrdsBase.data(), static_cast<unsigned>(mrdsBase.size()),
                                         mpsfRelative ? mpsfRelative : "", static_cast<unsigned>(mnLen), dsResult))
        return dsResult;
    return std::string(mpsfRelative ? mpsfRelative : "", mnLen);
}

namespace {
char LowerAscii(char mc) { return (mc >= 'A' && mc <= 'Z') ? static_cast<char>(mc - 'A' + 'a') : mc; }
}  // namespace

bool xfbKxwDomBrowsingEqualsNoCase(const char* mpsfStr, size_t mnLen, const char* mpszAscii) {
    size_t nAsciiLen = std::strlen(mpszAscii);
    return mpsfStr && mnLen == nAsciiLen && xfbKxwDomBrowsingStartsWithNoCase(mpsfStr, mnLen, mpszAscii);
}

bool xfbKxwDomBrowsingStartsWithNoCase(const char* mpsfStr, size_t mnLen, const char* mpszAscii) {
    size_t nAsciiLen = std::strlen(mpszAscii);
    if (!mpsfStr || mnLen < nAsciiLen) return false;
    for (size_t n = 0; n < nAsciiLen; ++n)
        if (LowerAscii(mpsfStr[n]) != LowerAscii(mpszAscii[n])) return false;
    return true;
}
