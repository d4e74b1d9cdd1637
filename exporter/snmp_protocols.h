// The SNMPv3 protocols an auth names are the snmp layer's own.
#pragma once

#include "snmp/settings.h"
