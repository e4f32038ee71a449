# Sourced by the Windows suite's shell tests, before they leave their
# folder.

# Skips the test (exit 77) unless scripts/test-windows.sh set each of the
# variables named: the COM ports mapped to its simulators.
need_simulators() {
  for name in "$@"; do
    eval "value=\${$name:-}"
    if [ -z "$value" ]; then
      echo "no simulators mapped (run scripts/test-windows.sh)"
      exit 77
    fi
  done
}

# A scratch folder ($work), removed at the end, as the current folder.
enter_scratch_folder() {
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  cd "$work"
}

# Now, in milliseconds.
ms() { echo $(($(date +%s%N) / 1000000)); }
