# Sourced by the scripted suites. A suite that cannot run for want of a tool,
# a display or another build skips (exit 77) on a developer's machine; in CI
# (CI=true) that is a failure, so that no suite passes there by not running.
missing() {
  echo "missing: $*"
  if [ "${CI:-}" = true ]; then
    echo "FAILED: CI runs every suite"
    exit 1
  fi
  exit 77
}
