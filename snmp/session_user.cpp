#include "snmp/session_user.h"

#include "snmp/library_lock.h"

namespace {

usmUser* userOf(const netsnmp_session& session) {
    return usm_get_user(session.securityEngineID, session.securityEngineIDLen,
                        session.securityName);
}

}  // namespace

int replaceSessionUser(netsnmp_session& session, const std::function<int()>& create) {
    assertLibraryLocked();
    // The empty name is the library's own user for discovery, which it never frees.
    usmUser* earlier = session.securityEngineIDLen != 0 && session.securityNameLen != 0
                           ? userOf(session)
                           : nullptr;
    if (earlier == nullptr) {
        return create();
    }
    usm_remove_user(earlier);
    // usm_free_user relinks the list through these, which no longer hold it.
    earlier->next = nullptr;
    earlier->prev = nullptr;
    const int status = create();
    if (userOf(session) == nullptr) {
        usm_add_user(earlier);
    } else {
        usm_free_user(earlier);
    }
    return status;
}
