// The scenario text: what it accepts and what it refuses (naming the key).
#include <gtest/gtest.h>

#include "sim/Scenario.h"

namespace qm::sim {
namespace {

TEST(ScenarioTest, EmptyTextIsTheDefaultStackAndEveryKeyIsAcceptedInAnyOrder)
{
    const auto empty = ParseScenario("");
    ASSERT_TRUE(empty.scenario) << empty.error;
    EXPECT_EQ(empty.scenario->boards, 4);
    EXPECT_EQ(empty.scenario->identification, "QM7410-1");
    EXPECT_FALSE(empty.scenario->unplugAfterSeconds);

    const auto r = ParseScenario(
        "thsd=5,selftest-fault=0:12,boards=6, variant=3,seed=7,openwire=1:5,pec-errors=3:0.05,mux-fail=2,"
        "unplug-after=30,openwire=3:1,dcc-open=1:4,dcc-swap=2:12,");
    ASSERT_TRUE(r.scenario) << r.error;
    const Scenario& s = *r.scenario;
    EXPECT_EQ(s.boards, 6); // keys are checked once all are read
    EXPECT_EQ(s.identification, "QM7410-3");
    EXPECT_EQ(s.seed, 7u);
    EXPECT_EQ(s.thermalShutdown, std::vector<int>{5});
    ASSERT_EQ(s.openWires.size(), 2u);
    EXPECT_EQ(s.openWires[1].board * 100 + s.openWires[1].cell, 301);
    ASSERT_EQ(s.pecErrors.size(), 1u);
    EXPECT_EQ(s.pecErrors[0].board, 3);
    EXPECT_DOUBLE_EQ(s.pecErrors[0].probability, 0.05);
    EXPECT_EQ(s.muxFail, std::vector<int>{2});
    EXPECT_DOUBLE_EQ(s.unplugAfterSeconds.value_or(-1), 30.0);
    ASSERT_EQ(s.selfTestFaults.size(), 1u);
    EXPECT_EQ(s.selfTestFaults[0].cell, 12);
    ASSERT_EQ(s.dischargeOpen.size() + s.dischargeSwapped.size(), 2u);
    EXPECT_EQ(s.dischargeSwapped[0].cell, 12);
    EXPECT_EQ(ParseScenario("variant=QM7411-1").scenario->identification, "QM7411-1"); // any text
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
