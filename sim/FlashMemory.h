#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vornsim {

//! The controller's program flash: erased bytes read 0xFF, programming only
//! fills erased bytes, erasing works on whole sectors. Optionally mirrored
//! in a file so that later processes find the same contents.
class FlashMemory
{
public:
    static constexpr uint32_t kSize = 0x80000;
    static constexpr uint32_t kSectorSize = 0x1000;
    static constexpr uint8_t kErased = 0xFF;

    //! @a contents is cut or padded with erased bytes to kSize.
    explicit FlashMemory(std::vector<uint8_t> contents);

    //! True when [address, address + count) lies inside the flash.
    static bool contains(uint32_t address, uint32_t count);
    static bool isSectorAligned(uint32_t value) { return value % kSectorSize == 0; }

    //! True when every byte of the range (which must lie inside) is erased.
    bool isBlank(uint32_t address, uint32_t count) const;

    void eraseAll();
    //! The range must lie inside and be sector-aligned.
    void erase(uint32_t address, uint32_t count);
    //! The range must lie inside and be blank.
    void program(uint32_t address, const uint8_t *data, uint32_t count);

    const uint8_t *bytes() const { return m_bytes.data(); }

    //! Mirrors the flash in @a path: loads it when the file exists, else
    //! keeps the current contents and writes them there. False (with a
    //! reason in @a error) when the file cannot be read or written; the
    //! flash then stays in memory only.
    bool attachFile(const std::string &path, std::string &error);

    //! Writes the contents to the attached file if they changed since the
    //! last write. False (with a reason) when writing fails.
    bool saveIfChanged(std::string &error);

private:
    bool save(std::string &error);

    std::vector<uint8_t> m_bytes;
    std::string m_path;
    bool m_changed = false;
};

} // namespace vornsim
