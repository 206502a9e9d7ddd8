#!/bin/sh
# Checks the built module's PE headers: it exports exactly the COM server entry
# points and the property page launcher, carries its type library as resource TYPELIB 1 next to the registry
# scripts and the version resource, and needs no runtime DLL beside it.
# Usage: check_module_pe.sh OBJDUMP MODULE
set -u
objdump="$1"
module="$2"
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

headers=$("$objdump" -p "$module") || { echo "FAIL: $objdump cannot read $module"; exit 1; }

exports=$(printf '%s\n' "$headers" |
    awk '/\[Ordinal\/Name Pointer\] Table/ { on = 1; next } on && NF == 0 { exit } on { print $NF }' | sort)
expected=$(printf '%s\n' DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer \
    FilterProperties_RunDLL | sort)
if [ "$exports" != "$expected" ]; then
    fail "exports are [$(echo $exports)], expected [$(echo $expected)]"
fi

# Prints the IDs of the resources of one type; the type is a name (TYPELIB) or an
# ID in the form objdump prints it (0x000010).
resource_ids() {
    printf '%s\n' "$headers" | awk -v type="$1" '
        /\.rsrc Resource Directory section/ { rsrc = 1; next }
        !rsrc { next }
        /^[0-9a-f]+   Entry:/ { in_type = index($0, ": " type ", Value") > 0; next }
        in_type && /^[0-9a-f]+     Entry: ID:/ { sub(",", "", $4); print $4 }
    '
}

[ "$(resource_ids TYPELIB)" = "0x000001" ] || fail "no resource TYPELIB 1 (found: $(resource_ids TYPELIB))"
[ -n "$(resource_ids REGISTRY)" ] || fail "no REGISTRY resources"
[ "$(resource_ids 0x000010)" = "0x000001" ] || fail "no version resource"

for dll in $(printf '%s\n' "$headers" | awk '/DLL Name:/ { print $3 }'); do
    case "$dll" in
        libstdc++*|libgcc*|libwinpthread*) fail "depends on $dll" ;;
    esac
done

if [ "$failures" -ne 0 ]; then
    echo "0 passed, $failures failed"
    exit 1
fi
echo "exports: $(echo $exports)"
echo "TYPELIB 1, REGISTRY $(echo $(resource_ids REGISTRY)), version resource present"
