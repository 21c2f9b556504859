#include "sim/FaultPlan.h"
#include "sim/SimConfig.h"

#include <gtest/gtest.h>

#include <map>

using namespace vornsim;

namespace {

TEST(FaultPlan, LeavesOutEntriesThatDoNotParseAndSaysWhy)
{
    std::vector<std::string> errors;
    FaultPlan plan = FaultPlan::parse("explode:reset,status:reboot:1,status:reset,unplug:reset:0,"
                                      "abort:reset,silent:reset:3,delay:reset:-5,packet-size,,status:reset:0105,"
                                      "denied:reset,denied",
                                      errors);
    EXPECT_EQ(errors.size(), 10u);
    ASSERT_EQ(plan.faults().size(), 2u);
    EXPECT_EQ(plan.faults()[0].text, "status:reset:0105");
    EXPECT_EQ(plan.faults()[0].value, 105u);
    EXPECT_EQ(plan.faults()[1].kind, FaultKind::Denied) << "denied names no command";
}

TEST(SimConfig, ReadsEachVariableAndKeepsDefaultsForBadValues)
{
    std::map<std::string, std::string> env{ { "VORN_SIM_VARIANT", "light_gray" }, { "VORN_SIM_VERSION", "2.010.65535" },
                                            { "VORN_SIM_MAX_PACKET", "0x400" }, { "VORN_SIM_TIMING", "full-speed" } };
    auto lookup = [&env](const char *name) -> const char * {
        auto found = env.find(name);
        return found == env.end() ? nullptr : found->second.c_str();
    };
    SimConfig config = readConfig(lookup);
    ASSERT_NE(config.variant, nullptr);
    EXPECT_EQ(config.variant->updatePid, 0x5e0c);
    EXPECT_EQ(config.version.major, 2);
    EXPECT_EQ(config.version.minor, 10);
    EXPECT_EQ(config.version.patch, 65535);
    EXPECT_EQ(config.maxPacketSize, 1024u);
    EXPECT_TRUE(config.fullSpeed);
    EXPECT_TRUE(config.warnings.empty());

    env = { { "VORN_SIM_MAX_PACKET", "056" } };
    EXPECT_EQ(readConfig(lookup).maxPacketSize, 56u);

    env = { { "VORN_SIM_VARIANT", "purple" }, { "VORN_SIM_VERSION", "1.2.65536" }, { "VORN_SIM_MAX_PACKET", "-1" },
            { "VORN_SIM_TIMING", "slow" } };
    config = readConfig(lookup);
    EXPECT_EQ(config.variant->updatePid, 0x5e03);
    EXPECT_EQ(config.version.patch, 19);
    EXPECT_EQ(config.maxPacketSize, 56u);
    EXPECT_FALSE(config.fullSpeed);
    EXPECT_EQ(config.warnings.size(), 4u);
}

TEST(SimConfig, RejectsVersionsThatAreNotThreeNumbers)
{
    FirmwareVersion version;
    for (const char *bad : { "1.2", "1.2.3.4", "1..3", "a.b.c", "1.2.-3", "1.2.3 ", "0x1.2.3", "" })
    {
        EXPECT_FALSE(parseVersion(bad, version)) << bad;
    }
    EXPECT_TRUE(parseVersion("0.5.08", version));
    EXPECT_EQ(version.patch, 8);
}

} // namespace
