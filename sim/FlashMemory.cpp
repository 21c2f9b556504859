#include "sim/FlashMemory.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace vornsim {

FlashMemory::FlashMemory(std::vector<uint8_t> contents)
    : m_bytes(std::move(contents))
{
    m_bytes.resize(kSize, kErased);
}

bool FlashMemory::contains(uint32_t address, uint32_t count)
{
    return address <= kSize && count <= kSize - address;
}

bool FlashMemory::isBlank(uint32_t address, uint32_t count) const
{
    auto begin = m_bytes.begin() + address;
    return std::all_of(begin, begin + count, [](uint8_t byte) { return byte == kErased; });
}

void FlashMemory::eraseAll()
{
    std::fill(m_bytes.begin(), m_bytes.end(), kErased);
    m_changed = true;
}

void FlashMemory::erase(uint32_t address, uint32_t count)
{
    std::fill_n(m_bytes.begin() + address, count, kErased);
    m_changed = true;
}

void FlashMemory::program(uint32_t address, const uint8_t *data, uint32_t count)
{
    std::copy_n(data, count, m_bytes.begin() + address);
    m_changed = true;
}

bool FlashMemory::attachFile(const std::string &path, std::string &error)
{
    m_path = path;
    std::ifstream in(path, std::ios::binary);
    bool attached = false;
    if (in)
    {
        std::vector<uint8_t> loaded((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        attached = !in.bad();
        if (attached)
        {
            loaded.resize(kSize, kErased);
            m_bytes = std::move(loaded);
            m_changed = false;
        }
        else
        {
            error = "cannot read flash file '" + path + "'";
        }
    }
    else if (errno == ENOENT)
    {
        attached = save(error);
    }
    else
    {
        error = "cannot read flash file '" + path + "': " + std::strerror(errno);
    }
    if (!attached)
    {
        // Detached for good, so that the failure is not reported again with every change.
        m_path.clear();
    }
    return attached;
}

bool FlashMemory::saveIfChanged(std::string &error)
{
    if (m_path.empty() || !m_changed)
    {
        return true;
    }
    return save(error);
}

bool FlashMemory::save(std::string &error)
{
    // Written beside the target and renamed over it, so that a reader never
    // sees half a flash.
    std::string temporary = m_path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char *>(m_bytes.data()), static_cast<std::streamsize>(m_bytes.size()));
        out.close();
        if (!out)
        {
            error = "cannot write flash file '" + temporary + "'";
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), m_path.c_str()) != 0)
    {
        error = "cannot replace flash file '" + m_path + "': " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    m_changed = false;
    return true;
}

} // namespace vornsim
