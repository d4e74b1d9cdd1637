// Runs in one process, side by side: each router once alone, then eight runs at once across
// them, each of which must give the JSON document its router gave alone.
// Usage: parallel_runs ADDRESS VERSION [USER AUTH PRIV PRIVPROTOCOL]... one router per argument
// group, separated by "--"; VERSION is 2c or 3; PRIVPROTOCOL 3DES, AES or AES256 (with SHA-1).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "collect/runs.h"
#include "report/json_document.h"
#include "snmp/library.h"

namespace {

std::string jsonOf(const SnmpSettings& settings) {
    RunContext context;
    const RunResult result = collectForDocuments(context, settings, {true, false});
    char* text = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&text, &size);
    writeJsonDocument(result, out);
    std::fclose(out);
    std::string json(text, size);
    std::free(text);
    return json;
}

SnmpSettings routerFrom(const std::vector<std::string>& words) {
    SnmpSettings settings;
    settings.agentName = settings.agentAddress = words.at(0);
    settings.port = 161;
    if (words.at(1) == "2c") {
        settings.version = SnmpVersion::v2c;
        settings.community = "public";
        return settings;
    }
    settings.version = SnmpVersion::v3;
    settings.userName = words.at(2);
    settings.authPassPhrase = words.at(3);
    settings.privPassPhrase = words.at(4);
    settings.authProtocol = AuthProtocol::sha1;
    settings.privProtocol = words.at(5) == "3DES"  ? PrivProtocol::tripleDes
                            : words.at(5) == "AES" ? PrivProtocol::aes128
                                                   : PrivProtocol::aes256Router;
    return settings;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<SnmpSettings> routers;
    std::vector<std::string> words;
    for (int i = 1; i <= argc; ++i) {
        if (i == argc || std::string(argv[i]) == "--") {
            routers.push_back(routerFrom(words));
            words.clear();
        } else {
            words.emplace_back(argv[i]);
        }
    }
    SnmpLibrary library;
    std::vector<std::string> alone;
    for (const SnmpSettings& router : routers) {
        alone.push_back(jsonOf(router));
    }
    constexpr size_t runs = 8;
    std::vector<std::string> together(runs);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < runs; ++i) {
        threads.emplace_back([&, i] { together[i] = jsonOf(routers[i % routers.size()]); });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    int failures = 0;
    for (size_t i = 0; i < runs; ++i) {
        const std::string& expected = alone[i % routers.size()];
        if (together[i] != expected || expected.find("\"errors\": []") == std::string::npos) {
            std::fprintf(stderr, "run %zu against %s differs from its run alone\n", i,
                         routers[i % routers.size()].agentName.c_str());
            ++failures;
        }
    }
    std::printf("%zu runs at once against %zu routers: %d differ\n", runs, routers.size(),
                failures);
    return failures == 0 ? 0 : 1;
}
