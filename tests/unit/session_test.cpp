// Sessions without an agent: a silent SNMPv3 agent's discovery ends at the run's deadline or on
// its cancel; each run's keys replace the user the library kept; the library lock is checked;
// the library has every protocol the settings name.
#include "snmp/session.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <chrono>
#include <thread>

#include "silent_agent.h"
#include "snmp/library.h"
#include "snmp/privacy_key.h"
#include "snmp/protocols.h"

namespace {

using std::chrono::steady_clock;

void startLibrary() {
    static SnmpLibrary library;
}

TEST(Session, DiscoveryFromASilentAgentEndsAtTheDeadlineOrCancel) {
    startLibrary();
    const SilentAgent agent;
    ASSERT_TRUE(agent.bound());
    SnmpSettings settings;
    settings.version = SnmpVersion::v3;
    settings.agentName = settings.agentAddress = "127.0.0.1";
    settings.port = agent.port();
    settings.userName = "u";
    settings.authProtocol = AuthProtocol::sha1;
    settings.authPassPhrase = "authpassphrase";
    for (const bool cancel : {false, true}) {
        std::atomic<bool> cancelled = false;
        const auto start = steady_clock::now();
        StopCondition stop;
        std::jthread canceller;
        if (!cancel) {
            stop.deadline = start + std::chrono::seconds(1);
        } else {
            stop.cancelled = &cancelled;
            canceller = std::jthread([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(500));
                cancelled = true;
            });
        }
        SnmpSession session;
        EXPECT_FALSE(session.open(settings, stop));
        EXPECT_LT(steady_clock::now() - start, std::chrono::seconds(3)) << cancel;
        EXPECT_EQ(session.openError(), "stopped before the agent's engine ID came");
        char probe[1500];
        EXPECT_GT(recv(agent.descriptor(), probe, sizeof probe, MSG_DONTWAIT), 0)
            << "no probe was sent";
        while (recv(agent.descriptor(), probe, sizeof probe, MSG_DONTWAIT) > 0) {
        }
    }
}

TEST(Session, EachRunsKeysReplaceTheUserTheLibraryKept) {
    startLibrary();
    LibraryLock lock;
    u_char engineId[] = {0x80, 0, 0, 9, 3, 1, 2, 3, 4, 5, 6};
    const auto createUser = find_sec_mod(USM_SEC_MODEL_NUMBER)->post_probe_engineid;
    for (const PrivProtocol privacy : {PrivProtocol::aes128, PrivProtocol::tripleDes}) {
        std::vector<uint8_t> keys;
        for (const char* passPhrase : {"first passphrase", "second passphrase"}) {
            netsnmp_session session{};
            session.version = SNMP_VERSION_3;
            session.securityModel = SNMP_SEC_MODEL_USM;
            session.securityName = const_cast<char*>("u");
            session.securityNameLen = 1;
            session.securityEngineID = engineId;
            session.securityEngineIDLen = sizeof engineId;
            session.securityAuthProto =
                const_cast<oid*>(authProtocolOid(AuthProtocol::sha1).data());
            session.securityAuthProtoLen = authProtocolOid(AuthProtocol::sha1).size();
            session.securityPrivProto = const_cast<oid*>(privProtocolOid(privacy).data());
            session.securityPrivProtoLen = privProtocolOid(privacy).size();
            session.securityAuthKeyLen = session.securityPrivKeyLen = USM_AUTH_KU_LEN;
            generate_Ku(session.securityAuthProto, session.securityAuthProtoLen,
                        reinterpret_cast<const u_char*>(passPhrase), strlen(passPhrase),
                        session.securityAuthKey, &session.securityAuthKeyLen);
            std::copy_n(session.securityAuthKey, USM_AUTH_KU_LEN, session.securityPrivKey);
            ASSERT_EQ(createUser(nullptr, &session), SNMPERR_SUCCESS);

            size_t users = 0;
            for (const usmUser* user = usm_get_userList(); user != nullptr; user = user->next) {
                users += std::string_view(user->name) == "u";
            }
            const usmUser* user = usm_get_user(engineId, sizeof engineId, "u");
            ASSERT_NE(user, nullptr);
            EXPECT_EQ(users, 1U);
            const std::vector<uint8_t> authKey(user->authKey, user->authKey + user->authKeyLen);
            EXPECT_EQ(authKey, localizedKey(authProtocolOid(AuthProtocol::sha1), engineId,
                                            {session.securityAuthKey, session.securityAuthKeyLen}));
            EXPECT_NE(keys, std::vector(user->privKey, user->privKey + user->privKeyLen));
            keys.assign(user->privKey, user->privKey + user->privKeyLen);
        }
    }
}

TEST(Session, LibraryCallsWithoutTheLockAbort) {
    if (!libraryLockChecked) {
        GTEST_SKIP() << "checked in debug and sanitized builds";
    }
    startLibrary();
    const uint8_t key[16] = {};
    EXPECT_DEATH(localizedKey(usmHMACMD5AuthProtocol, key, key), "without the library lock");
    EXPECT_DEATH(
        {
            LibraryLock first;
            LibraryLock second;
        },
        "taken twice");
}

TEST(Session, TheLibraryHasEveryProtocol) {
    startLibrary();
    LibraryLock lock;
    for (int protocol = 1; protocol <= static_cast<int>(AuthProtocol::sha512); ++protocol) {
        const std::span<const oid> name = authProtocolOid(static_cast<AuthProtocol>(protocol));
        EXPECT_NE(sc_get_authtype(name.data(), name.size()), SNMPERR_GENERR) << protocol;
    }
    for (int protocol = 1; protocol <= static_cast<int>(PrivProtocol::aes256Router); ++protocol) {
        const std::span<const oid> name = privProtocolOid(static_cast<PrivProtocol>(protocol));
        // 3DES is this program's own.
        EXPECT_EQ(sc_get_priv_alg_byoid(name.data(), name.size()) != nullptr,
                  protocol != static_cast<int>(PrivProtocol::tripleDes))
            << protocol;
    }
}

}  // namespace
