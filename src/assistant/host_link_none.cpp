// The portable build has no host to link to: the assistant behaves as with a
// host that is not running.
#include "assistant/host_link.h"

namespace torv::assistant {

std::unique_ptr<HostLink> connectToHost() {
    return nullptr;
}

}  // namespace torv::assistant
