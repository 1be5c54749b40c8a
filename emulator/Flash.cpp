#include "Flash.h"

#include <cstdio>
#include <cstring>

namespace VelaEmulator {

namespace {

constexpr uint32_t StateMagic = 0x54534C56;   // "VLST"
constexpr uint32_t StateVersion = 1;

struct StateFile {
    uint32_t magic;
    uint32_t version;
    FlashContent content;
};

} // namespace

Flash::Flash(std::string path)
    : m_path(std::move(path))
{
}

bool Flash::load(FlashContent* content) const
{
    if (m_path.empty()) {
        if (m_memoryValid)
            *content = m_memory;
        return m_memoryValid;
    }
    FILE* file = std::fopen(m_path.c_str(), "rb");
    if (!file)
        return false;
    StateFile state;
    char extra;
    const bool complete = std::fread(&state, sizeof state, 1, file) == 1 && std::fread(&extra, 1, 1, file) == 0;
    std::fclose(file);
    if (!complete || state.magic != StateMagic || state.version != StateVersion
        || state.content.config.size != sizeof(VelaProtocol::ParamBlock))
        return false;
    *content = state.content;
    return true;
}

bool Flash::store(const FlashContent& content)
{
    if (m_path.empty()) {
        m_memory = content;
        m_memoryValid = true;
        return true;
    }
    // Written beside and renamed, so that a crash never leaves half a state file.
    const std::string temporary = m_path + ".new";
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file)
        return false;
    const StateFile state{StateMagic, StateVersion, content};
    const bool written = std::fwrite(&state, sizeof state, 1, file) == 1;
    if (std::fclose(file) != 0 || !written) {
        std::remove(temporary.c_str());
        return false;
    }
    return std::rename(temporary.c_str(), m_path.c_str()) == 0;
}

} // namespace VelaEmulator
