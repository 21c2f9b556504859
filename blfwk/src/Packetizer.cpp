#include "blfwk/Packetizer.h"

#include "blfwk/Peripheral.h"

namespace blfwk {

Packetizer::~Packetizer()
{
    delete m_peripheral;
}

} // namespace blfwk
