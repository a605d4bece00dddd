// The installation identity kept in the current user's registry, and the
// probe for the other product's key.
#pragma once

#include <cstdint>
#include <string>

#include "service/service_session.h"

namespace stz {

struct InstallationIdentity {
    std::string installId;            // 32 characters
    int32_t otherProductPresent = 0;  // 1 when HKCU\Software\Vandrel opens
};

// Reads HKCU\Software\Stanzascopium "DebugKey"; a REG_SZ value of exactly 32
// characters is the identity. Any other value (missing, another type, another
// length, too large to read) is replaced by a new identity, written back when
// the key is writable. `heldId` is what the caller holds now: it stays when
// the key cannot be opened for reading and it has 32 characters.
// Touches only the registry: call it with no lock held.
InstallationIdentity ReadInstallationIdentity(const std::string& heldId);

// ReadInstallationIdentity applied to a record: fills installId and
// otherProductPresent. Always returns 0. Call it on a copy, or with the lock
// that guards `session` held.
int LoadInstallationIdentity(ServiceSession& session);

}  // namespace stz
