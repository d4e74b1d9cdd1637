// Start-up and shut-down of the Net-SNMP library, once per process, as one scoped object.
#pragma once

class SnmpLibrary {
  public:
    // Sets the library up before any other thread runs: as many open files as the hard limit
    // allows, no configuration file, environment, persistent state or MIB module (every OID
    // here is numeric), the library's complaints to the run whose call raised them, then
    // init_snmp and the 3DES privacy layer.
    SnmpLibrary();
    ~SnmpLibrary();
    SnmpLibrary(const SnmpLibrary&) = delete;
    SnmpLibrary& operator=(const SnmpLibrary&) = delete;
};
