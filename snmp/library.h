// Start-up and shut-down of the Net-SNMP library, as one scoped object.
#pragma once

class SnmpLibrary {
  public:
    // Sets the library up for a run: no configuration or persistent state, no MIB modules
    // (every OID here is numeric), then init_snmp.
    SnmpLibrary();
    ~SnmpLibrary();
    SnmpLibrary(const SnmpLibrary&) = delete;
    SnmpLibrary& operator=(const SnmpLibrary&) = delete;
};
