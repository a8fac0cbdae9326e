#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace nuvix::server {

// Cuts a client's byte stream into request lines (ended by LF, a CR before it dropped). A line
// longer than the bound is never kept whole: the framer stops, and the connection is to end.
class LineFramer {
public:
    static constexpr size_t kMaxLineBytes = 64 * 1024;

    // Adds received bytes; complete lines go to `lines`. False once a line has passed the bound.
    bool Feed(std::string_view bytes, std::vector<std::string>& lines);
    bool Overflowed() const { return overflowed_; }

private:
    std::string partial_;
    bool overflowed_ = false;
};

}  // namespace nuvix::server
