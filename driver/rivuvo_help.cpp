#include "driver/rivuvo_help.h"

#include "blfwk/options.h"

#include <cstdio>
#include <iostream>

const char *const k_optionsDefinition[] = {
    "?|help",
    "v|version",
    "p:port <name>[,<speed>]",
    "i:i2c <name>[,<address>,<speed>]",
    "s:spi <name>[,<speed>,<polarity>,<phase>,lsb|msb]",
    "b:buspal spi[,<speed>,<polarity>,<phase>,lsb|msb] | i2c[,<address>,<speed>] | can[,<speed>,<txid>,<rxid>] | sai[,<speed>]",
    "l:usbsio spi[,<port>,<pin>,<speed>,<polarity>,<phase>] | i2c[,<address>,<speed>]",
    "u?usb [[[<vid>,]<pid>] | [<path>]]",
    "V|verbose",
    "d|debug",
    "j|json",
    "n|noping",
    "t:timeout <ms>",
    nullptr
};

const char *const k_positionals = "-- command <args...>";

const char *const k_optionUsage =
    "\n"
    "Options:\n"
    "  -?/--help                    Show this help\n"
    "  -v/--version                 Display tool version\n"
    "  -p/--port <name>[,<speed>]   Connect to target over UART. Specify COM port\n"
    "                               and optionally baud rate\n"
    "                               (default=57600)\n"
    "                               If -b, then port is BusPal port\n"
    "  -i/--i2c <name>[,<address>,<speed>]\n"
    "                               Connect to target over I2C. Only valid for ARM\n"
    "                               Linux rivuvo. Specify I2C device name, 7-bit\n"
    "                               address and speed in kHz\n"
    "                               (default=0x10,100)\n"
    "  -s/--spi <name>[,<speed>,<polarity>,<phase>,lsb|msb]\n"
    "                               Connect to target over SPI. Only valid for ARM\n"
    "                               Linux rivuvo. Specify SPI device name, speed in\n"
    "                               kHz, polarity, phase and bit order\n"
    "                               (default=100,1,1,msb)\n"
    "  -b/--buspal spi[,<speed>,<polarity>,<phase>,lsb|msb] | i2c[,<address>,<speed>] | "
    "can[,<speed>,<txid>,<rxid>] | sai[,<speed>]\n"
    "                               Use SPI, I2C, CAN or SAI through a BusPal bridge\n"
    "                               board over UART (-p/--port)\n"
    "                               spi: speed(KHz), polarity(0=active_high |\n"
    "                               1=active_low), phase(0=rising_edge |\n"
    "                               1=falling_edge), \"lsb\" | \"msb\"\n"
    "                               (default=100,1,1,msb)\n"
    "                               i2c: address(7-bit hex), speed(KHz)\n"
    "                               (default=0x10,100)\n"
    "                               can: speed(0=125K | 1=250K | 2=500K | 4=1M),\n"
    "                               txid(11-bit hex), rxid(11-bit hex)\n"
    "                               (default=4,0x321,0x123)\n"
    "                               sai: speed(Hz)\n"
    "                               (default=8000)\n"
    "                               Omitted parameters keep their defaults, but\n"
    "                               preceding parameters must be present or marked\n"
    "                               by a comma.\n"
    "                               (i.e. -b spi,1000,0,1 or -b spi,1000,,lsb)\n"
    "  -l/--usbsio spi[,<port>,<pin>,<speed>,<polarity>,<phase>] | i2c[,<address>,<speed>]\n"
    "                               Use SPI or I2C of a USB serial I/O bridge\n"
    "                               spi: GPIO port and pin of the chip select,\n"
    "                               speed(KHz), polarity(0=active_high |\n"
    "                               1=active_low), phase(0=rising_edge |\n"
    "                               1=falling_edge)\n"
    "                               (default=100,1,1)\n"
    "                               i2c: address(7-bit hex), speed(KHz)\n"
    "                               (default=0x10,100)\n"
    "  -u/--usb [[[<vid>,]<pid>] | [<path>]]\n"
    "                               Connect to target over USB HID device denoted by\n"
    "                               vid/pid (default=0x3b7c,0x5e03) or device path\n"
    "  -V/--verbose                 Print extra detailed log information\n"
    "  -d/--debug                   Print really detailed log information\n"
    "  -j/--json                    Print output in JSON format to aid automation.\n"
    "  -n/--noping                  Skip the initial ping of a serial target\n"
    "  -t/--timeout <ms>            Set packet timeout in milliseconds\n"
    "                               (default=5000)\n";

const char *const k_memoryId =
    "\n"
    "Memory ID:\n"
    "  Internal Memory              Device internal memory space\n"
    "  0                            Internal Memory\n"
    "                               (default selected memory)\n"
    "  16 (0x10)                    Execute-only region on internal flash\n"
    "                               (only used for flash-erase-all)\n"
    "  Mapped External Memory       The memories remapped to internal space, and\n"
    "                               accessed by internal addresses. The IDs are\n"
    "                               only used for flash-erase-all and\n"
    "                               configure-memory, and ignored by write-memory,\n"
    "                               read-memory, flash-erase-region and\n"
    "                               flash-image (use 0 instead)\n"
    "  1                            QuadSPI Memory\n"
    "  8                            SEMC NOR Memory\n"
    "  9                            FlexSPI NOR Memory\n"
    "  10 (0xa)                     SPIFI NOR Memory\n"
    "  Unmapped External Memory     The memories accessed by their own addresses;\n"
    "                               the ID must be given to every command that\n"
    "                               has a memory ID argument\n"
    "  256 (0x100)                  SEMC NAND Memory\n"
    "  257 (0x101)                  SPI NAND Memory\n"
    "  272 (0x110)                  SPI NOR/EEPROM Memory\n"
    "  273 (0x111)                  I2C NOR/EEPROM Memory\n"
    "  288 (0x120)                  uSDHC SD Memory\n"
    "  289 (0x121)                  uSDHC MMC Memory\n"
    "** Note that not all memories are supported on all platforms.\n";

const char *const k_commandUsage =
    "\n"
    "Command:\n"
    "  reset                        Reset the chip\n"
    "  get-property <tag> [<memoryId> | <index>]\n"
    "                               Return bootloader specific property. <memoryId>\n"
    "                               and <index> are optional (default 0) and used\n"
    "                               only by the properties that need them; an\n"
    "                               <index> out of the device's range is treated as\n"
    "                               0.\n"
    "                               <tag> is the property number:\n"
    "                               1  Bootloader version\n"
    "                               2  Available peripherals\n"
    "                               3  Start of program flash, <index>\n"
    "                               4  Size of program flash, <index>\n"
    "                               5  Size of flash sector, <index>\n"
    "                               6  Blocks in flash array, <index>\n"
    "                               7  Available commands\n"
    "                               8  Check Status, <status id>\n"
    "                               9  Last Error\n"
    "                               10 Verify Writes flag\n"
    "                               11 Max supported packet size\n"
    "                               12 Reserved regions\n"
    "                               14 Start of RAM, <index>\n"
    "                               15 Size of RAM, <index>\n"
    "                               16 System device identification\n"
    "                               17 Flash security state\n"
    "                               18 Unique device identification\n"
    "                               19 FAC support flag\n"
    "                               20 FAC segment size\n"
    "                               21 FAC segment count\n"
    "                               22 Read margin level of program flash\n"
    "                               23 QuadSpi initialization status\n"
    "                               24 Target version\n"
    "                               25 External memory attributes, <memoryId>\n"
    "                               26 Reliable update status\n"
    "                               27 Flash page size, <index>\n"
    "                               28 Interrupt notifier pin\n"
    "                               29 FFR key store update option\n"
    "                               30 Byte write timeout in milliseconds\n"
    "  set-property <tag> <value>   Set a bootloader property. Settable <tag>s:\n"
    "                               10 Verify Writes flag\n"
    "                               22 Read margin level of program flash\n"
    "                               28 Interrupt notifier pin: bit 31 enables (1)\n"
    "                               or disables (0), bits 7..0 GPIO pin index,\n"
    "                               bits 15..8 GPIO port index\n"
    "                               29 FFR key store update option: 0 for key\n"
    "                               provisioning, 1 for write-memory\n"
    "                               30 Byte write timeout in milliseconds\n"
    "  flash-erase-region <addr> <byte_count> [memory_id]\n"
    "                               Erase a region of flash according to [memory_id]\n"
    "  flash-erase-all [memory_id]  Erase all flash according to [memory_id],\n"
    "                               excluding protected regions\n"
    "  flash-erase-all-unsecure     Erase all internal flash, including protected\n"
    "                               regions\n"
    "  read-memory <addr> <byte_count> [<file>] [memory_id]\n"
    "                               Read memory according to [memory_id] and write\n"
    "                               it to <file>, or to stdout if no file is\n"
    "                               specified\n"
    "  write-memory <addr> [<file>[,byte_count]| {{<hex-data>}}] [memory_id]\n"
    "                               Write memory according to [memory_id] from\n"
    "                               <file> (all of it, or its first byte_count\n"
    "                               bytes) or from a string of hex values in double\n"
    "                               braces, with or without spaces (i.e. {{11 22\n"
    "                               33}} or {{112233}})\n"
    "  fill-memory <addr> <byte_count> <pattern> [word | short | byte]\n"
    "                               Fill memory with a pattern of word (default),\n"
    "                               short or byte size\n"
    "  receive-sb-file <file>       Receive an SB file\n"
    "  execute <addr> <arg> <stackpointer>\n"
    "                               Execute at an address with an argument and a\n"
    "                               stack pointer\n"
    "  call <addr> <arg>            Call an address with an argument\n"
    "  flash-security-disable <key> Disable flash security using an 8-byte hex key\n"
    "  flash-program-once <index> <byte_count> <data> [LSB | MSB]\n"
    "                               Program a program-once field; <data> is 4 or 8\n"
    "                               bytes of hex, output order LSB (default) or MSB\n"
    "  flash-read-once <index> <byte_count>\n"
    "                               Read a program-once field\n"
    "  flash-read-resource <addr> <byte_count> <option> [<file>]\n"
    "                               Read a resource from special-purpose non-\n"
    "                               volatile memory and write it to <file> or stdout\n"
    "  efuse-program-once <addr> <data> [nolock/lock]\n"
    "                               Program one OTP word; <addr> is the address of\n"
    "                               the OTP word, <data> its value as hex digits\n"
    "                               without prefix\n"
    "  efuse-read-once <addr>       Read one OTP word\n"
    "  configure-memory <memory_id> <internal_addr>\n"
    "                               Apply the configuration block at <internal_addr>\n"
    "                               to the memory <memory_id>\n"
    "  reliable-update <addr>       Copy a backup application to the main region, or\n"
    "                               swap flash using an indicator address\n"
    "  generate-key-blob <dek_file> <blob_file> [key_sel]\n"
    "                               Generate a key blob for a data encryption key\n"
    "                               file; key_sel 0/1/OTPMK, 2/ZMK or 3/CMK\n"
    "  key-provisioning <operation> [arguments...]\n"
    "                               Key provisioning; <operation> is one of enroll,\n"
    "                               set_user_key, set_key, write_key_nonvolatile,\n"
    "                               read_key_nonvolatile, write_key_store,\n"
    "                               read_key_store\n"
    "  fuse-program <index> [<file>[,byte_count]| {{<hex-data>}}]\n"
    "                               Program a fuse from <file> or a string of hex\n"
    "                               values\n"
    "  fuse-read <index> <byte_count> [<file>]\n"
    "                               Read a fuse and write it to <file> or stdout\n"
    "  flash-image <file> [erase] [memory_id]\n"
    "                               Write an S-record or HEX image, optionally\n"
    "                               erasing first (minimum erase unit 1K)\n"
    "  list-memory                  List the on-chip flash and RAM regions and the\n"
    "                               configured off-chip memories\n"
    "  load-image <file>            Load a boot image through the selected interface\n"
    "  program-aeskey <file>        Program a 128-bit AES key from a raw binary file\n"
    "                               to OTP\n"
    "** Note that not all commands/properties are supported on all platforms.\n";

void printUsage()
{
    std::fputs(k_optionUsage, stdout);
    std::fputs(k_memoryId, stdout);
    std::fputs(k_commandUsage, stdout);
    std::fflush(stdout);
}

void printUsageLine(const Options &options)
{
    options.usage(std::cout, k_positionals);
    std::cout.flush();
}

void printHelp(const Options &options)
{
    printUsageLine(options);
    printUsage();
}
