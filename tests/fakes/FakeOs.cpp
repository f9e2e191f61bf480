#include "fakes/FakeOs.h"

namespace setup {

std::optional<uint32_t> FakeOs::TakeFailure(const char* method, const std::string& path,
                                            const std::string& path2) {
    if (onCall) {
        if (auto error = onCall(method, path2.empty() ? path : path2)) return error;
    }
    for (auto it = m_failures.begin(); it != m_failures.end(); ++it) {
        if (it->method != method) continue;
        if (it->path.empty()) {
            const uint32_t error = it->error;
            if (--it->count <= 0) m_failures.erase(it);
            return error;
        }
        if ((!path.empty() && it->path == Canonical(path)) ||
            (!path2.empty() && it->path == Canonical(path2))) {
            return it->error;
        }
    }
    return std::nullopt;
}

}  // namespace setup
