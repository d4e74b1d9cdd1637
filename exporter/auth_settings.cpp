#include "exporter/auth_settings.h"

SnmpSettings snmpSettingsFor(const AuthEntry& auth) {
    SnmpSettings settings;
    if (auth.version == 2) {
        settings.version = SnmpVersion::v2c;
        settings.community = auth.community;
        return settings;
    }
    settings.version = SnmpVersion::v3;
    settings.userName = auth.username;
    settings.contextName = auth.contextName;
    if (auth.securityLevel != SecurityLevel::noAuthNoPriv) {
        settings.authProtocol = auth.authProtocol;
        settings.authPassPhrase = auth.password;
    }
    if (auth.securityLevel == SecurityLevel::authPriv) {
        settings.privProtocol = auth.privProtocol;
        settings.privPassPhrase = auth.privPassword;
    }
    settings.keys = auth.keys;
    return settings;
}
