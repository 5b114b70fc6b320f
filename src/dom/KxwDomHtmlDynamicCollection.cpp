#include "KxwDomHtmlDynamicCollection.h"

#include <cstring>

#include "KxwDomBindingUtil.h"
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
    if (mrtSource.IsInDocumentOrder()) SetIsInDocumentOrder();
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

// ---------------------------------------------------------------------------------------------------------------
// By key

KxwDomHtmlDynamicCollections::KxwDomHtmlDynamicCollections(KxwMemMgr* mptMemMgr)
    : _ptMemMgr(mptMemMgr),
      _tByTag(decltype(_tByTag)::allocator_type(mptMemMgr)),
      _tByIdentifier(decltype(_tByIdentifier)::allocator_type(mptMemMgr)),
      _tByName(decltype(_tByName)::allocator_type(mptMemMgr)) {}

KxwDomHtmlDynamicCollections::~KxwDomHtmlDynamicCollections() {
    delete _ptEveryTag;
    for (auto& rtEntry : _tByTag) delete rtEntry.second;
    for (auto& rtEntry : _tByIdentifier) delete rtEntry.second;
    for (auto& rtEntry : _tByName) delete rtEntry.second;
}

KxwDomHtmlDynamicCollections::KeyStr KxwDomHtmlDynamicCollections::Key(const char* mpsfText, size_t mnLen,
                                                                       bool mbFold) const {
    KeyStr dsKey(mpsfText ? mpsfText : "", mpsfText ? mnLen : 0, KxwDomHtmlCollectionMapAllocator<char>(_ptMemMgr));
    if (mbFold)
        for (char& rc : dsKey) rc = ToLowerAscii(rc);
    return dsKey;
}

KxwDomHtmlDynamicCollectionByTag* KxwDomHtmlDynamicCollections::FindTag(const char16_t* mpwsfTagName,
                                                                        unsigned muLen) const {
    if (!mpwsfTagName) return nullptr;
    if (muLen == 1 && mpwsfTagName[0] == u'*') return _ptEveryTag;
    std::string dsTag = xfdsKxwDomUtilU16ToUtf8(mpwsfTagName, muLen);
    auto it = _tByTag.find(Key(dsTag.data(), dsTag.size(), true));
    return it == _tByTag.end() ? nullptr : it->second;
}

KxwDomHtmlDynamicCollectionByIdentifier* KxwDomHtmlDynamicCollections::FindIdentifier(const char* mpsfKey,
                                                                                      unsigned muKeyLen,
                                                                                      bool mbByIdentifier) const {
    const auto& rtMap = mbByIdentifier ? _tByIdentifier : _tByName;
    auto it = rtMap.find(Key(mpsfKey, muKeyLen, mbByIdentifier));
    return it == rtMap.end() ? nullptr : it->second;
}

void KxwDomHtmlDynamicCollections::AddTag(KxwDomHtmlDynamicCollectionByTag* mptDynamic) {
    const std::string& rdsKey = mptDynamic->GetKey();
    if (rdsKey == "*")
        _ptEveryTag = mptDynamic;
    else
        _tByTag[Key(rdsKey.data(), rdsKey.size(), true)] = mptDynamic;
}

void KxwDomHtmlDynamicCollections::AddIdentifier(KxwDomHtmlDynamicCollectionByIdentifier* mptDynamic) {
    const std::string& rdsKey = mptDynamic->GetKey();
    bool bByIdentifier = mptDynamic->IsByIdentifier();
    (bByIdentifier ? _tByIdentifier : _tByName)[Key(rdsKey.data(), rdsKey.size(), bByIdentifier)] = mptDynamic;
}

void KxwDomHtmlDynamicCollections::VisitIdentifier(
    const char* mpsfKey, size_t mnLen, const std::function<void(KxwDomHtmlDynamicCollection&)>& mfVisit) const {
    if (!mpsfKey || mnLen == 0) return;
    if (!_tByIdentifier.empty()) {
        auto it = _tByIdentifier.find(Key(mpsfKey, mnLen, true));
        if (it != _tByIdentifier.end()) mfVisit(*it->second);
    }
    if (!_tByName.empty()) {
        auto it = _tByName.find(Key(mpsfKey, mnLen, false));
        if (it != _tByName.end()) mfVisit(*it->second);
    }
}

void KxwDomHtmlDynamicCollections::ForEachConcerned(
    const KxwDomNodeBase* mptNode, const char* mpszOtherKey,
    const std::function<void(KxwDomHtmlDynamicCollection&)>& mfVisit) const {
    if (!mptNode) return;
    if (_ptEveryTag) mfVisit(*_ptEveryTag);
    if (!_tByTag.empty() && mptNode->IsElementNode()) {
        unsigned uLen = 0;
        const char16_t* pwsfName = mptNode->GetNodeNameU16n(&uLen);
        if (KxwDomHtmlDynamicCollectionByTag* ptByTag = FindTag(pwsfName, uLen))
            if (ptByTag != _ptEveryTag) mfVisit(*ptByTag);
    }
    if (_tByIdentifier.empty() && _tByName.empty()) return;
    // A node whose id and name are one text (or equal but for case) must be visited once per collection.
    const KxwDomHtmlPropertyStr& rtId = mptNode->GetId();
    const KxwDomHtmlPropertyStr& rtName = mptNode->GetName();
    const KxwDomHtmlDynamicCollection* aptSeen[6] = {};
    size_t nSeen = 0;
    auto Once = [&](KxwDomHtmlDynamicCollection& mrtDynamic) {
        for (size_t n = 0; n < nSeen; ++n)
            if (aptSeen[n] == &mrtDynamic) return;
        aptSeen[nSeen++] = &mrtDynamic;
        mfVisit(mrtDynamic);
    };
    VisitIdentifier(rtId.GetDcsStr(), rtId.GetDcsLenInBytes(), Once);
    VisitIdentifier(rtName.GetDcsStr(), rtName.GetDcsLenInBytes(), Once);
    if (mpszOtherKey) VisitIdentifier(mpszOtherKey, std::strlen(mpszOtherKey), Once);
}

void KxwDomHtmlDynamicCollections::ForEach(const std::function<void(KxwDomHtmlDynamicCollection&)>& mfVisit) const {
    if (_ptEveryTag) mfVisit(*_ptEveryTag);
    for (const auto& rtEntry : _tByTag) mfVisit(*rtEntry.second);
    for (const auto& rtEntry : _tByIdentifier) mfVisit(*rtEntry.second);
    for (const auto& rtEntry : _tByName) mfVisit(*rtEntry.second);
}
