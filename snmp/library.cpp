#include "snmp/library.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <sys/resource.h>

#include <cstdlib>

#include "snmp/library_lock.h"
#include "snmp/triple_des_usm.h"

namespace {

constexpr const char* applicationName = "Galvetrin";

int passComplaint(int, int, void* serverArgument, void*) {
    const auto* message = static_cast<const snmp_log_message*>(serverArgument);
    if (message->msg != nullptr) {
        routeComplaint(message->msg);
    }
    return SNMPERR_SUCCESS;
}

// Each run holds a socket, and a program of many runs may hold more than the usual soft limit
// of 1,024.
void raiseOpenFileLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

}  // namespace

SnmpLibrary::SnmpLibrary() {
    raiseOpenFileLimit();
    // The environment would add MIB files and directories, and a place for persistent state.
    for (const char* name : {"MIBFILES", "MIBDIRS", "SNMP_PERSISTENT_DIR"}) {
        unsetenv(name);
    }
    // An empty module list: without MIBS init_snmp would look for its 35 default modules and
    // complain about each one it cannot find.
    setenv("MIBS", "", 1);
    LibraryLock lock;
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    netsnmp_set_mib_directory("");
    // The library's own messages from warnings up; its informational chatter stays quiet.
    netsnmp_register_loghandler(NETSNMP_LOGHANDLER_CALLBACK, LOG_WARNING);
    snmp_register_callback(SNMP_CALLBACK_LIBRARY, SNMP_CALLBACK_LOGGING, passComplaint, nullptr);
    init_snmp(applicationName);
    installTripleDesPrivacy();
}

SnmpLibrary::~SnmpLibrary() {
    LibraryLock lock;
    snmp_shutdown(applicationName);
}
