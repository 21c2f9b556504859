#include "sim/FaultPlan.h"
#include "sim/SimConfig.h"
#include "sim/Trace.h"

#include <gtest/gtest.h>

#include <map>

using namespace vornsim;

namespace {

TEST(FaultPlan, ParsesEveryKindWithItsCommandValueAndRepeatMark)
{
    std::vector<std::string> errors;
    FaultPlan plan = FaultPlan::parse(" unplug:write-memory:5 , silent:reset*,status:get-property:0x2844,"
                                      "final-status:read-memory:1,abort:write-memory,report-id:reset:2,"
                                      "long-length:reset,short:reset,wrong-tag:read-memory,other-tag:reset,"
                                      "delay:flash-erase-region:6000,packet-size:0,packet-size:none",
                                      errors);
    EXPECT_TRUE(errors.empty());
    const std::vector<Fault> &faults = plan.faults();
    ASSERT_EQ(faults.size(), 13u);
    EXPECT_EQ(faults[0].kind, FaultKind::Unplug);
    EXPECT_EQ(faults[0].commandTag, 0x04);
    EXPECT_EQ(faults[0].value, 5u);
    EXPECT_FALSE(faults[0].repeats);
    EXPECT_EQ(faults[1].kind, FaultKind::Silent);
    EXPECT_TRUE(faults[1].repeats);
    EXPECT_EQ(faults[2].commandTag, 0x07);
    EXPECT_EQ(faults[2].value, 10308u);
    EXPECT_EQ(faults[4].value, 0u);
    EXPECT_EQ(faults[5].value, 2u);
    EXPECT_EQ(faults[6].value, 1u);
    EXPECT_EQ(faults[10].kind, FaultKind::Delay);
    EXPECT_EQ(faults[10].value, 6000u);
    EXPECT_TRUE(faults[11].hasValue);
    EXPECT_FALSE(faults[12].hasValue);
}

TEST(FaultPlan, LeavesOutEntriesThatDoNotParseAndSaysWhy)
{
    std::vector<std::string> errors;
    FaultPlan plan = FaultPlan::parse("explode:reset,status:reboot:1,status:reset,unplug:reset:0,"
                                      "abort:reset,silent:reset:3,delay:reset:-5,packet-size,,status:reset:2",
                                      errors);
    EXPECT_EQ(errors.size(), 9u);
    ASSERT_EQ(plan.faults().size(), 1u);
    EXPECT_EQ(plan.faults()[0].text, "status:reset:2");
}

TEST(FaultPlan, ArmsEachFaultUntilItFiresUnlessItRepeats)
{
    std::vector<std::string> errors;
    FaultPlan plan = FaultPlan::parse("status:reset:1,status:reset:2,silent:read-memory*", errors);
    Fault *first = plan.armed(FaultKind::Status, 0x0B);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->value, 1u);
    FaultPlan::fire(*first);
    Fault *second = plan.armed(FaultKind::Status, 0x0B);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->value, 2u);
    FaultPlan::fire(*second);
    EXPECT_EQ(plan.armed(FaultKind::Status, 0x0B), nullptr);
    EXPECT_EQ(plan.armed(FaultKind::Status, 0x03), nullptr);

    Fault *silent = plan.armed(FaultKind::Silent, 0x03);
    ASSERT_NE(silent, nullptr);
    FaultPlan::fire(*silent);
    EXPECT_EQ(plan.armed(FaultKind::Silent, 0x03), silent);
}

TEST(SimConfig, ReadsEachVariableAndKeepsDefaultsForBadValues)
{
    std::map<std::string, std::string> env{ { "VORN_SIM_VARIANT", "light_gray" }, { "VORN_SIM_VERSION", "2.10.65535" },
                                            { "VORN_SIM_MAX_PACKET", "0x400" }, { "VORN_SIM_TIMING", "full-speed" },
                                            { "VORN_SIM_FLASH", "/tmp/f" } };
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
    EXPECT_EQ(config.flashPath, "/tmp/f");
    EXPECT_TRUE(config.warnings.empty());

    env = { { "VORN_SIM_VARIANT", "purple" }, { "VORN_SIM_VERSION", "1.2.65536" }, { "VORN_SIM_MAX_PACKET", "-1" },
            { "VORN_SIM_TIMING", "slow" } };
    config = readConfig(lookup);
    EXPECT_EQ(config.variant->updatePid, 0x5e03);
    EXPECT_EQ(config.version.patch, 19);
    EXPECT_EQ(config.maxPacketSize, 56u);
    EXPECT_FALSE(config.fullSpeed);
    EXPECT_EQ(config.warnings.size(), 4u);

    env = { { "VORN_SIM_VARIANT", "none" } };
    EXPECT_EQ(readConfig(lookup).variant, nullptr);
}

TEST(SimConfig, RejectsVersionsThatAreNotThreeNumbers)
{
    FirmwareVersion version;
    for (const char *bad : { "1.2", "1.2.3.4", "1..3", "a.b.c", "1.2.-3", "1.2.3 ", "" })
    {
        EXPECT_FALSE(parseVersion(bad, version)) << bad;
    }
    EXPECT_TRUE(parseVersion("0.5.20", version));
    EXPECT_EQ(version.patch, 20);
}

TEST(Trace, WritesLowerCaseHexSeparatedBySingleSpaces)
{
    const uint8_t bytes[] = { 0x01, 0xAB, 0x00, 0xff };
    EXPECT_EQ(Trace::format("> ", bytes, 4), "> 01 ab 00 ff\n");
    EXPECT_EQ(Trace::format("< ", bytes, 1), "< 01\n");
}

} // namespace
