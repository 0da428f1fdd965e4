# Shared by scripts/test, scripts/demo and the benchmarks: packages and builds.
KELVANTO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

KELVANTO_PACKAGES=(cmake ninja-build g++ pkg-config python3 libmariadb-dev mariadb-server mariadb-client
    nlohmann-json3-dev libgtest-dev libgmock-dev libbenchmark-dev php-cli php-mysql clang-format
    qt6-base-dev libqt6svg6 libx11-dev libxtst-dev fonts-dejavu-core xvfb xauth
    openssl libsystemd-dev dpkg-dev file lld libzstd-dev zlib1g-dev libssl-dev libxxhash-dev zstd gzip
    lintian appstream dbus-daemon qt6-tools-dev qt6-l10n-tools)

# Installs the Debian packages that are missing (needs root or sudo): KELVANTO_PACKAGES and the
# ones named as arguments.
ensure_packages() {
    local missing=() p
    for p in "${KELVANTO_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "== installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# build_tree DIR [cmake options...]: configures and builds DIR; the targets named in
# KELVANTO_TARGETS (space-separated) only, when it is set.
build_tree() {
    local dir=$1
    shift
    local werror=OFF
    [ -n "${CI:-}" ] && werror=ON
    cmake -S "$KELVANTO_ROOT" -B "$dir" -G Ninja -DKELVANTO_WERROR=$werror "$@" >/dev/null
    local targets=()
    [ -n "${KELVANTO_TARGETS:-}" ] && read -r -a targets <<<"--target $KELVANTO_TARGETS"
    cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
}
