// The main of test programs that use the script engine: the engine is started once for the process and ended
// after the last test, as the replay engine does.
#include <gtest/gtest.h>

#include "kxw/KxwJswProcess.h"

namespace {

class KxwEngineEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(KxwJswProcess::Init()); }
    void TearDown() override { KxwJswProcess::ShutdownForGood(); }
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new KxwEngineEnvironment);
    return RUN_ALL_TESTS();
}
