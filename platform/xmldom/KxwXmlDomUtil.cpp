#include "KxwXmlDomUtil.h"

#include <cstring>

#include "KxwUtilUtf.h"

std::u16string xfdsKxwXmlDomU16(const xmlChar* mpszText) {
    if (!mpszText) return std::u16string();
    const char* psz = reinterpret_cast<const char*>(mpszText);
    return xfdsKxwUtilUtf8ToU16(psz, std::strlen(psz));
}

std::u16string xfdsKxwXmlDomU16(const std::string& mrdsText) {
    return xfdsKxwUtilUtf8ToU16(mrdsText.data(), mrdsText.size());
}

std::string xfdsKxwXmlDomUtf8(const std::u16string& mrdsText) {
    return xfdsKxwUtilU16ToUtf8(mrdsText.data(), mrdsText.size(), true);
}

std::string xfdsKxwXmlDomTakeChars(xmlChar* mpszText) {
    if (!mpszText) return std::string();
    std::string dsText(reinterpret_cast<const char*>(mpszText));
    xmlFree(mpszText);
    return dsText;
}

bool xfbKxwXmlDomIsBlankChar(char16_t mc) {
    return mc == u' ' || mc == u'\t' || mc == u'\r' || mc == u'\n';
}

bool xfbKxwXmlDomIsBlank(const xmlChar* mpszText) {
    if (!mpszText) return true;
    for (; *mpszText; ++mpszText)
        if (!xfbKxwXmlDomIsBlankChar(static_cast<char16_t>(*mpszText))) return false;
    return true;
}

std::string xfdsKxwXmlDomQualifiedName(const xmlNode* mptNode) {
    if (!mptNode || !mptNode->name) return std::string();
    std::string dsName;
    if ((mptNode->type == XML_ELEMENT_NODE || mptNode->type == XML_ATTRIBUTE_NODE) && mptNode->ns &&
        mptNode->ns->prefix) {
        dsName = reinterpret_cast<const char*>(mptNode->ns->prefix);
        dsName += ':';
    }
    dsName += reinterpret_cast<const char*>(mptNode->name);
    return dsName;
}

bool xfbKxwXmlDomIsName(const std::string& mrdsName) {
    if (mrdsName.empty()) return false;
    return xmlValidateName(xfpKxwXmlDomChars(mrdsName), 0) == 0;
}

namespace {

KxwAutoResult Missing(const char* mpszWhat, std::string& mrdsError) {
    mrdsError = std::string("The argument ") + mpszWhat + " is missing";
    return KXW_AUTO_E_INVALIDARG;
}

bool IsObjectLike(const KxwAutoValue& mrtValue) {
    KXW_AUTO_VALUE_TYPE_ENUM eType = mrtValue.GetType();
    return eType == KXW_AUTO_VALUE_OBJECT || eType == KXW_AUTO_VALUE_CALLABLE || eType == KXW_AUTO_VALUE_FOREIGN;
}

}  // namespace

KxwAutoResult xflKxwXmlDomValueText(const KxwAutoValue& mrtValue, const char* mpszWhat, std::string& mrdsUtf8,
                                    std::string& mrdsError) {
    std::u16string ds;
    if (IsObjectLike(mrtValue) || !mrtValue.ToString(ds)) {
        mrdsError = std::string("The argument ") + mpszWhat + " must be a text, not an object";
        return KXW_AUTO_E_TYPEMISMATCH;
    }
    if (mrtValue.IsNullOrEmpty()) ds.clear();  // null and undefined put as a text are the empty text
    mrdsUtf8 = xfdsKxwXmlDomUtf8(ds);
    return KXW_AUTO_S_OK;
}

KxwAutoResult xflKxwXmlDomArgText(const KxwAutoArgs& mrtArgs, size_t mnIndex, const char* mpszWhat,
                                  std::string& mrdsUtf8, std::string& mrdsError) {
    if (mnIndex >= mrtArgs.size() || mrtArgs[mnIndex].IsEmpty()) return Missing(mpszWhat, mrdsError);
    if (mrtArgs[mnIndex].GetType() == KXW_AUTO_VALUE_NULL) {
        mrdsError = std::string("The argument ") + mpszWhat + " must be a text, not null";
        return KXW_AUTO_E_TYPEMISMATCH;
    }
    return xflKxwXmlDomValueText(mrtArgs[mnIndex], mpszWhat, mrdsUtf8, mrdsError);
}

KxwAutoResult xflKxwXmlDomArgInt(const KxwAutoArgs& mrtArgs, size_t mnIndex, const char* mpszWhat, int32_t& mriValue,
                                 std::string& mrdsError) {
    if (mnIndex >= mrtArgs.size() || mrtArgs[mnIndex].IsEmpty()) return Missing(mpszWhat, mrdsError);
    if (IsObjectLike(mrtArgs[mnIndex]) || !mrtArgs[mnIndex].ToInt(mriValue)) {
        mrdsError = std::string("The argument ") + mpszWhat + " must be a number";
        return KXW_AUTO_E_TYPEMISMATCH;
    }
    return KXW_AUTO_S_OK;
}

KxwAutoResult xflKxwXmlDomArgBool(const KxwAutoArgs& mrtArgs, size_t mnIndex, const char* mpszWhat, bool& mrbValue,
                                  std::string& mrdsError) {
    if (mnIndex >= mrtArgs.size() || mrtArgs[mnIndex].IsEmpty()) return Missing(mpszWhat, mrdsError);
    mrbValue = mrtArgs[mnIndex].ToBool();
    return KXW_AUTO_S_OK;
}
