// The assistant's connection to the running host (the link itself is a port).
#pragma once

#include <memory>

#include "ports/host_link.h"

namespace torv::assistant {

// Connects to the running host from the calling thread, on which COM must be
// initialised (a single-threaded apartment, e.g. a ScopedComApartment that
// outlives the link): looks up the ProgID and takes the running object's
// IDispatch. nullptr when no host runs or its ProgID is unknown; the
// portable build has no host and always gives nullptr.
std::unique_ptr<ports::HostLink> connectToHost();

}  // namespace torv::assistant
