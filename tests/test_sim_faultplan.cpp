#include "sim/FaultPlan.h"
#include "sim/SimConfig.h"

#include <gtest/gtest.h>

#include <map>

using namespace vornsim;

namespace {

TEST(FaultPlan, LeavesOutEntriesThatDoNotParseAndSaysWhy)
{
    const std::pair<const char *, const char *> refused[] = {
        { "explode:reset", "fault 'explode:reset': unknown fault 'explode'" },
        { "status:reboot:1", "fault 'status:reboot:1': unknown command 'reboot'" },
        { "status:reset", "fault 'status:reset': status needs a value" },
        { "unplug:reset:0", "fault 'unplug:reset:0': unplug counts from 1" },
        { "abort:reset", "fault 'abort:reset': abort needs read-memory or write-memory" },
        { "silent:reset:3", "fault 'silent:reset:3': expected silent:COMMAND" },
        { "report-id:reset:1:2", "fault 'report-id:reset:1:2': expected report-id:COMMAND[:VALUE]" },
        { "delay:reset:-5", "fault 'delay:reset:-5': '-5' is not a number" },
        { "packet-size", "fault 'packet-size': expected packet-size:VALUE or packet-size:none" },
        { "packet-size:big", "fault 'packet-size:big': 'big' is not a number" },
        { " * ", "empty fault entry" },
        { "denied:reset", "fault 'denied:reset': expected denied" },
    };
    for (const auto &[entry, why] : refused)
    {
        std::vector<std::string> errors;
        const std::string text = std::string(entry) + ",status:reset:0105";
        FaultPlan plan = FaultPlan::parse(text, errors);
        EXPECT_EQ(errors, std::vector<std::string>{ why }) << entry;
        ASSERT_EQ(plan.faults().size(), 1u) << "the good entry stays: " << entry;
        EXPECT_EQ(plan.faults()[0].text, "status:reset:0105");
        EXPECT_EQ(plan.faults()[0].value, 105u) << "a leading zero is no octal mark";
    }

    std::vector<std::string> errors;
    FaultPlan plan = FaultPlan::parse(" abort:read-memory ,silent:reset*,denied", errors);
    EXPECT_TRUE(errors.empty());
    ASSERT_EQ(plan.faults().size(), 3u);
    EXPECT_EQ(plan.faults()[0].value, 0u) << "abort without a count aborts before the first packet";
    EXPECT_TRUE(plan.faults()[1].repeats);
    EXPECT_EQ(plan.faults()[2].kind, FaultKind::Denied) << "denied names no command";
    EXPECT_TRUE(plan.deniesAccess());
}

TEST(SimConfig, ReadsEachVariableAndKeepsDefaultsForBadValuesSayingWhy)
{
    // The virtual controller's own tests read the usual values; here the edges.
    std::map<std::string, std::string> env{ { "VORN_SIM_VERSION", "2.010.65535" }, { "VORN_SIM_MAX_PACKET", "0x400" } };
    auto lookup = [&env](const char *name) -> const char * {
        auto found = env.find(name);
        return found == env.end() ? nullptr : found->second.c_str();
    };
    SimConfig config = readConfig(lookup);
    EXPECT_EQ(config.version.minor, 10);
    EXPECT_EQ(config.version.patch, 65535);
    EXPECT_EQ(config.maxPacketSize, 1024u);
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
    EXPECT_EQ(config.warnings,
              (std::vector<std::string>{ "VORN_SIM_VARIANT 'purple' is not a variant; using black",
                                         "VORN_SIM_VERSION '1.2.65536' is not MAJOR.MINOR.PATCH; using 0.5.19",
                                         "VORN_SIM_MAX_PACKET '-1' is not a number; using 56",
                                         "VORN_SIM_TIMING 'slow' is neither none nor full-speed; using none" }));
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
