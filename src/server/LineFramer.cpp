#include "server/LineFramer.h"

namespace nuvix::server {

bool LineFramer::Feed(std::string_view bytes, std::vector<std::string>& lines)
{
    while (!overflowed_ && !bytes.empty()) {
        const size_t end = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, end);
        // One byte more than the bound may be the CR before the LF.
        if (partial_.size() + piece.size() > kMaxLineBytes + 1) {
            overflowed_ = true;
            partial_.clear();
            break;
        }
        partial_.append(piece);
        if (end == std::string_view::npos) break;
        bytes.remove_prefix(end + 1);
        if (!partial_.empty() && partial_.back() == '\r') partial_.pop_back();
        if (partial_.size() > kMaxLineBytes) {
            overflowed_ = true;
            partial_.clear();
            break;
        }
        if (!partial_.empty()) lines.push_back(std::move(partial_));
        partial_.clear();
    }
    return !overflowed_;
}

}  // namespace nuvix::server
