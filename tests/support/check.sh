# check.sh: the one assertion of the test scripts. Source it from bash; it sets failures=0.
#   check DESCRIPTION ACTUAL EXPECTED   prints "ok: ..." or "FAILED: ..." and counts failures
# A script ends with [ "$failures" -eq 0 ].

failures=0
check() {
    if [ "$2" = "$3" ]; then
        echo "ok: $1 ($2)"
    else
        echo "FAILED: $1: got '$2', expected '$3'"
        failures=$((failures + 1))
    fi
}
