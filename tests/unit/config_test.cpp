// Secrets reach the loaded configuration as written, from a file without its newline, or
// from the environment only when expansion is asked for.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "exporter/config.h"

namespace {

TEST(Config, SecretsFromFileAndEnvironment) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("galvetrin-config-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "community") << "from-file\r\n";
    std::ofstream(folder / "exporter.yml") << "auths:\n"
                                              "  file:\n"
                                              "    community_file: community\n"
                                              "  env:\n"
                                              "    community: a-${GALVETRIN_TEST_SECRET}-b\n";
    setenv("GALVETRIN_TEST_SECRET", "from-env", 1);
    const std::string path = (folder / "exporter.yml").string();
    const ConfigLoad expanded = loadConfig(path, true);
    const ConfigLoad literal = loadConfig(path, false);
    std::filesystem::remove_all(folder);
    ASSERT_TRUE(expanded.config && literal.config);
    EXPECT_EQ("from-file", expanded.config->auths.at("file").community);
    EXPECT_EQ("a-from-env-b", expanded.config->auths.at("env").community);
    EXPECT_EQ("a-${GALVETRIN_TEST_SECRET}-b", literal.config->auths.at("env").community);
}

}  // namespace
