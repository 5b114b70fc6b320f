#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "KxwMsgCatalogue.h"
#include "KxwMsgHandler.h"
#include "KxwUtilReport.h"

namespace {

// What the library passes on every call; the handler must ignore it.
constexpr unsigned long kLibraryFlags = 0x50100000;

struct CapturedReport {
    KXW_WTL_SEV_LVL_ENUM _eSevLvl;
    std::string _dsText;
};
std::vector<CapturedReport> gatCaptured;

void CaptureSink(KXW_WTL_SEV_LVL_ENUM meSevLvl, int, const char* mpszText, const char*, int) {
    gatCaptured.push_back({meSevLvl, mpszText ? mpszText : ""});
}

// Routes every report into gatCaptured for the test's lifetime, then restores what was installed.
class ScopedCapture {
public:
    ScopedCapture() : _pfSevFilter(xfpfKxwUtilGetSevFilter()), _pfSink(xfpfKxwUtilGetMessageSink()) {
        gatCaptured.clear();
        xfvKxwUtilSetWtlFuncs(nullptr, &CaptureSink);
    }
    ~ScopedCapture() { xfvKxwUtilSetWtlFuncs(_pfSevFilter, _pfSink); }
    ScopedCapture(const ScopedCapture&) = delete;
    ScopedCapture& operator=(const ScopedCapture&) = delete;

private:
    KxwWtlSevFilterFunc _pfSevFilter;
    KxwWtlMessageSinkFunc _pfSink;
};

// Formats through the variadic form as the library does and hands back the text, released.
template <class... A>
std::string FormatText(int miMsgId, A... mtArgs) {
    char* pszText = nullptr;
    int iStatus = FormatGenericMessageEx("", -1, kLibraryFlags, miMsgId, &pszText, mtArgs...);
    EXPECT_EQ(KXW_MSG_HANDLER_STATUS_OK, iStatus) << "message " << miMsgId;
    std::string dsText = pszText ? pszText : "[no text]";
    FreeGenericMessage(pszText);
    return dsText;
}

enum class ArgKind { Int, UInt, Long, ULong, String, Pointer };

// The conversions the catalogue may use: %d, %u, %ld, %lu, %s, %.Ns, %p and %%. Anything else (widths, '*', %n,
// %x, long long ...) is refused, so that a slip in the table shows up here rather than at run time.
bool ParseFormat(const char* mpszFormat, std::vector<ArgKind>* mpatKinds, std::string* mpdsWhy) {
    auto Refuse = [mpdsWhy](const char* mpszReason, const char* mpcAt) {
        *mpdsWhy = std::string(mpszReason) + " at \"" + mpcAt + "\"";
        return false;
    };
    mpatKinds->clear();
    for (const char* pc = mpszFormat; *pc; ++pc) {
        if (*pc != '%') continue;
        const char* pcStart = pc++;
        if (*pc == '%') continue;
        bool bPrecision = false;
        if (*pc == '.') {
            ++pc;
            if (*pc < '0' || *pc > '9') return Refuse("precision without digits", pcStart);
            while (*pc >= '0' && *pc <= '9') ++pc;
            bPrecision = true;
        }
        bool bLong = *pc == 'l';
        if (bLong) ++pc;
        ArgKind eKind;
        if (*pc == 'd') {
            eKind = bLong ? ArgKind::Long : ArgKind::Int;
        } else if (*pc == 'u') {
            eKind = bLong ? ArgKind::ULong : ArgKind::UInt;
        } else if (*pc == 's' && !bLong) {
            eKind = ArgKind::String;
        } else if (*pc == 'p' && !bLong && !bPrecision) {
            eKind = ArgKind::Pointer;
        } else {
            return Refuse("unsupported conversion", pcStart);
        }
        if (bPrecision && eKind != ArgKind::String) return Refuse("precision on a number", pcStart);
        mpatKinds->push_back(eKind);
    }
    return true;
}

// Dummy arguments, distinct per position so that the output shows each one landed in its own place. The values are
// passed as int, long or const char*: C allows reading a non-negative int as unsigned, a long as unsigned long and a
// character pointer as void*, which keeps the number of generated call shapes small.
const char* const kapszStringArgs[] = {"<arg0>", "<arg1>", "<arg2>", "<arg3>", "<arg4>", "<arg5>"};
constexpr size_t kMaxArgs = std::size(kapszStringArgs);
int DummyInt(size_t mnIndex) {
    return 7000 + static_cast<int>(mnIndex);
}
long DummyLong(size_t mnIndex) {
    return 880000L + static_cast<long>(mnIndex);
}

template <size_t N, class... A>
int FormatWithDummies(int miMsgId, const std::vector<ArgKind>& mratKinds, char** mppszText, A... mtArgs) {
    constexpr size_t nIndex = sizeof...(A);
    if (nIndex == mratKinds.size()) return FormatGenericMessageEx("", -1, kLibraryFlags, miMsgId, mppszText, mtArgs...);
    if constexpr (N < kMaxArgs) {
        switch (mratKinds[nIndex]) {
            case ArgKind::Int:
            case ArgKind::UInt:
                return FormatWithDummies<N + 1>(miMsgId, mratKinds, mppszText, mtArgs..., DummyInt(nIndex));
            case ArgKind::Long:
            case ArgKind::ULong:
                return FormatWithDummies<N + 1>(miMsgId, mratKinds, mppszText, mtArgs..., DummyLong(nIndex));
            case ArgKind::String:
            case ArgKind::Pointer:
                return FormatWithDummies<N + 1>(miMsgId, mratKinds, mppszText, mtArgs..., kapszStringArgs[nIndex]);
        }
    }
    ADD_FAILURE() << "message " << miMsgId << " takes more than " << kMaxArgs << " arguments";
    return -1;
}

std::string ExpectedDummyText(ArgKind meKind, size_t mnIndex) {
    char acText[64];
    switch (meKind) {
        case ArgKind::Int:
        case ArgKind::UInt:
            std::snprintf(acText, sizeof acText, "%d", DummyInt(mnIndex));
            break;
        case ArgKind::Long:
        case ArgKind::ULong:
            std::snprintf(acText, sizeof acText, "%ld", DummyLong(mnIndex));
            break;
        case ArgKind::String:
            return kapszStringArgs[mnIndex];
        case ArgKind::Pointer:
            std::snprintf(acText, sizeof acText, "%p", static_cast<const void*>(kapszStringArgs[mnIndex]));
            break;
    }
    return acText;
}

// The numbers the library reports, with the printf arguments its callers pass.
struct ExpectedUse {
    int _iMsgId;
    std::vector<ArgKind> _atKinds;
};

}  // namespace

TEST(KxwMsgHandlerTest, FormatsMessagesWithTheCallersArguments) {
    EXPECT_EQ("The property \"innerHTML\" cannot be set on a <STYLE> element",
              FormatText(-35944, "innerHTML", "STYLE"));
    EXPECT_EQ("Added 2 browser windows titled \"X\" so that ordinal 3 can be matched", FormatText(-35949, 2, "X", 3u));

    // The direct message's text is an argument, never a format: percent signs in a page's alert stay as they are.
    EXPECT_EQ("Alert: 100% sure %s %n %d", FormatText(KXW_MSG_ID_DIRECT_MESSAGE, "Alert: 100% sure %s %n %d"));

    // A long direct text comes back whole: the buffer is sized to the text.
    std::string dsLong(100000, 'a');
    dsLong += "end";
    EXPECT_EQ(dsLong, FormatText(KXW_MSG_ID_DIRECT_MESSAGE, dsLong.c_str()));

    // A runaway script text is cut by the format's precision, so one timer cannot flood the log.
    std::string dsCode(5000, 'c');
    std::string dsTimer = FormatText(-35997, 90000L, 60L, 17, dsCode.c_str());
    EXPECT_NE(std::string::npos, dsTimer.find("90000 ms"));
    EXPECT_NE(std::string::npos, dsTimer.find("60 s"));
    EXPECT_NE(std::string::npos, dsTimer.find("timer 17"));
    EXPECT_NE(std::string::npos, dsTimer.find(std::string(1000, 'c')));
    EXPECT_EQ(std::string::npos, dsTimer.find(std::string(1001, 'c')));

    // The module name, the index and the flags select nothing.
    char* pszText = nullptr;
    ASSERT_EQ(KXW_MSG_HANDLER_STATUS_OK, FormatGenericMessageEx(nullptr, 5, 0, -35958, &pszText, "insertRow"));
    ASSERT_NE(nullptr, pszText);
    EXPECT_EQ(FormatText(-35958, "insertRow"), pszText);
    FreeGenericMessage(pszText);
}

TEST(KxwMsgHandlerTest, RefusesUnknownNumbersAndMissingOutput) {
    ScopedCapture tCapture;
    for (int iMsgId : {-35908, -35987, -35999, -35900, -26001, 0, 26000}) {
        gatCaptured.clear();
        char* pszText = reinterpret_cast<char*>(&iMsgId);  // a stale pointer must not survive the failure
        int iStatus = FormatGenericMessageEx("", -1, kLibraryFlags, iMsgId, &pszText, "unused");
        EXPECT_EQ(KXW_MSG_HANDLER_STATUS_UNKNOWN_MSG_ID, iStatus) << iMsgId;
        EXPECT_EQ(nullptr, pszText) << iMsgId;
        ASSERT_EQ(1u, gatCaptured.size()) << iMsgId;
        EXPECT_EQ(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, gatCaptured[0]._eSevLvl);
        EXPECT_NE(std::string::npos, gatCaptured[0]._dsText.find(std::to_string(iMsgId))) << gatCaptured[0]._dsText;
        EXPECT_EQ(nullptr, xfpszKxwMsgCatalogueGetFormat(iMsgId)) << iMsgId;
        EXPECT_EQ(-1, xfiKxwMsgCatalogueGetArgCount(iMsgId)) << iMsgId;
    }

    gatCaptured.clear();
    EXPECT_EQ(KXW_MSG_HANDLER_STATUS_NULL_OUTPUT,
              FormatGenericMessageEx("", -1, kLibraryFlags, KXW_MSG_ID_DIRECT_MESSAGE, nullptr, "text"));
    ASSERT_EQ(1u, gatCaptured.size());
    EXPECT_EQ(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, gatCaptured[0]._eSevLvl);

    gatCaptured.clear();
    FreeGenericMessage(nullptr);
    EXPECT_TRUE(gatCaptured.empty());
}

TEST(KxwMsgHandlerTest, CatalogueHoldsEveryNumberTheLibraryReportsWithItsArguments) {
    using K = ArgKind;
    const K s = K::String, d = K::Int, u = K::UInt, ld = K::Long, lu = K::ULong, p = K::Pointer;
    const std::vector<ExpectedUse> atUses = {
        {-35998, {s}},
        {-35997, {ld, ld, d, s}},
        {-35996, {d, ld, ld, s}},
        {-35995, {d, ld, lu, lu, s}},
        {-35994, {d, lu, lu, lu}},
        {-35993, {d}},
        {-35992, {d, lu, lu, lu, s}},
        {-35991, {d, d}},
        {-35990, {d}},
        {-35989, {s, s}},
        {-35988, {s}},
        {-35986, {}},
        {-35985, {s}},
        {-35984, {s, s}},
        {-35983, {s}},
        {-35979, {}},
        {-35974, {}},
        {-35973, {d}},
        {-35972, {d}},
        {-35968, {ld, s, ld}},
        {-35967, {s, d}},
        {-35966, {}},
        {-35965, {s}},
        {-35963, {s}},
        {-35961, {s, s}},
        {-35960, {s, s}},
        {-35958, {s}},
        {-35956, {s}},
        {-35953, {s, p, d, d}},
        {-35949, {d, s, u}},
        {-35948, {s, u, s, u}},
        {-35947, {s, u}},
        {-35946, {s, d}},
        {-35945, {s}},
        {-35944, {s, s}},
        {-35943, {s, s}},
        {-35942, {s}},
        {-35940, {s}},
        {-35937, {d}},
        {-35934, {d, d, s}},
        {-35933, {}},
        {-35932, {s, s}},
        {-35931, {d, lu, lu, lu}},
        {-35929, {d}},
        {-35928, {d}},
        {-35927, {s, s}},
        {-35926, {s}},
        {-35925, {s}},
        {-35924, {s}},
        {-35923, {s}},
        {-35922, {}},
        {-35921, {s, s}},
        {-35920, {s}},
        {-35918, {}},
        {-35917, {}},
        {-35916, {}},
        {-35915, {s, s}},
        {-35913, {s, s, s}},
        {-35912, {}},
        {-35911, {s}},
        {-35910, {s}},
        {-35909, {s}},
        {-26000, {s}},
    };
    for (const ExpectedUse& rtUse : atUses) {
        const char* pszFormat = xfpszKxwMsgCatalogueGetFormat(rtUse._iMsgId);
        if (!pszFormat) {
            ADD_FAILURE() << rtUse._iMsgId << " is not in the catalogue";
            continue;
        }
        std::vector<ArgKind> atKinds;
        std::string dsWhy;
        if (!ParseFormat(pszFormat, &atKinds, &dsWhy)) {
            ADD_FAILURE() << rtUse._iMsgId << ": " << dsWhy;
            continue;
        }
        EXPECT_TRUE(atKinds == rtUse._atKinds) << rtUse._iMsgId << ": " << pszFormat;
    }
    EXPECT_STREQ("%s", xfpszKxwMsgCatalogueGetFormat(KXW_MSG_ID_DIRECT_MESSAGE));

    size_t nCount = 0;
    xfptKxwMsgCatalogueGetEntries(&nCount);
    EXPECT_EQ(atUses.size(), nCount) << "the catalogue holds a number no caller uses, or misses one";
}

TEST(KxwMsgHandlerTest, FormatCheckerRefusesConversionsTheCatalogueMustNotUse) {
    std::vector<ArgKind> atKinds;
    std::string dsWhy;
    for (const char* pszBad :
         {"%n", "%x", "%lld", "%*d", "%.*s", "%5s", "%-s", "%hd", "%.10d", "%ls", "%lp", "%.5p", "%f", "100%"}) {
        EXPECT_FALSE(ParseFormat(pszBad, &atKinds, &dsWhy)) << pszBad;
    }
    ASSERT_TRUE(ParseFormat("%d %ld %u %lu %s %.20s %p 100%%", &atKinds, &dsWhy)) << dsWhy;
    const std::vector<ArgKind> atExpected = {ArgKind::Int,    ArgKind::Long,   ArgKind::UInt,   ArgKind::ULong,
                                             ArgKind::String, ArgKind::String, ArgKind::Pointer};
    EXPECT_TRUE(atKinds == atExpected);
}

TEST(KxwMsgHandlerTest, EveryEntryFormatsWithDummyArgumentsOfItsDeclaredTypes) {
    size_t nCount = 0;
    const KxwMsgCatalogueEntry* ptEntries = xfptKxwMsgCatalogueGetEntries(&nCount);
    ASSERT_NE(nullptr, ptEntries);
    ASSERT_GT(nCount, 0u);
    for (size_t n = 0; n < nCount; ++n) {
        const KxwMsgCatalogueEntry& rtEntry = ptEntries[n];
        SCOPED_TRACE(rtEntry._iMsgId);
        EXPECT_TRUE(rtEntry._iMsgId == KXW_MSG_ID_DIRECT_MESSAGE ||
                    (rtEntry._iMsgId >= -35998 && rtEntry._iMsgId <= -35909));
        if (n > 0) {
            EXPECT_LT(ptEntries[n - 1]._iMsgId, rtEntry._iMsgId);
        }
        EXPECT_EQ(rtEntry._pszFormat, xfpszKxwMsgCatalogueGetFormat(rtEntry._iMsgId));

        std::vector<ArgKind> atKinds;
        std::string dsWhy;
        if (!ParseFormat(rtEntry._pszFormat, &atKinds, &dsWhy)) {
            ADD_FAILURE() << dsWhy;
            continue;
        }
        EXPECT_EQ(static_cast<size_t>(rtEntry._iArgCount), atKinds.size()) << rtEntry._pszFormat;
        EXPECT_EQ(rtEntry._iArgCount, xfiKxwMsgCatalogueGetArgCount(rtEntry._iMsgId));

        char* pszText = nullptr;
        int iStatus = FormatWithDummies<0>(rtEntry._iMsgId, atKinds, &pszText);
        if (iStatus != KXW_MSG_HANDLER_STATUS_OK || !pszText) {
            ADD_FAILURE() << "status " << iStatus << ", text " << static_cast<void*>(pszText);
            continue;
        }
        std::string dsText = pszText;
        FreeGenericMessage(pszText);
        EXPECT_FALSE(dsText.empty());
        // Each argument shows up, in order, so none was read with another type or skipped.
        size_t nPos = 0;
        for (size_t i = 0; i < atKinds.size(); ++i) {
            std::string dsExpected = ExpectedDummyText(atKinds[i], i);
            size_t nFound = dsText.find(dsExpected, nPos);
            if (nFound == std::string::npos) {
                ADD_FAILURE() << "argument " << i << " (" << dsExpected << ") missing or out of order in \"" << dsText
                              << "\"";
                break;
            }
            nPos = nFound + dsExpected.size();
        }
    }
}
