# Shared by the README's commands: install what is missing, build.
# shellcheck shell=bash

build_packages=(cmake g++ make pkg-config libsnmp-dev libssl-dev nlohmann-json3-dev prometheus-cpp-dev
    libcpp-httplib-dev libyaml-cpp-dev libcrypt-dev libncurses-dev)
agent_packages=(snmp snmpsim python3-pysnmp4 python3-pycryptodome)
test_packages=(googletest libgtest-dev valgrind clang libclang-rt-14-dev prometheus python3-prometheus-client
    python3-bcrypt openssl)
package_packages=(dpkg-dev lintian groff man-db gzip systemd)

# Installs, from Debian's packages, those of the named packages that are not installed yet.
install_missing() {
    local missing=()
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
            missing+=("$package")
    done
    if ((${#missing[@]} > 0)); then
        echo "Installing ${missing[*]}..."
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
    fi
}

# build DIRECTORY [CMAKE OPTION...]: configures and builds quietly (only BUILD_TARGET when set);
# shows the log on failure.
build() {
    local directory=$1
    shift
    local log="$directory.log"
    mkdir -p "$directory"
    if ! { cmake -S . -B "$directory" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" &&
        cmake --build "$directory" -j "$(nproc)" --target "${BUILD_TARGET:-all}"; } >"$log" 2>&1; then
        cat "$log"
        echo "Build in $directory failed." >&2
        return 1
    fi
}
