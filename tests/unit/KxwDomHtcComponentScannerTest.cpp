#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KxwDomHtcComponentScanner.h"

namespace {
std::vector<std::string> Scan(const std::string& mrdsText) {
    return xftKxwDomHtcScanComponentTagNames(mrdsText.data(), mrdsText.size());
}
}  // namespace

TEST(KxwDomHtcComponentScanner, FindsTagNamesByNameInAnyCaseAndPosition) {
    EXPECT_EQ((std::vector<std::string>{"widget"}), Scan("<PUBLIC:COMPONENT TAGNAME=\"widget\">"));
    EXPECT_EQ((std::vector<std::string>{"a", "b"}),
              Scan("<public:component id=x lightweight tagName='a'/><Public:Component\nTAGNAME = b >"));
    // A '>' inside a quoted value does not end the tag.
    EXPECT_EQ((std::vector<std::string>{"c"}), Scan("<PUBLIC:COMPONENT title=\"a>b\" TAGNAME=\"c\">"));
}

TEST(KxwDomHtcComponentScanner, IgnoresWhatIsNoDeclaration) {
    EXPECT_TRUE(Scan("<!-- <PUBLIC:COMPONENT TAGNAME=\"x\"> -->").empty());
    EXPECT_TRUE(Scan("<SCRIPT>var s = '<PUBLIC:COMPONENT TAGNAME=\"x\">';</SCRIPT>").empty());
    EXPECT_TRUE(Scan("<PUBLIC:PROPERTY TAGNAME=\"x\"><PUBLIC:COMPONENTS TAGNAME=\"y\">").empty());
    // Names that could not be a tag's local part.
    EXPECT_TRUE(
        Scan("<PUBLIC:COMPONENT TAGNAME=\"\"><PUBLIC:COMPONENT TAGNAME=\"my:x\"><PUBLIC:COMPONENT TAGNAME>").empty());
    EXPECT_TRUE(Scan("<PUBLIC:COMPONENT TAGNAME=\"" + std::string(knMaxHtcTagNameLen + 1, 'a') + "\">").empty());
}

TEST(KxwDomHtcComponentScanner, CutOffAndHostileTextEndsTheScan) {
    EXPECT_TRUE(Scan("<PUBLIC:COMPONENT TAGNAME=\"x").empty());
    EXPECT_TRUE(Scan("<PUBLIC:COMPONENT TAGNAME=x").empty());
    EXPECT_TRUE(Scan("<<<<'\"=>").empty());
    EXPECT_TRUE(xftKxwDomHtcScanComponentTagNames(nullptr, 10).empty());
    std::string dsMany;
    for (size_t n = 0; n < knMaxHtcComponents + 10; ++n)
        dsMany += "<PUBLIC:COMPONENT TAGNAME=t" + std::to_string(n) + ">";
    EXPECT_EQ(knMaxHtcComponents, Scan(dsMany).size());
}
