#include "KxwDomControlAccess.h"

#include <cstring>

#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomHtmlElementImage.h"
#include "KxwDomStr.h"
#include "KxwUtilStrCompare.h"
#include "KxwUtilUtf.h"
#include "kxw/KxwDomBrowsing.h"

std::u16string xfdsKxwDomControlText(KxwDomHtmlElement* mptElement, const char* mpszName) {
    std::u16string dsText;
    if (!mptElement || !mpszName) return dsText;
    if (mptElement->GetDeclaredPropertyText(mpszName, dsText)) return dsText;
    dsText.clear();
    mptElement->GetDescribedText(mpszName, static_cast<unsigned>(std::strlen(mpszName)), dsText);
    return dsText;
}

std::u16string xfdsKxwDomControlValue(KxwDomHtmlElement* mptElement) {
    return xfdsKxwDomControlText(mptElement, "value");
}

bool xfbKxwDomControlFlag(KxwDomHtmlElement* mptElement, const char* mpszName) {
    if (!mptElement || !mpszName) return false;
    bool bValue = false;
    if (mptElement->GetDeclaredPropertyBool(mpszName, bValue)) return bValue;
    // Without a property the attribute's presence is the flag, as in markup.
    return mptElement->GetAdditionalAttrs().AttrExists(mpszName, true);
}

bool xfbKxwDomControlIsInputOfType(KxwDomHtmlElement* mptInput, const std::string& mdsType) {
    if (mdsType.empty()) return true;
    std::u16string dsType = xfdsKxwDomControlText(mptInput, "type");
    if (dsType.empty()) dsType = u"text";
    std::string dsTypeUtf8 = xfdsKxwUtilU16ToUtf8(dsType.data(), dsType.size());
    return xfbKxwUtilIsEqualIgnoreCase(dsTypeUtf8.data(), dsTypeUtf8.size(), mdsType.data(), mdsType.size());
}

std::u16string xfdsKxwDomControlAbsoluteSrc(KxwDomHtmlElement* mptElement) {
    if (!mptElement) return std::u16string();
    std::string dsDcs;
    if (auto* ptImage = dynamic_cast<KxwDomHtmlElementImage*>(mptElement)) {
        dsDcs = ptImage->GetAbsoluteSrc();
    } else {
        std::u16string dsSrc = xfdsKxwDomControlText(mptElement, "src");
        if (dsSrc.empty()) return dsSrc;
        KxwDomStr tSrc(mptElement->GetDomEnv(), dsSrc.data(), static_cast<unsigned>(dsSrc.size()));
        dsDcs = xfdsKxwDomDocumentResolveUrl(mptElement->GetOwnerHtmlDocument(false), tSrc.GetDcsStr(),
                                             tSrc.GetDcsLenInBytes());
    }
    KxwDomStr tText(mptElement->GetDomEnv(), dsDcs.data(), static_cast<unsigned>(dsDcs.size()));
    return std::u16string(tText.GetU16nStr(), tText.GetU16nLenInChars());
}
