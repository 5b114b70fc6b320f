#include "KxwDomHtmlDynamicCollection.h"

#include <cstring>

#include "KxwDomNodeBase.h"

namespace {

char ToLowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualAscii(const char* mpsfLeft, size_t mnLeftLen, const char* mpsfRight, size_t mnRightLen, bool mbIgnoreCase) {
    if (mnLeftLen != mnRightLen) return false;
    if (!mbIgnoreCase) return std::memcmp(mpsfLeft, mpsfRight, mnLeftLen) == 0;
    for (size_t n = 0; n < mnLeftLen; ++n)
        if (ToLowerAscii(mpsfLeft[n]) != ToLowerAscii(mpsfRight[n])) return false;
    return true;
}

}  // namespace

KxwDomHtmlDynamicCollection::KxwDomHtmlDynamicCollection(KxwDomHtmlCollectionGeneral& mrtSource, const char* mpsfKey,
                                                         unsigned muKeyLen)
    : KxwDomHtmlCollectionGeneral(mrtSource.GetDomEnv()),
      _rtSource(mrtSource),
      _dsKey(mpsfKey ? std::string(mpsfKey, muKeyLen) : std::string()) {
    SetOwnerNode(mrtSource.GetOwnerNode(), _dsKey.c_str());
}

void KxwDomHtmlDynamicCollection::FillFromSource() {
    for (KxwDomNodeBase* ptNode : _rtSource)
        if (Accepts(ptNode, nullptr, true)) AppendItem(ptNode);
}

void KxwDomHtmlDynamicCollection::SourceAdded(KxwDomNodeBase* mptNode) {
    if (Accepts(mptNode, nullptr, true)) AddItemInOrderOf(mptNode, _rtSource);
}

bool KxwDomHtmlDynamicCollectionByTag::Accepts(const KxwDomNodeBase* mptNode, const char*, bool) const {
    if (!mptNode || !mptNode->IsElementNode()) return false;
    if (GetKey() == "*") return true;
    unsigned uLen = 0;
    const char16_t* pwsfName = mptNode->GetNodeNameU16n(&uLen);
    return IsTag(pwsfName, uLen);
}

bool KxwDomHtmlDynamicCollectionByTag::IsTag(const char16_t* mpwsfTagName, unsigned muLen) const {
    const std::string& rdsKey = GetKey();
    if (!mpwsfTagName || muLen != rdsKey.size()) return false;
    // Tag names are ASCII; any other character never matches a key byte by accident.
    for (unsigned n = 0; n < muLen; ++n) {
        char16_t c = mpwsfTagName[n];
        if (c >= 0x80 || ToLowerAscii(static_cast<char>(c)) != ToLowerAscii(rdsKey[n])) return false;
    }
    return true;
}

bool KxwDomHtmlDynamicCollectionByIdentifier::Matches(const KxwDomNodeBase* mptNode, const char* mpsfKey,
                                                      unsigned muKeyLen, bool mbIgnoreCase,
                                                      const char* mpszNewKeyOrNull, bool mbNewKeyIsId) {
    if (!mptNode || !mpsfKey || muKeyLen == 0) return false;
    const KxwDomHtmlPropertyStr& rtId = mptNode->GetId();
    const KxwDomHtmlPropertyStr& rtName = mptNode->GetName();
    bool bIdMatches = mpszNewKeyOrNull && mbNewKeyIsId
                          ? EqualAscii(mpszNewKeyOrNull, std::strlen(mpszNewKeyOrNull), mpsfKey, muKeyLen, mbIgnoreCase)
                          : EqualAscii(rtId.GetDcsStr(), rtId.GetDcsLenInBytes(), mpsfKey, muKeyLen, mbIgnoreCase);
    if (bIdMatches) return true;
    if (mpszNewKeyOrNull && !mbNewKeyIsId)
        return EqualAscii(mpszNewKeyOrNull, std::strlen(mpszNewKeyOrNull), mpsfKey, muKeyLen, mbIgnoreCase);
    return EqualAscii(rtName.GetDcsStr(), rtName.GetDcsLenInBytes(), mpsfKey, muKeyLen, mbIgnoreCase);
}

bool KxwDomHtmlDynamicCollectionByIdentifier::Accepts(const KxwDomNodeBase* mptNode, const char* mpszNewKeyOrNull,
                                                      bool mbNewKeyIsId) const {
    return Matches(mptNode, GetKey().data(), static_cast<unsigned>(GetKey().size()), _bByIdentifier, mpszNewKeyOrNull,
                   mbNewKeyIsId);
}

bool KxwDomHtmlDynamicCollectionByIdentifier::IsKey(const char* mpsfKey, unsigned muKeyLen) const {
    return EqualAscii(GetKey().data(), GetKey().size(), mpsfKey, muKeyLen, _bByIdentifier);
}
