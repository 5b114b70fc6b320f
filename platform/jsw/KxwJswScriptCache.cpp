#include <cstdint>
#include <cstring>
#include <functional>

#include "KxwJswInternal.h"

namespace {

// Texts kept compiled, counted in characters; the oldest go first beyond it.
constexpr size_t kMaxCachedChars = 32u * 1024 * 1024;

// Every script of every page is hashed and compared here, a library of a few hundred kilobytes on each load: the
// hash runs in four independent lanes of 8 bytes, the comparison is a memcmp. Entries with equal hashes are told
// apart by the comparison, so the hash needs to spread texts, not to resist attacks.
uint64_t HashText(const char16_t* mpwsfText, size_t mnLen) {
    constexpr uint64_t kMul = 0x9E3779B97F4A7C15ull;
    const auto* pucBytes = reinterpret_cast<const unsigned char*>(mpwsfText);
    size_t nBytes = mnLen * sizeof(char16_t);
    uint64_t auLanes[4] = {nBytes, kMul, ~static_cast<uint64_t>(nBytes), 0xC2B2AE3D27D4EB4Full};
    auto Round = [&](const unsigned char* mpucBlock) {
        for (int i = 0; i < 4; ++i) {
            uint64_t uWord;
            std::memcpy(&uWord, mpucBlock + 8 * i, sizeof uWord);
            auLanes[i] = (auLanes[i] ^ uWord) * kMul;
            auLanes[i] ^= auLanes[i] >> 29;
        }
    };
    size_t nPos = 0;
    for (; nPos + 32 <= nBytes; nPos += 32) Round(pucBytes + nPos);
    if (nPos < nBytes) {
        unsigned char aucTail[32] = {};
        std::memcpy(aucTail, pucBytes + nPos, nBytes - nPos);
        Round(aucTail);
    }
    uint64_t uHash = auLanes[0];
    for (int i = 1; i < 4; ++i) uHash = (uHash ^ (auLanes[i] >> 31 | auLanes[i] << 33)) * kMul;
    return uHash ^ (uHash >> 32);
}

bool SameText(const std::u16string& mrdsText, const char16_t* mpwsfText, size_t mnLen) {
    return mrdsText.size() == mnLen && std::memcmp(mrdsText.data(), mpwsfText, mnLen * sizeof(char16_t)) == 0;
}

size_t KeyOf(const char16_t* mpwsfText, size_t mnLen, const char* mpszFile, unsigned muLine) {
    size_t nHash = static_cast<size_t>(HashText(mpwsfText, mnLen));
    nHash ^= std::hash<std::string_view>()(mpszFile ? mpszFile : "") + 0x9e3779b97f4a7c15ull + (nHash << 6);
    return nHash ^ (static_cast<size_t>(muLine) * 0x100000001b3ull);
}

}  // namespace

KxwJswScriptCache& KxwJswScriptCache::Instance() {
    // Never destroyed with the other static objects: the engine's end (from an exit handler, say) empties it
    // whenever that comes.
    static KxwJswScriptCache& tInstance = *new KxwJswScriptCache();
    return tInstance;
}

std::shared_ptr<KxwJswScriptCache::Entry> KxwJswScriptCache::Compile(JSContext* mptCx, const char16_t* mpwsfText,
                                                                     size_t mnLen, const char* mpszFile,
                                                                     unsigned muLine, bool mbWhole) {
    JS::CompileOptions tOptions(mptCx);
    tOptions.setFileAndLine(mpszFile, muLine);
    if (mbWhole) tOptions.setForceFullParse();
    JS::SourceText<char16_t> tSource;
    if (!tSource.init(mptCx, mpwsfText, mnLen, JS::SourceOwnership::Borrowed)) return nullptr;
    RefPtr<JS::Stencil> tStencil = JS::CompileGlobalScriptToStencil(mptCx, tOptions, tSource);
    if (!tStencil) return nullptr;
    auto ptEntry = std::make_shared<Entry>();
    ptEntry->_dsText.assign(mpwsfText, mnLen);
    ptEntry->_dsFile = mpszFile;
    ptEntry->_uLine = muLine;
    ptEntry->_bWhole = mbWhole;
    ptEntry->_tStencil = std::move(tStencil);
    return ptEntry;
}

std::shared_ptr<KxwJswScriptCache::Entry> KxwJswScriptCache::Obtain(JSContext* mptCx, const char16_t* mpwsfText,
                                                                    size_t mnLen, const char* mpszFile,
                                                                    unsigned muLine) {
    const char* pszFile = mpszFile ? mpszFile : "";
    size_t nKey = KeyOf(mpwsfText, mnLen, pszFile, muLine);
    std::shared_ptr<Entry> ptSeen;
    {
        std::lock_guard<std::mutex> tLock(_tMutex);
        auto tRange = _tEntries.equal_range(nKey);
        for (auto it = tRange.first; it != tRange.second; ++it) {
            const Entry& rtEntry = *it->second;
            if (rtEntry._uLine == muLine && rtEntry._dsFile == pszFile && SameText(rtEntry._dsText, mpwsfText, mnLen)) {
                ++_nHits;
                if (rtEntry._bWhole) return it->second;
                ptSeen = it->second;
                break;
            }
        }
    }
    if (ptSeen) {
        // A text that comes back (a library every page of a site includes) is compiled once more, whole: the
        // pages after this one get its functions ready to run, where a first-use compile leaves each function to
        // be parsed again in every page that calls it. A text seen once is never parsed whole.
        std::shared_ptr<Entry> ptWhole = Compile(mptCx, mpwsfText, mnLen, pszFile, muLine, true);
        if (!ptWhole) {
            JS_ClearPendingException(mptCx);
            return ptSeen;
        }
        std::lock_guard<std::mutex> tLock(_tMutex);
        auto tRange = _tEntries.equal_range(nKey);
        for (auto it = tRange.first; it != tRange.second; ++it)
            if (it->second == ptSeen) it->second = ptWhole;
        return ptWhole;
    }
    // Compiled outside the lock: other virtual users go on meanwhile, and two that miss the same text at once both
    // compile it, which is harmless.
    ++_nMisses;
    std::shared_ptr<Entry> ptEntry = Compile(mptCx, mpwsfText, mnLen, pszFile, muLine, false);
    if (!ptEntry) return nullptr;

    std::lock_guard<std::mutex> tLock(_tMutex);
    if (mnLen > kMaxCachedChars) return ptEntry;
    while (_nChars + mnLen > kMaxCachedChars && !_tOrder.empty()) {
        size_t nOldKey = _tOrder.front();
        _tOrder.erase(_tOrder.begin());
        auto it = _tEntries.find(nOldKey);
        if (it != _tEntries.end()) {
            _nChars -= it->second->_dsText.size();
            _tEntries.erase(it);
        }
    }
    _tEntries.emplace(nKey, ptEntry);
    _tOrder.push_back(nKey);
    _nChars += mnLen;
    return ptEntry;
}

void KxwJswScriptCache::Clear() {
    std::lock_guard<std::mutex> tLock(_tMutex);
    _tEntries.clear();
    _tOrder.clear();
    _nChars = 0;
}

size_t KxwJswScriptCache::GetEntryCount() {
    std::lock_guard<std::mutex> tLock(_tMutex);
    return _tEntries.size();
}
