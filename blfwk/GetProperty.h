#pragma once

#include "blfwk/Command.h"

namespace blfwk {

//! Asks the target for one property. Built by other commands only; no
//! command word creates it.
class GetProperty : public Command
{
public:
    GetProperty(property_t property, uint32_t memoryIdOrIndex);

    void sendTo(Packetizer &packetizer) override;

    using Command::processResponse;
    //! Appends the status and, on success, the property's value words.
    virtual bool processResponse(const GetPropertyResponsePacket *packet);
    virtual bool processResponse(const uint8_t *packet);

protected:
    property_t m_property;
    uint32_t m_memoryIdorIndex;
};

} // namespace blfwk
