// Who may hand arguments to the first instance: only a process of the same
// user in the same logon session.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct CallerIdentity {
    bool known = false;                 // the token could be read
    std::vector<unsigned char> userSid; // the token user's SID, as bytes
    uint32_t sessionId = 0;
};

// Whether a caller may be admitted by a server running as server.
bool admitsCaller(const CallerIdentity& server, const CallerIdentity& caller);

// The security descriptor (SDDL) of the endpoint: full access for the user
// whose SID is given in its text form and for the system, nobody else.
std::string endpointSecurity(std::string_view userSid);
