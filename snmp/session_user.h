// The USM user a session's keys make once its agent's engine ID is known.
#pragma once

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <functional>

// Runs `create` (the library's user creation, or the 3DES layer's) with any earlier user of the
// session's engine ID and user name taken out of the library's user list first, and frees that
// one once the new user is in: the library would otherwise keep the first keys made for the
// pair for the life of the process, and a run whose pass phrase changed would go on with the
// old ones. When `create` makes no user, the earlier one goes back. Under the library lock.
int replaceSessionUser(netsnmp_session& session, const std::function<int()>& create);
