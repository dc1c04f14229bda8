// The scenario text: what it accepts and what it refuses (naming the key).
#include <gtest/gtest.h>

#include "sim/Scenario.h"

namespace qm::sim {
namespace {

// Each key's value reaching its fault is what the simulator tests using it
// show; here the defaults, the order and the free-form variant.
TEST(ScenarioTest, EmptyTextIsTheDefaultStackAndKeysAreCheckedOnceAllAreRead)
{
    const auto empty = ParseScenario("");
    ASSERT_TRUE(empty.scenario) << empty.error;
    EXPECT_EQ(empty.scenario->boards, 4);
    EXPECT_EQ(empty.scenario->identification, "QM7410-1");
    EXPECT_FALSE(empty.scenario->unplugAfterSeconds);
    const auto r = ParseScenario("thsd=9, selftest-fault=8:12,boards=10,variant=QM7411-1,");
    ASSERT_TRUE(r.scenario) << r.error;
    EXPECT_EQ(r.scenario->boards, 10);
    EXPECT_EQ(r.scenario->thermalShutdown, std::vector<int>{9});
    EXPECT_EQ(r.scenario->identification, "QM7411-1"); // any text
}

struct Refusal {
    const char* text;
    const char* named; // must appear in the message
};

class ScenarioRefusalTest : public ::testing::TestWithParam<Refusal> {};

TEST_P(ScenarioRefusalTest, RefusesNamingTheKey)
{
    const auto r = ParseScenario(GetParam().text);
    EXPECT_FALSE(r.scenario);
    EXPECT_NE(r.error.find(GetParam().named), std::string::npos) << r.error;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ScenarioRefusalTest,
    ::testing::Values(Refusal{"colour=blue", "\"colour\""}, Refusal{"boards", "\"boards\""},
                      Refusal{"boards=11", "\"boards\""}, Refusal{"boards=4x", "\"boards\""},
                      Refusal{"boards=2,boards=3", "\"boards\""}, Refusal{"variant=2", "\"variant\""},
                      Refusal{"seed=-1", "\"seed\""}, Refusal{"thsd=4", "\"thsd\""},
                      Refusal{"openwire=1", "\"openwire\""}, Refusal{"openwire=1:13", "\"openwire\""},
                      Refusal{"pec-errors=1:1.5", "\"pec-errors\""}, Refusal{"mux-fail=-1", "\"mux-fail\""},
                      Refusal{"unplug-after=soon", "\"unplug-after\""},
                      Refusal{"selftest-fault=2:3,boards=2", "\"selftest-fault\""},
                      Refusal{"dcc-open=1:0", "\"dcc-open\""}, Refusal{"dcc-swap=4:1", "\"dcc-swap\""},
                      Refusal{"dcc-swaps=1:1", "dcc-swap"}));

TEST(ScenarioTest, ValidateChecksScenariosBuiltInCode)
{
    Scenario s;
    EXPECT_EQ(ValidateScenario(s), "");
    s.openWires.push_back({7, 1});
    EXPECT_NE(ValidateScenario(s).find("openwire"), std::string::npos);
    s.openWires.clear();
    s.dischargeSwapped.push_back({0, 0});
    EXPECT_NE(ValidateScenario(s).find("dcc-swap"), std::string::npos);
}

} // namespace
} // namespace qm::sim
