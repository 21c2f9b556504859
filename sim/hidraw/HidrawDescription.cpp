#include "sim/hidraw/HidrawDescription.h"

#include <cstdio>

namespace vornsim {

namespace {

constexpr unsigned kHidrawMajor = 243;

std::string hexBytes(const std::vector<uint8_t> &bytes)
{
    std::string text;
    for (uint8_t byte : bytes)
    {
        char pair[3];
        std::snprintf(pair, sizeof(pair), "%02X", byte);
        text += pair;
    }
    return text;
}

//! umockdev's values end at the line: keep them on one line.
std::string oneLine(std::string text)
{
    for (char &c : text)
    {
        if (c == '\n' || c == '\r')
        {
            c = ' ';
        }
    }
    return text;
}

std::string format(const char *pattern, unsigned a, unsigned b = 0, unsigned c = 0)
{
    char text[64];
    std::snprintf(text, sizeof(text), pattern, a, b, c);
    return text;
}

} // namespace

std::vector<uint8_t> bootloaderReportDescriptor()
{
    const uint8_t countLow = kReportPayloadBytes & 0xff;
    const uint8_t countHigh = kReportPayloadBytes >> 8;
    std::vector<uint8_t> descriptor = {
        0x06, 0x00, 0xFF, // Usage Page (vendor 0xFF00)
        0x09, 0x01,       // Usage (1)
        0xA1, 0x01,       // Collection (Application)
        0x15, 0x00,       //   Logical Minimum (0)
        0x26, 0xFF, 0x00, //   Logical Maximum (255)
        0x75, 0x08,       //   Report Size (8)
    };
    const uint8_t kOutput = 0x91;
    const uint8_t kInput = 0x81;
    const uint8_t reports[][2] = { { 1, kOutput }, { 2, kOutput }, { 3, kInput }, { 4, kInput } };
    for (const uint8_t *report : reports)
    {
        const uint8_t items[] = {
            0x85, report[0],             // Report ID
            0x96, countLow, countHigh,   // Report Count
            0x09, 0x01,                  // Usage (1)
            report[1], 0x02,             // Output or Input (Data, Variable, Absolute)
        };
        descriptor.insert(descriptor.end(), std::begin(items), std::end(items));
    }
    descriptor.push_back(0xC0); // End Collection
    return descriptor;
}

std::string hidName(const HidrawIdentity &identity)
{
    if (identity.manufacturer.empty() && identity.product.empty())
    {
        return format("HID %04x:%04x", identity.vendorId, identity.productId);
    }
    if (identity.manufacturer.empty() || identity.product.empty())
    {
        return identity.manufacturer + identity.product;
    }
    return identity.manufacturer + " " + identity.product;
}

HidrawPlacement::HidrawPlacement(const HidrawIdentity &identity, unsigned plugNumber, unsigned port)
    : plug(plugNumber)
{
    const std::string name = "1-" + std::to_string(port);
    usbDevice = "/devices/pci0000:00/0000:00:14.0/usb1/" + name;
    usbInterface = usbDevice + "/" + name + ":1.0";
    hidInstance = format("0003:%04X:%04X.", identity.vendorId, identity.productId) + format("%04X", plugNumber);
    hidDevice = usbInterface + "/" + hidInstance;
    nodeName = "hidraw" + std::to_string(plugNumber - 1);
    hidraw = hidDevice + "/hidraw/" + nodeName;
}

std::string umockdevDescription(const HidrawIdentity &identity, const HidrawPlacement &placement)
{
    const unsigned vid = identity.vendorId;
    const unsigned pid = identity.productId;
    const unsigned devnum = placement.plug + 1;
    const std::string minor = std::to_string(placement.plug - 1);
    const std::string serial = oneLine(identity.serialNumber);

    std::string text;
    text += "P: " + placement.usbDevice + "\n";
    text += "E: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nE: DRIVER=usb\n";
    text += format("E: PRODUCT=%x/%x/100\n", vid, pid);
    text += format("E: BUSNUM=001\nE: DEVNUM=%03u\n", devnum);
    text += format("A: idVendor=%04x\nA: idProduct=%04x\nA: bcdDevice=0100\n", vid, pid);
    if (!identity.manufacturer.empty())
    {
        text += "A: manufacturer=" + oneLine(identity.manufacturer) + "\n";
    }
    if (!identity.product.empty())
    {
        text += "A: product=" + oneLine(identity.product) + "\n";
    }
    if (!serial.empty())
    {
        text += "A: serial=" + serial + "\n";
    }
    text += format("A: busnum=1\nA: devnum=%u\nA: speed=12\n", devnum);
    text += "A: bDeviceClass=00\nA: bNumInterfaces= 1\n\n";

    text += "P: " + placement.usbInterface + "\n";
    text += "E: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\nE: DRIVER=usbhid\nE: INTERFACE=3/0/0\n";
    text += "A: bInterfaceNumber=00\nA: bInterfaceClass=03\nA: bInterfaceSubClass=00\n";
    text += "A: bInterfaceProtocol=00\nA: bAlternateSetting= 0\nA: bNumEndpoints=02\n\n";

    text += "P: " + placement.hidDevice + "\n";
    text += "E: SUBSYSTEM=hid\nE: DRIVER=hid-generic\n";
    text += format("E: HID_ID=0003:%08X:%08X\n", vid, pid);
    text += "E: HID_NAME=" + oneLine(hidName(identity)) + "\n";
    text += "E: HID_PHYS=usb-0000:00:14.0-1/input0\n";
    text += "E: HID_UNIQ=" + serial + "\n";
    text += format("E: MODALIAS=hid:b0003g0001v%08Xp%08X\n", vid, pid);
    text += "H: report_descriptor=" + hexBytes(bootloaderReportDescriptor()) + "\n\n";

    text += "P: " + placement.hidraw + "\n";
    text += "E: SUBSYSTEM=hidraw\nE: DEVNAME=/dev/" + placement.nodeName + "\n";
    text += "E: MAJOR=" + std::to_string(kHidrawMajor) + "\nE: MINOR=" + minor + "\n";
    text += "A: dev=" + std::to_string(kHidrawMajor) + ":" + minor + "\n";
    text += "L: device=../../../" + placement.hidInstance + "\n";
    return text;
}

} // namespace vornsim
