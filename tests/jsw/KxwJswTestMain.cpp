#include <gtest/gtest.h>

#include "kxw/KxwJswProcess.h"

namespace {

class JswEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(KxwJswProcess::Init()); }
    void TearDown() override { KxwJswProcess::ShutdownForGood(); }
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new JswEnvironment);
    return RUN_ALL_TESTS();
}
