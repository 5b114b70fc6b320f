// The name index of large attribute sets: exact and case-blind lookups, the order within a group of names equal but
// for case as entries come and go, and names that differ only by case in great number.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KxwDomNameIndex.h"
#include "KxwMemMgr.h"

namespace {

using Index = KxwDomNameIndex<char16_t>;

class KxwDomNameIndexTest : public ::testing::Test {
protected:
    Index::Entry* Add(const std::u16string& mdsName, int miValue) {
        return _tIndex.Add(mdsName.data(), mdsName.size(), reinterpret_cast<void*>(static_cast<intptr_t>(miValue)));
    }
    static int ValueOf(const Index::Entry* mptEntry) {
        return mptEntry ? static_cast<int>(reinterpret_cast<intptr_t>(mptEntry->_pvValue)) : -1;
    }
    // The values of a group from its first entry on.
    std::vector<int> Group(const std::u16string& mdsName) const {
        std::vector<int> tValues;
        for (auto* ptEntry = _tIndex.FindFirstIgnoringCase(mdsName.data(), mdsName.size()); ptEntry;
             ptEntry = Index::NextInGroup(ptEntry))
            tValues.push_back(ValueOf(ptEntry));
        return tValues;
    }
    int Exact(const std::u16string& mdsName) const {
        return ValueOf(_tIndex.FindExact(mdsName.data(), mdsName.size()));
    }
    int Last(const std::u16string& mdsName) const {
        return ValueOf(_tIndex.FindLastIgnoringCase(mdsName.data(), mdsName.size()));
    }

    KxwMemBlkMgr _tBlkMgr;
    KxwMemMgrGeneric _tMemMgr{&_tBlkMgr};
    Index _tIndex{&_tMemMgr};
};

TEST_F(KxwDomNameIndexTest, GroupsKeepTheirOrderAsEntriesComeAndGo) {
    Index::Entry* ptA = Add(u"href", 1);
    Add(u"title", 2);
    Index::Entry* ptB = Add(u"HREF", 3);
    Index::Entry* ptC = Add(u"Href", 4);
    EXPECT_EQ((std::vector<int>{1, 3, 4}), Group(u"hReF"));
    EXPECT_EQ(4, Last(u"HREF"));
    EXPECT_EQ(3, Exact(u"HREF"));
    EXPECT_EQ(-1, Exact(u"hrEF"));
    EXPECT_EQ(-1, Last(u"hre"));
    // The middle, the last and the first of a group in turn.
    _tIndex.Remove(ptB);
    EXPECT_EQ((std::vector<int>{1, 4}), Group(u"href"));
    _tIndex.Remove(ptC);
    EXPECT_EQ((std::vector<int>{1}), Group(u"href"));
    EXPECT_EQ(1, Last(u"href"));
    Add(u"HREF", 5);
    _tIndex.Remove(ptA);
    EXPECT_EQ((std::vector<int>{5}), Group(u"href"));
    EXPECT_EQ(5, Last(u"href"));
    EXPECT_EQ(-1, Exact(u"href"));
    EXPECT_EQ(2u, _tIndex.Size());
    // The same name twice, told apart by the value.
    Add(u"title", 6);
    EXPECT_EQ(2, Exact(u"title"));
    EXPECT_EQ(6, ValueOf(_tIndex.FindExact(u"title", 5, reinterpret_cast<void*>(static_cast<intptr_t>(6)))));
    _tIndex.Clear();
    EXPECT_EQ(0u, _tIndex.Size());
    EXPECT_EQ(0u, _tMemMgr.GetLiveBlockCount());
}

TEST_F(KxwDomNameIndexTest, ManyNamesAndManySpellingsOfOne) {
    // Thousands of names, through several growths of the tables.
    for (int n = 0; n < 5000; ++n) {
        std::string dsNumber = std::to_string(n);
        Add(u"data-" + std::u16string(dsNumber.begin(), dsNumber.end()), n);
    }
    // 2^12 spellings of one name: one group, each spelling found exactly.
    const std::u16string dsBase = u"abcdefghijkl";
    std::vector<std::u16string> tSpellings;
    for (int iMask = 0; iMask < 4096; ++iMask) {
        std::u16string dsName = dsBase;
        for (size_t n = 0; n < dsName.size(); ++n)
            if (iMask & (1 << n)) dsName[n] = static_cast<char16_t>(dsName[n] - u'a' + u'A');
        tSpellings.push_back(dsName);
        Add(dsName, 10000 + iMask);
    }
    EXPECT_EQ(5000u + 4096u, _tIndex.Size());
    EXPECT_EQ(4999, Exact(u"data-4999"));
    EXPECT_EQ(4096u, Group(u"ABCDEFGHIJKL").size());
    for (int iMask = 0; iMask < 4096; iMask += 97) EXPECT_EQ(10000 + iMask, Exact(tSpellings[iMask]));
    // All spellings but the last leave, each found through its exact name.
    for (int iMask = 0; iMask < 4095; ++iMask)
        _tIndex.Remove(_tIndex.FindExact(tSpellings[iMask].data(), tSpellings[iMask].size()));
    EXPECT_EQ((std::vector<int>{10000 + 4095}), Group(dsBase));
    EXPECT_EQ(10000 + 4095, Last(dsBase));
    EXPECT_EQ(5001u, _tIndex.Size());
}

}  // namespace
