#include "caller_identity.h"

bool admitsCaller(const CallerIdentity& server, const CallerIdentity& caller) {
    return server.known && caller.known && !server.userSid.empty() &&
           caller.userSid == server.userSid && caller.sessionId == server.sessionId;
}

std::string endpointSecurity(std::string_view userSid) {
    // Protected: no entries are inherited from anywhere.
    std::string sddl = "D:P(A;;GA;;;";
    sddl += userSid;
    sddl += ")(A;;GA;;;SY)";
    return sddl;
}
