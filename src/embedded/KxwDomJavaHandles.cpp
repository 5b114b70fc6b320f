#include "KxwDomJavaHandles.h"

#include <mutex>
#include <thread>
#include <vector>

namespace {

struct Slot {
    uint32_t _uGeneration = 0;
    bool _bUsed = false;
    KxwDomJavaHandleKind _eKind = KxwDomJavaHandleKind::kApplet;
    void* _pvObject = nullptr;
    const void* _pvOwner = nullptr;
    std::thread::id _tThread;
};

// Java threads of any virtual user may look ids up: the table is the one place the bridge takes a lock.
std::mutex gtLock;
std::vector<Slot> gtSlots;
std::vector<uint32_t> gtFree;

uint32_t SlotOf(uint64_t muHandle) {
    return static_cast<uint32_t>(muHandle & 0xFFFFFFFFu);
}
uint32_t GenerationOf(uint64_t muHandle) {
    return static_cast<uint32_t>(muHandle >> 32);
}

}  // namespace

uint64_t KxwDomJavaHandles::Register(KxwDomJavaHandleKind meKind, void* mpvObject, const void* mpvOwner) {
    std::lock_guard<std::mutex> tGuard(gtLock);
    uint32_t uSlot;
    if (!gtFree.empty()) {
        uSlot = gtFree.back();
        gtFree.pop_back();
    } else {
        gtSlots.emplace_back();
        uSlot = static_cast<uint32_t>(gtSlots.size());  // slot numbers start at 1: 0 is never an id
    }
    Slot& rtSlot = gtSlots[uSlot - 1];
    // A generation of 0 would let the id 0 | slot repeat an old one after a wrap: it is skipped.
    if (++rtSlot._uGeneration == 0) rtSlot._uGeneration = 1;
    rtSlot._bUsed = true;
    rtSlot._eKind = meKind;
    rtSlot._pvObject = mpvObject;
    rtSlot._pvOwner = mpvOwner;
    rtSlot._tThread = std::this_thread::get_id();
    return (static_cast<uint64_t>(rtSlot._uGeneration) << 32) | uSlot;
}

void KxwDomJavaHandles::Unregister(uint64_t muHandle) {
    std::lock_guard<std::mutex> tGuard(gtLock);
    uint32_t uSlot = SlotOf(muHandle);
    if (uSlot == 0 || uSlot > gtSlots.size()) return;
    Slot& rtSlot = gtSlots[uSlot - 1];
    if (!rtSlot._bUsed || rtSlot._uGeneration != GenerationOf(muHandle)) return;
    rtSlot._bUsed = false;
    rtSlot._pvObject = nullptr;
    rtSlot._pvOwner = nullptr;
    gtFree.push_back(uSlot);
}

void* KxwDomJavaHandles::Find(uint64_t muHandle, KxwDomJavaHandleKind meKind, const char** mppszWhy) {
    const char* pszWhy = nullptr;
    void* pvObject = nullptr;
    {
        std::lock_guard<std::mutex> tGuard(gtLock);
        uint32_t uSlot = SlotOf(muHandle);
        const Slot* ptSlot = uSlot != 0 && uSlot <= gtSlots.size() ? &gtSlots[uSlot - 1] : nullptr;
        if (!ptSlot || ptSlot->_uGeneration != GenerationOf(muHandle))
            pszWhy = "no such object";
        else if (!ptSlot->_bUsed)
            pszWhy = "the object is gone";
        else if (ptSlot->_eKind != meKind)
            pszWhy = "the object is of another kind";
        else if (ptSlot->_tThread != std::this_thread::get_id())
            pszWhy = "the object belongs to another thread";
        else
            pvObject = ptSlot->_pvObject;
    }
    if (mppszWhy) *mppszWhy = pszWhy;
    return pvObject;
}

unsigned long KxwDomJavaHandles::CountOf(const void* mpvOwner) {
    std::lock_guard<std::mutex> tGuard(gtLock);
    unsigned long ulCount = 0;
    for (const Slot& rtSlot : gtSlots)
        if (rtSlot._bUsed && rtSlot._pvOwner == mpvOwner) ++ulCount;
    return ulCount;
}
