#include "snmp/library.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "snmp/triple_des_usm.h"

namespace {

constexpr const char* applicationName = "Galvetrin";

// The library repeats its complaints once per try and per stage (a wrong pass phrase gives
// "Authentication failed" for every report): standard error gets each distinct one once.
int printLibraryMessageOnce(int, int, void* serverArgument, void*) {
    static std::set<std::string> printed;
    const auto* message = static_cast<const snmp_log_message*>(serverArgument);
    if (message->msg != nullptr && printed.insert(message->msg).second) {
        std::fflush(stdout);
        std::fputs(message->msg, stderr);
    }
    return SNMPERR_SUCCESS;
}

}  // namespace

SnmpLibrary::SnmpLibrary() {
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    // An empty module list and no MIB directories: init_snmp would otherwise read every MIB
    // file it finds and warn about each module it cannot parse.
    setenv("MIBS", "", 1);
    netsnmp_set_mib_directory("");
    // The library's own messages from warnings up; its informational chatter (such as
    // creating its state directories on a first run) stays quiet.
    netsnmp_register_loghandler(NETSNMP_LOGHANDLER_CALLBACK, LOG_WARNING);
    snmp_register_callback(SNMP_CALLBACK_LIBRARY, SNMP_CALLBACK_LOGGING, printLibraryMessageOnce,
                           nullptr);
    init_snmp(applicationName);
    installTripleDesPrivacy();
}

SnmpLibrary::~SnmpLibrary() {
    snmp_shutdown(applicationName);
}
