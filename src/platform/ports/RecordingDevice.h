#pragma once

#include "platform/ports/PortDevice.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <vector>

namespace nuvix {

struct PortAccess {
    enum class Kind { Read, Write };
    Kind kind;
    uint16_t address;
    uint8_t value;

    friend bool operator==(const PortAccess&, const PortAccess&) = default;
};

// A test double: logs every access in order and answers reads from a script. A handler,
// when set, answers every read; otherwise each address answers from its queue of scripted
// values and then repeats its fallback value.
class RecordingDevice final : public PortDevice {
public:
    using ReadHandler = std::function<uint8_t(uint16_t address)>;

    uint8_t ReadPort(uint16_t address) override;
    void WritePort(uint16_t address, uint8_t value) override;

    void SetReadHandler(ReadHandler handler) { handler_ = std::move(handler); }
    void ScriptReads(uint16_t address, std::vector<uint8_t> values);
    void SetFallback(uint16_t address, uint8_t value) { fallback_[address] = value; }

    const std::vector<PortAccess>& Log() const { return log_; }
    // The values written to one address, in order.
    std::vector<uint8_t> Writes(uint16_t address) const;
    // The whole log restricted to writes (all addresses), in order.
    std::vector<PortAccess> WriteLog() const;
    size_t ReadCount(uint16_t address) const;
    void ClearLog() { log_.clear(); }

private:
    std::vector<PortAccess> log_;
    ReadHandler handler_;
    std::map<uint16_t, std::deque<uint8_t>> scripted_;
    std::map<uint16_t, uint8_t> fallback_;
};

}  // namespace nuvix
