# Shared by the scripts: installs missing Debian packages, configures and builds.
# Source it; it defines functions only.

QF_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Packages every build needs (bibtex and plain.bst: the bibtex_judge test;
# Hunspell: the editor's spelling checker); the window adds its own with
# QF_GUI_PACKAGES.
QF_PACKAGES=(build-essential cmake ninja-build ccache pkg-config python3
    qt6-base-dev qt6-base-dev-tools libgl-dev libicu-dev libuchardet-dev libhunspell-dev
    libgtest-dev libgmock-dev libbenchmark-dev libzstd-dev
    texlive-binaries texlive-base)

# What the desktop program needs to run and to be tested: the SVG icon engine,
# the Wayland platform, fonts for Latin and Japanese text, the desktop-file
# check, the MIME database, xdg-open for the help pages, the American English
# spelling dictionary, and Qt's PDF module for the attachment viewer.
QF_GUI_PACKAGES=(libqt6svg6 qt6-wayland fonts-dejavu-core fonts-wqy-microhei
    desktop-file-utils shared-mime-info xdg-utils hunspell-en-us qt6-pdf-dev)

qf_missing_packages() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    echo "${missing[@]}"
}

# Installs what is missing of the given packages; quiet when all are present.
qf_ensure_packages() {
    local missing
    missing=$(qf_missing_packages "$@")
    [ -z "$missing" ] && return 0
    echo "Installing: $missing"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    # shellcheck disable=SC2086
    $sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null
}

# qf_build PRESET [TARGET...]: configures (once) and builds with the CMake preset.
qf_build() {
    local preset=$1
    shift
    local dir
    case "$preset" in
        default | ci) dir=build ;;
        *) dir=build-$preset ;;
    esac
    cd "$QF_ROOT" || return 1
    if [ ! -f "$dir/build.ninja" ]; then
        cmake --preset "$preset" >/dev/null || return 1
    elif [ "$preset" = ci ]; then
        cmake -S . -B "$dir" -DQF_WERROR=ON >/dev/null || return 1
    fi
    if [ $# -gt 0 ]; then
        cmake --build "$dir" --target "$@"
    else
        cmake --build "$dir"
    fi
}
