# Sourced by tools/test-sanitized.sh and tools/fuzz.sh: the sanitizer options of every run. Any
# report ends the program with a failure; leaks are looked for at exit. Options already set in
# the environment are added after these, so they win.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:halt_on_error=1:check_initialization_order=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
for symbolizer in /usr/lib/llvm-14/bin/llvm-symbolizer "$(command -v llvm-symbolizer || true)"; do
    if [ -x "$symbolizer" ]; then
        export ASAN_SYMBOLIZER_PATH="$symbolizer"
        break
    fi
done
# The compiler cache, when there is one; a build without it is only slower.
if [ -z "${CMAKE_CXX_COMPILER_LAUNCHER:-}" ] && command -v ccache >/dev/null; then
    export CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
