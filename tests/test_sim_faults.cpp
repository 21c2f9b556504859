#include "sim_test_support.h"

#include <gtest/gtest.h>

using namespace simtest;

namespace {

const Bytes kMaxPacketQuery = commandReport(0x07, { 11, 0 });
const Bytes kReset = commandReport(0x0B, {});

SimEnvironment faults(const std::string &list)
{
    return SimEnvironment({ { "VORN_SIM_FAULT", list } });
}

TEST(SimFaults, UnplugAfterADeviceReportLetsItBeReadThenFailsAndReplugs)
{
    SimEnvironment env = faults("unplug:read-memory:3");
    Host host;
    host.write(commandReport(0x03, { 0x70000, 100, 0 }));
    EXPECT_EQ(host.read(), responseReport(0xA3, 1, { 0, 100 }));
    EXPECT_EQ(packetLength(host.read()), 56);
    EXPECT_EQ(host.read(50), Bytes());
    EXPECT_EQ(host.lastResult(), -1);
    EXPECT_EQ(host.write(kMaxPacketQuery), -1);

    Host replugged;
    ASSERT_TRUE(replugged.isOpen());
    EXPECT_EQ(replugged.readMemory(0x70000, 100).size(), 100u);
}

TEST(SimFaults, UnplugAfterAHostReportTakesItButAnswersNothing)
{
    SimEnvironment env = faults("unplug:write-memory:3,unplug:flash-erase-region:1");
    Host host;
    EXPECT_EQ(host.exchange(commandReport(0x02, { 0, 0x1000, 0 })), Bytes());
    EXPECT_EQ(host.lastResult(), -1);

    Host second;
    EXPECT_EQ(second.write(commandReport(0x04, { 0x71000, 16, 0 }, 1)), 20);
    EXPECT_EQ(second.read(), genericReport(0, 0x04));
    EXPECT_EQ(second.write(dataReport(Bytes(8, 0x5A))), 12);
    EXPECT_EQ(second.write(dataReport(Bytes(8, 0x5B))), -1);

    Host third;
    EXPECT_EQ(third.readMemory(0x71000, 16), (Bytes{ 0x5A, 0x5A, 0x5A, 0x5A, 0x5A, 0x5A, 0x5A, 0x5A, 0xFF, 0xFF, 0xFF, 0xFF,
                                               0xFF, 0xFF, 0xFF, 0xFF }));
}

TEST(SimFaults, SilentCommandIsCarriedOutWithoutAnswerOnce)
{
    SimEnvironment env = faults("silent:flash-erase-region");
    Host host;
    EXPECT_EQ(host.exchange(commandReport(0x02, { 0, 0x1000, 0 }), 100), Bytes());
    EXPECT_EQ(host.lastResult(), 0);
    EXPECT_EQ(host.readMemory(0, 4), Bytes(4, 0xFF));
    EXPECT_EQ(host.eraseRegion(0x1000, 0x1000), 0u);
}

TEST(SimFaults, StatusReplacesTheAnswerInTheCommandsOwnResponseKind)
{
    SimEnvironment env = faults("status:write-memory:10001,status:read-memory:10201,status:get-property:10300,"
                                "status:flash-erase-all:105");
    Host host;
    EXPECT_EQ(host.exchange(commandReport(0x03, { 0, 4, 0 })), responseReport(0xA3, 0, { 10201, 0 }));
    EXPECT_EQ(host.read(50), Bytes());
    EXPECT_EQ(host.exchange(kMaxPacketQuery), responseReport(0xA7, 0, { 10300 }));
    EXPECT_EQ(host.exchange(commandReport(0x01, { 0 })), genericReport(105, 0x01));
    EXPECT_EQ(host.readMemory(0, 4), (Bytes{ 0x00, 0x00, 0x03, 0x20 }));
    EXPECT_EQ(host.exchange(kMaxPacketQuery), responseReport(0xA7, 0, { 0, 56 }));

    EXPECT_EQ(host.exchange(commandReport(0x04, { 0x71000, 4, 0 }, 1)), genericReport(10001, 0x04));
    host.write(dataReport(Bytes(4, 0)));
    EXPECT_EQ(host.read(50), Bytes());
    EXPECT_EQ(host.readMemory(0x71000, 4), Bytes(4, 0xFF));
}

TEST(SimFaults, RepeatingFaultFiresEveryTime)
{
    SimEnvironment env = faults("status:get-property:10300*");
    Host host;
    EXPECT_EQ(host.exchange(kMaxPacketQuery), responseReport(0xA7, 0, { 10300 }));
    EXPECT_EQ(host.exchange(kMaxPacketQuery), responseReport(0xA7, 0, { 10300 }));
}

TEST(SimFaults, FinalStatusEndsACompleteDataPhase)
{
    SimEnvironment env = faults("final-status:write-memory:105,final-status:read-memory:10201");
    Host host;
    EXPECT_EQ(host.writeMemory(0x71000, Bytes(4, 0x42)), 105u);
    host.write(commandReport(0x03, { 0x71000, 4, 0 }));
    EXPECT_EQ(host.read(), responseReport(0xA3, 1, { 0, 4 }));
    EXPECT_EQ(host.read(), (Bytes{ 4, 0, 4, 0, 0x42, 0x42, 0x42, 0x42 }));
    EXPECT_EQ(host.read(), genericReport(10201, 0x03));
}

TEST(SimFaults, DeviceAbortsAReadWithAnEmptyDataReport)
{
    SimEnvironment env = faults("abort:read-memory:1");
    Host host;
    host.write(commandReport(0x03, { 0, 200, 0 }));
    EXPECT_EQ(host.read(), responseReport(0xA3, 1, { 0, 200 }));
    EXPECT_EQ(packetLength(host.read()), 56);
    EXPECT_EQ(host.read(), (Bytes{ 4, 0, 0, 0 }));
    EXPECT_EQ(host.read(), genericReport(10002, 0x03));
    EXPECT_EQ(host.read(50), Bytes());
}

TEST(SimFaults, DeviceAbortsAWriteAndIgnoresTheRestOfItsData)
{
    SimEnvironment env = faults("abort:write-memory:1");
    Host host;
    host.write(commandReport(0x04, { 0x71000, 16, 0 }, 1));
    EXPECT_EQ(host.read(), genericReport(0, 0x04));
    host.write(dataReport(Bytes(8, 0x11)));
    host.write(dataReport(Bytes(8, 0x22)));
    EXPECT_EQ(host.read(), (Bytes{ 3, 0, 0, 0 }));
    EXPECT_EQ(host.read(), genericReport(10002, 0x04));
    EXPECT_EQ(host.readMemory(0x71000, 16), (Bytes{ 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0xFF, 0xFF, 0xFF,
                                                    0xFF, 0xFF, 0xFF, 0xFF, 0xFF }));
}

TEST(SimFaults, MalformsTheChosenAnswer)
{
    SimEnvironment env = faults("report-id:get-property,long-length:flash-erase-region,short:write-memory,"
                                "wrong-tag:read-memory,other-tag:read-memory:3,other-tag:flash-erase-all");
    Host host;
    Bytes answer = host.exchange(kMaxPacketQuery);
    EXPECT_EQ(answer, (Bytes{ 4, 0, 12, 0, 0xA7, 0, 0, 2, 0, 0, 0, 0, 56, 0, 0, 0 }));
    EXPECT_EQ(host.exchange(kMaxPacketQuery), responseReport(0xA7, 0, { 0, 56 }));

    answer = host.exchange(commandReport(0x02, { 0x71000, 0x1000, 0 }));
    EXPECT_EQ(packetLength(answer), 8193);
    EXPECT_EQ(answer.size(), 16u);

    answer = host.exchange(commandReport(0x04, { 0x80000, 4, 0 }, 1));
    EXPECT_EQ(packetLength(answer), 12);
    EXPECT_EQ(answer, Bytes({ 3, 0, 12, 0, 0xA0, 0, 0, 2, 0xD8, 0x27, 0, 0 }));

    // Both read-memory faults hit the first read: its answer and its third report.
    host.write(commandReport(0x03, { 0, 4, 0 }));
    EXPECT_EQ(host.read(), responseReport(0xAF, 1, { 0, 4 }));
    EXPECT_EQ(host.read(), (Bytes{ 4, 0, 4, 0, 0x00, 0x00, 0x03, 0x20 }));
    EXPECT_EQ(host.read(), genericReport(0, 0x02));
    EXPECT_EQ(host.readMemory(0, 4), (Bytes{ 0x00, 0x00, 0x03, 0x20 }));

    EXPECT_EQ(host.exchange(commandReport(0x01, { 0 })), genericReport(0, 0x02));
    EXPECT_EQ(host.exchange(commandReport(0x02, { 0x71000, 0x1000, 0 })), genericReport(0, 0x02));
}

TEST(SimFaults, DelayedAnswerArrivesAfterItsDelay)
{
    SimEnvironment env = faults("delay:reset:2000");
    Host host;
    EXPECT_EQ(host.exchange(kReset, 100), Bytes());
    EXPECT_EQ(host.lastResult(), 0);
    EXPECT_EQ(host.read(10000), genericReport(0, 0x0B));
}

TEST(SimFaults, MaxPacketSizeAnswerCarriesTheGivenValueOrNone)
{
    SimEnvironment env = faults("packet-size:0,packet-size:9000,packet-size:none");
    Host host;
    EXPECT_EQ(host.exchange(kMaxPacketQuery), responseReport(0xA7, 0, { 0, 0 }));
    EXPECT_EQ(host.exchange(kMaxPacketQuery), responseReport(0xA7, 0, { 0, 9000 }));
    EXPECT_EQ(host.exchange(kMaxPacketQuery), responseReport(0xA7, 0, { 0 }));
    EXPECT_EQ(host.exchange(kMaxPacketQuery), responseReport(0xA7, 0, { 0, 56 }));
}

} // namespace
