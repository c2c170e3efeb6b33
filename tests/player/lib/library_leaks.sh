# Sourced. use_library_leak_suppressions DIR: in a sanitizer build, the game
# run by a player test should fail only on leaks of its own, not on what the
# system libraries keep to the end (tests/sanitizer/lsan.supp says which and
# why). The suppressions are copied into DIR, as the sanitizers' options
# cannot hold a path with spaces.
use_library_leak_suppressions() {
    cp "$(dirname "${BASH_SOURCE[0]}")/../../sanitizer/lsan.supp" "$1/lsan.supp"
    export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$1/lsan.supp"
}
