// Records what reaches the process-wide message sink while a test runs, and restores the defaults afterwards.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "KxwUtilReport.h"

class KxwRecordingSink {
public:
    struct Message {
        KXW_WTL_SEV_LVL_ENUM _eSevLvl;
        int _iMsgId;
        std::string _dsText;
        std::string _dsFunction;
    };

    explicit KxwRecordingSink(KxwWtlSevFilterFunc mpfFilter = nullptr) {
        Current() = this;
        xfvKxwUtilSetWtlFuncs(mpfFilter, &Record);
    }
    ~KxwRecordingSink() {
        xfvKxwUtilSetWtlFuncs(nullptr, nullptr);
        Current() = nullptr;
    }
    KxwRecordingSink(const KxwRecordingSink&) = delete;
    KxwRecordingSink& operator=(const KxwRecordingSink&) = delete;

    std::vector<Message> Messages() const {
        std::lock_guard<std::mutex> tLock(_tMutex);
        return _tMessages;
    }
    size_t Count() const { return Messages().size(); }
    // True when some message contains the fragment.
    bool Saw(const std::string& mdsFragment) const {
        for (const Message& rtMessage : Messages())
            if (rtMessage._dsText.find(mdsFragment) != std::string::npos) return true;
        return false;
    }
    void Clear() {
        std::lock_guard<std::mutex> tLock(_tMutex);
        _tMessages.clear();
    }

private:
    static KxwRecordingSink*& Current() {
        static KxwRecordingSink* ptCurrent = nullptr;
        return ptCurrent;
    }
    static void Record(KXW_WTL_SEV_LVL_ENUM meSevLvl, int miMsgId, const char* mpszText, const char* mpszFunction,
                       int) {
        KxwRecordingSink* ptSink = Current();
        if (!ptSink) return;
        std::lock_guard<std::mutex> tLock(ptSink->_tMutex);
        ptSink->_tMessages.push_back({meSevLvl, miMsgId, mpszText, mpszFunction});
    }

    mutable std::mutex _tMutex;
    std::vector<Message> _tMessages;
};
