#include "platform/ports/RecordingDevice.h"

#include <algorithm>

namespace nuvix {

uint8_t RecordingDevice::ReadPort(uint16_t address)
{
    uint8_t value = 0xFF;
    if (handler_) {
        value = handler_(address);
    } else if (auto q = scripted_.find(address); q != scripted_.end() && !q->second.empty()) {
        value = q->second.front();
        q->second.pop_front();
    } else if (auto f = fallback_.find(address); f != fallback_.end()) {
        value = f->second;
    }
    log_.push_back({PortAccess::Kind::Read, address, value});
    return value;
}

void RecordingDevice::WritePort(uint16_t address, uint8_t value)
{
    log_.push_back({PortAccess::Kind::Write, address, value});
}

void RecordingDevice::ScriptReads(uint16_t address, std::vector<uint8_t> values)
{
    auto& q = scripted_[address];
    q.insert(q.end(), values.begin(), values.end());
}

std::vector<uint8_t> RecordingDevice::Writes(uint16_t address) const
{
    std::vector<uint8_t> out;
    for (const PortAccess& a : log_) {
        if (a.kind == PortAccess::Kind::Write && a.address == address) out.push_back(a.value);
    }
    return out;
}

std::vector<PortAccess> RecordingDevice::WriteLog() const
{
    std::vector<PortAccess> out;
    std::copy_if(log_.begin(), log_.end(), std::back_inserter(out),
                 [](const PortAccess& a) { return a.kind == PortAccess::Kind::Write; });
    return out;
}

size_t RecordingDevice::ReadCount(uint16_t address) const
{
    return static_cast<size_t>(std::count_if(log_.begin(), log_.end(), [&](const PortAccess& a) {
        return a.kind == PortAccess::Kind::Read && a.address == address;
    }));
}

}  // namespace nuvix
