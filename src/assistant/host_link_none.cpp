// The portable build has no host to link to: the assistant behaves as with a
// host that is not running.
#include "assistant/host_connection.h"

namespace torv::assistant {

std::unique_ptr<ports::HostLink> connectToHost() {
    return nullptr;
}

}  // namespace torv::assistant
