// The compact attribute store: parsed attributes, replacement, conversion on read, removal and the record layout.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "KxwDomAdditionalAttrCollection.h"
#include "KxwDomHtmlTextsStr.h"
#include "KxwDomStrEnv.h"
#include "KxwDomTestClasses.h"
#include "KxwMemMgr.h"

namespace {

class KxwDomAttrStoreTest : public ::testing::Test {
protected:
    // The store's destructor must give back every record.
    void TearDown() override {
        _ptStore.reset();
        EXPECT_EQ(0u, _tMemMgr.GetLiveBlockCount()) << "records were not freed";
    }

    std::string Dcs(const char* mpszName, bool mbIgnoreCase = false) {
        const char* psfValue = nullptr;
        unsigned uLen = 99;
        EXPECT_TRUE(_tStore.GetAttrValueDcs(mpszName, static_cast<unsigned>(std::strlen(mpszName)), mbIgnoreCase,
                                            psfValue, uLen));
        return psfValue ? std::string(psfValue, uLen) : std::string("<null>");
    }
    std::string FirstName() const {
        const auto* ptAttr = _tStore.GetFirstAttr();
        return ptAttr ? std::string(ptAttr->GetNameDcsStr(), ptAttr->GetNameDcsLenInBytes()) : "<none>";
    }

    KxwMemBlkMgr _tBlkMgr;
    KxwMemMgrGeneric _tMemMgr{&_tBlkMgr};
    KxwDomStrEnvExplicit _tEnv{&_tMemMgr, nullptr};
    std::unique_ptr<KxwDomAdditionalAttrCollection> _ptStore = std::make_unique<KxwDomAdditionalAttrCollection>(_tEnv);
    KxwDomAdditionalAttrCollection& _tStore = *_ptStore;
};

TEST_F(KxwDomAttrStoreTest, ParsedAttributesKeepTheFirstOccurrenceAndCompareExactly) {
    EXPECT_TRUE(_tStore.AddParsedAttr("href", "x"));
    EXPECT_FALSE(_tStore.AddParsedAttr("href", "y"));
    EXPECT_TRUE(_tStore.AddParsedAttr("HREF", "z"));
    EXPECT_TRUE(_tStore.AddParsedAttr("checked", nullptr));
    EXPECT_EQ(3u, _tStore.GetCount());
    EXPECT_EQ("x", Dcs("href"));
    EXPECT_EQ("z", Dcs("HREF"));
    EXPECT_EQ("", Dcs("checked"));
    EXPECT_EQ("<null>", Dcs("missing"));
    EXPECT_FALSE(_tStore.GetFirstAttr()->IsValueSpecified());
    EXPECT_TRUE(_tStore.GetFirstAttr()->IsIncludeInInnerOuterHTML());
    // Bad names change nothing.
    EXPECT_FALSE(_tStore.AddParsedAttr(nullptr, "v"));
    EXPECT_FALSE(_tStore.AddParsedAttr("", "v"));
    EXPECT_EQ(3u, _tStore.GetCount());
    EXPECT_EQ("checked", FirstName());
}

TEST_F(KxwDomAttrStoreTest, NameLengthsAroundTheShortLimit) {
    std::string ds31(31, 'a'), ds32(32, 'b'), ds200(200, 'c'), ds1("q");
    for (const std::string* pds : {&ds1, &ds31, &ds32, &ds200}) EXPECT_TRUE(_tStore.AddParsedAttr(pds->c_str(), "v"));
    size_t nFound = 0;
    for (const auto* ptAttr = _tStore.GetFirstAttr(); ptAttr; ptAttr = ptAttr->GetNext(), ++nFound) {
        std::string dsName(ptAttr->GetNameDcsStr(), ptAttr->GetNameDcsLenInBytes());
        unsigned uShort = ptAttr->GetFlags() & 0x1F;
        if (dsName.size() <= 31)
            EXPECT_EQ(dsName.size() - 1, uShort) << dsName;
        else
            EXPECT_EQ(31u, uShort) << dsName;
        EXPECT_EQ("v", std::string(ptAttr->GetValueDcsStr(), ptAttr->GetValueDcsLenInBytes()));
    }
    EXPECT_EQ(4u, nFound);
    EXPECT_EQ("v", Dcs(ds32.c_str()));
    EXPECT_EQ("<null>", Dcs(std::string(33, 'b').c_str()));
}

TEST_F(KxwDomAttrStoreTest, ReplacementKeepsTheStoredSpellingAndLongValuesAreNotCut) {
    ASSERT_TRUE(_tStore.AddParsedAttr("Title", "old"));
    ASSERT_TRUE(_tStore.AddParsedAttr("other", "o"));
    std::u16string dsLong(70000, u'\x263A');
    dsLong[69999] = u'E';
    EXPECT_TRUE(_tStore.AddOrReplaceAttr("TITLE", 5, true, dsLong.data(), static_cast<unsigned>(dsLong.size()), false));
    EXPECT_EQ(2u, _tStore.GetCount());
    EXPECT_EQ("Title", FirstName());
    EXPECT_FALSE(_tStore.GetFirstAttr()->IsIncludeInInnerOuterHTML());
    const char16_t* pwsfValue = nullptr;
    unsigned uLen = 0;
    EXPECT_TRUE(_tStore.GetAttrValueU16n("title", 5, true, pwsfValue, uLen));
    ASSERT_EQ(70000u, uLen);
    EXPECT_EQ(dsLong, std::u16string(pwsfValue, uLen));
    // An exact replacement under a new spelling adds a record.
    EXPECT_TRUE(_tStore.AddOrReplaceAttr(u"TITLE", 5, false, u"n", 1, true));
    EXPECT_EQ(3u, _tStore.GetCount());
    EXPECT_EQ("TITLE", FirstName());
    // An empty value is a value.
    EXPECT_TRUE(_tStore.AddOrReplaceAttr("empty", 5, false, nullptr, 0, true));
    EXPECT_TRUE(_tStore.GetFirstAttr()->IsValueU16nPresent());
    EXPECT_FALSE(_tStore.AddOrReplaceAttr(static_cast<const char*>(nullptr), 3, false, u"x", 1, true));
    EXPECT_FALSE(_tStore.AddOrReplaceAttr("x", 1, false, nullptr, 4, true));
    EXPECT_EQ(4u, _tStore.GetCount());
}

TEST_F(KxwDomAttrStoreTest, FirstReadInTheOtherEncodingConvertsOnceAndMovesToTheHead) {
    ASSERT_TRUE(_tStore.AddParsedAttr("alt", "caf\xE9"));
    ASSERT_TRUE(_tStore.AddParsedAttr("title", "t"));
    ASSERT_EQ("title", FirstName());
    const char16_t* pwsfValue = nullptr;
    unsigned uLen = 0;
    EXPECT_TRUE(_tStore.GetAttrValueU16n("alt", 3, false, pwsfValue, uLen));
    EXPECT_EQ(u"caf\u00E9", std::u16string(pwsfValue, uLen));
    ASSERT_EQ("alt", FirstName());
    const auto* ptConverted = _tStore.GetFirstAttr();
    EXPECT_TRUE(ptConverted->IsValueDcsPresent());
    EXPECT_TRUE(ptConverted->IsValueU16nPresent());
    EXPECT_TRUE(ptConverted->IsIncludeInInnerOuterHTML());
    EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(ptConverted->GetValueU16nStr()) % 2);
    // A second read finds both encodings in the same record.
    EXPECT_TRUE(_tStore.GetAttrValueU16n("alt", 3, false, pwsfValue, uLen));
    EXPECT_EQ(ptConverted, _tStore.GetFirstAttr());
    EXPECT_EQ(ptConverted->GetValueU16nStr(), pwsfValue);
    EXPECT_EQ("caf\xE9", Dcs("alt"));
    // The other way round: a UTF-16 value read as DCS.
    ASSERT_TRUE(_tStore.AddOrReplaceAttr("u", 1, false, u"\u00FCber", 4, true));
    ASSERT_TRUE(_tStore.AddParsedAttr("last", "l"));
    EXPECT_EQ(
        "\xFC"
        "ber",
        Dcs("u"));
    EXPECT_EQ("u", FirstName());
    EXPECT_EQ(4u, _tStore.GetCount());
}

TEST_F(KxwDomAttrStoreTest, RemovalExistenceAndGeneratedHtml) {
    ASSERT_TRUE(_tStore.AddParsedAttr("a", "1"));
    ASSERT_TRUE(_tStore.AddParsedAttr("b", nullptr));
    ASSERT_TRUE(_tStore.AddOrReplaceAttr("c", 1, false, u"3", 1, true));
    ASSERT_TRUE(_tStore.AddOrReplaceAttr("hidden", 6, false, u"h", 1, false));
    KxwDomHtmlTextsStr tHtml;
    _tStore.GenerateHtmlProperties(tHtml);
    EXPECT_EQ(" c=\"3\" b a=\"1\"", std::string(tHtml.GetStr(), static_cast<size_t>(tHtml.GetLen())));
    EXPECT_TRUE(_tStore.AttrExists("A", true));
    EXPECT_FALSE(_tStore.AttrExists("A", false));
    EXPECT_TRUE(_tStore.AttrExists(u"hidden", 6, false));
    EXPECT_FALSE(_tStore.RemoveAttr("A", false));
    EXPECT_TRUE(_tStore.RemoveAttr("A", true));
    EXPECT_TRUE(_tStore.RemoveAttr(u"hidden", 6, false));
    EXPECT_FALSE(_tStore.RemoveAttr(nullptr, false));
    EXPECT_FALSE(_tStore.RemoveAttr("", false));
    EXPECT_EQ(2u, _tStore.GetCount());
    EXPECT_EQ("c", FirstName());
}

// A plain list with the store's rules, to hold the indexed store to them.
class KxwModelAttrList {
public:
    struct Record {
        std::string _dsName;
        std::string _dsValue;
        bool _bDcs;  // the record holds the value in DCS (parsed), in UTF-16 (set), or both (read in the other)
        bool _bU16n;
    };
    static bool Same(const std::string& mdsLeft, const std::string& mdsRight, bool mbIgnoreCase) {
        if (mdsLeft.size() != mdsRight.size()) return false;
        for (size_t n = 0; n < mdsLeft.size(); ++n)
            if (mbIgnoreCase ? std::tolower(static_cast<unsigned char>(mdsLeft[n])) !=
                                   std::tolower(static_cast<unsigned char>(mdsRight[n]))
                             : mdsLeft[n] != mdsRight[n])
                return false;
        return true;
    }
    long Find(const std::string& mdsName, bool mbIgnoreCase) const {
        for (size_t n = 0; n < _tRecords.size(); ++n)
            if (Same(_tRecords[n]._dsName, mdsName, mbIgnoreCase)) return static_cast<long>(n);
        return -1;
    }
    bool AddParsed(const std::string& mdsName, const std::string& mdsValue) {
        if (Find(mdsName, false) >= 0) return false;
        _tRecords.insert(_tRecords.begin(), Record{mdsName, mdsValue, true, false});
        return true;
    }
    void AddOrReplace(const std::string& mdsName, bool mbIgnoreCase, const std::string& mdsValue) {
        long lAt = Find(mdsName, mbIgnoreCase);
        std::string dsName = lAt >= 0 ? _tRecords[static_cast<size_t>(lAt)]._dsName : mdsName;
        if (lAt >= 0) _tRecords.erase(_tRecords.begin() + lAt);
        _tRecords.insert(_tRecords.begin(), Record{dsName, mdsValue, false, true});
    }
    // A read in the other encoding converts the record, which moves to the head.
    std::string Read(const std::string& mdsName, bool mbIgnoreCase, bool mbDcs) {
        long lAt = Find(mdsName, mbIgnoreCase);
        if (lAt < 0) return "<null>";
        Record tRecord = _tRecords[static_cast<size_t>(lAt)];
        if (!(mbDcs ? tRecord._bDcs : tRecord._bU16n)) {
            _tRecords.erase(_tRecords.begin() + lAt);
            tRecord._bDcs = tRecord._bU16n = true;
            _tRecords.insert(_tRecords.begin(), tRecord);
        }
        return tRecord._dsValue;
    }
    bool Remove(const std::string& mdsName, bool mbIgnoreCase) {
        long lAt = Find(mdsName, mbIgnoreCase);
        if (lAt < 0) return false;
        _tRecords.erase(_tRecords.begin() + lAt);
        return true;
    }
    std::vector<Record> _tRecords;
};

TEST_F(KxwDomAttrStoreTest, ManyAttributesFollowTheSameRulesThroughTheIndex) {
    KxwModelAttrList tModel;
    std::mt19937 tRandom(8);
    // Few base names in many spellings: groups of names equal but for case, in and out of the store.
    auto RandomName = [&]() {
        std::string dsName = "attr" + std::to_string(tRandom() % 24);
        for (char& rc : dsName)
            if (tRandom() % 3 == 0) rc = static_cast<char>(std::toupper(static_cast<unsigned char>(rc)));
        return dsName;
    };
    auto U16 = [](const std::string& mdsText) { return std::u16string(mdsText.begin(), mdsText.end()); };
    bool bIndexedOnce = false;
    for (int iStep = 0; iStep < 4000; ++iStep) {
        std::string dsName = RandomName();
        std::string dsValue = "v" + std::to_string(iStep);
        bool bIgnoreCase = tRandom() % 2 == 0;
        unsigned uOperation = tRandom() % 6;
        switch (uOperation) {
            case 0:
            case 1:
                ASSERT_EQ(tModel.AddParsed(dsName, dsValue), _tStore.AddParsedAttr(dsName.c_str(), dsValue.c_str()));
                break;
            case 2: {
                std::u16string dsValue16 = U16(dsValue);
                ASSERT_TRUE(_tStore.AddOrReplaceAttr(dsName.c_str(), static_cast<unsigned>(dsName.size()), bIgnoreCase,
                                                     dsValue16.data(), static_cast<unsigned>(dsValue16.size()), true));
                tModel.AddOrReplace(dsName, bIgnoreCase, dsValue);
                break;
            }
            case 3:
                ASSERT_EQ(tModel.Read(dsName, bIgnoreCase, true), Dcs(dsName.c_str(), bIgnoreCase)) << dsName;
                break;
            case 4: {
                const char16_t* pwsfValue = nullptr;
                unsigned uLen = 0;
                ASSERT_TRUE(_tStore.GetAttrValueU16n(dsName.c_str(), static_cast<unsigned>(dsName.size()), bIgnoreCase,
                                                     pwsfValue, uLen));
                std::string dsRead = tModel.Read(dsName, bIgnoreCase, false);
                ASSERT_EQ(dsRead == "<null>" ? std::u16string(u"<null>") : U16(dsRead),
                          pwsfValue ? std::u16string(pwsfValue, uLen) : std::u16string(u"<null>"))
                    << dsName;
                break;
            }
            default:
                ASSERT_EQ(tModel.Remove(dsName, bIgnoreCase), _tStore.RemoveAttr(dsName.c_str(), bIgnoreCase));
                break;
        }
        bIndexedOnce = bIndexedOnce || _tStore.IsIndexed();
        // The list itself, in order.
        ASSERT_EQ(tModel._tRecords.size(), _tStore.GetCount());
        size_t nAt = 0;
        for (const auto* ptAttr = _tStore.GetFirstAttr(); ptAttr; ptAttr = ptAttr->GetNext(), ++nAt)
            ASSERT_EQ(tModel._tRecords[nAt]._dsName,
                      std::string(ptAttr->GetNameDcsStr(), ptAttr->GetNameDcsLenInBytes()))
                << "step " << iStep << " position " << nAt;
    }
    EXPECT_TRUE(bIndexedOnce) << "the store never grew past its threshold";
    // The dump empties the store from the head, and the index goes with the last record.
    while (!_tStore.IsEmpty()) _tStore.RemoveFirstAttr();
    EXPECT_FALSE(_tStore.IsIndexed());
}

}  // namespace
