#pragma once

#include "blfwk/Packetizer.h"
#include "blfwk/Progress.h"
#include "blfwk/bootloader_packets.h"
#include "blfwk/host_types.h"
#include "blfwk/status_codes.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

namespace blfwk {

//! One bootloader command: parses its words, runs its exchange with the
//! target and collects the values of the target's responses.
class Command
{
public:
    //! Builds the command named by word 0 of @a argv (at least one word) and
    //! lets it check the rest. Null for an unknown word or bad arguments;
    //! otherwise the caller owns the object.
    static Command *create(const string_vector_t *argv);

    //! The host's message for a status code.
    static std::string getStatusMessage(status_t code);

    explicit Command(const string_vector_t *argv);
    explicit Command(const char *cmd);
    Command(const Command &) = delete;
    Command &operator=(const Command &) = delete;

    virtual ~Command();

    virtual bool init() { return true; }

    //! Word @a index; throws std::out_of_range past the last word.
    virtual std::string getArg(int index) const;
    virtual std::string getName() const { return getArg(0); }
    virtual size_t getArgCount() const { return m_argv.size(); }

    virtual void sendTo(Packetizer &packetizer);

    //! Element 0 is the final status once a response was checked.
    virtual const uint32_vector_t *getResponseValues() const { return &m_responseValues; }

    //! The result as a JSON record.
    virtual std::string getResponse() const;

    //! Checks a generic response to @a commandTag; true only for status 0.
    //! Appends exactly one value to the response values.
    virtual bool processResponse(const GenericResponsePacket *packet, uint8_t commandTag);

    //! Logs the status, every further response value and the details line.
    void logResponses() const;

    void registerProgress(Progress *progress) { m_progress = progress; }

protected:
    //! True when @a packet is a response of @a expectedTag; otherwise logs the
    //! tag that came and appends kStatus_UnknownCommand.
    bool checkResponseTag(const void *packet, uint8_t expectedTag, const char *expectedName);

    //! The opening of a check of a command's own response kind. A missing
    //! packet, or a generic response standing in for the own one, goes to the
    //! generic check for @a commandTag; a packet of another kind than
    //! @a responseTag is refused by checkResponseTag. Returns the verdict of
    //! those checks, or no value when @a packet is the own response and its
    //! fields are to be read.
    std::optional<bool> checkResponseKind(const void *packet, uint8_t commandTag, uint8_t responseTag,
                                          const char *responseName);

    Progress *m_progress; //!< not owned
    string_vector_t m_argv;
    uint32_vector_t m_responseValues;
    std::string m_responseDetails;
};

//! A command packet: header and parameter words back to back, as they go on
//! the wire.
class CommandPacket
{
public:
    //! Up to nine parameter words, in wire order.
    template <typename... Words>
    CommandPacket(uint8_t tag, uint8_t flags, Words... words)
    {
        static_assert(sizeof...(Words) <= 9, "a command packet carries at most nine parameters");
        init(tag, flags, { static_cast<uint32_t>(words)... });
    }

    //! Sends the packet and reads one response. Returns the response bytes
    //! inside @a packetizer (valid until its next read) or null on a transport
    //! error, which is logged, or an incomplete response. @a sent, when given,
    //! tells whether the packet went out.
    uint8_t *sendCommandGetResponse(Packetizer &packetizer, bool *sent = nullptr);

    const uint8_t *getData() const { return reinterpret_cast<const uint8_t *>(&m_packet); }
    uint32_t getSize() const { return sizeof(command_packet_t) + 4 * static_cast<uint32_t>(m_numArguments); }

private:
    void init(uint8_t tag, uint8_t flags, std::initializer_list<uint32_t> words);

    struct PacketWithArgs
    {
        command_packet_t m_header;
        uint32_t m_arguments[kMaxCommandArguments];
    };

    int32_t m_numArguments;
    PacketWithArgs m_packet;
};

} // namespace blfwk
