#include "snmp/library.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <cstdlib>

#include "snmp/triple_des_usm.h"

namespace {
constexpr const char* applicationName = "Galvetrin";
}

SnmpLibrary::SnmpLibrary() {
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    // An empty module list and no MIB directories: init_snmp would otherwise read every MIB
    // file it finds and warn about each module it cannot parse.
    setenv("MIBS", "", 1);
    netsnmp_set_mib_directory("");
    // The library's own messages go to standard error from warnings up; its informational
    // chatter (such as creating its state directories on a first run) stays quiet.
    netsnmp_register_loghandler(NETSNMP_LOGHANDLER_STDERR, LOG_WARNING);
    init_snmp(applicationName);
    installTripleDesPrivacy();
}

SnmpLibrary::~SnmpLibrary() {
    snmp_shutdown(applicationName);
}
