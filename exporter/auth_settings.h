// How an auth of the configuration file becomes the snmp layer's settings.
#pragma once

#include "exporter/config.h"
#include "snmp/settings.h"

// The version and credentials of `auth`, for the security level it names; no agent yet.
SnmpSettings snmpSettingsFor(const AuthEntry& auth);
